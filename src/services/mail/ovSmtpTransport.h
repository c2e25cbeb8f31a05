#pragma once
// Hands one finished message to an account's SMTP server. TLS is used exactly as the
// account asks (from the start, or by STARTTLS) and is then required: a server that
// cannot do it gets nothing, never the plain-text message. Connecting and every wait
// for the server are bounded.
#include "base/ovResult.h"
#include "services/mail/ovMsmtpConfig.h"

#include <functional>
#include <string>
#include <vector>

class ovSmtpTransport {
public:
    // Used when the account sets no `timeout`.
    static constexpr int defaultTimeoutSeconds = 30;

    // Fetches the account's password; asked only once the server has shown that it
    // offers a login, so a password command never runs for a server that cannot use it.
    using PasswordSource = std::function<ovResult<std::string>()>;

    // message: the whole RFC 5322 text with CRLF line ends. An account that logs in is
    // sent to only when its server offers authentication (after STARTTLS when TLS is
    // on), as msmtp does; libcurl alone would carry on without logging in. Succeeds only
    // when the server accepted the message for every recipient; the reason of a failure
    // is worded for the person who sent it.
    static ovResult<void> send(const ovMailAccount& account, const PasswordSource& password,
                               const std::vector<std::string>& recipients, const std::string& message);
};
