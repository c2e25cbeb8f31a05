#pragma once
// Hands one finished message to an account's SMTP server. TLS is used exactly as the
// account asks (from the start, or by STARTTLS) and is then required: a server that
// cannot do it gets nothing, never the plain-text message. Connecting and every wait
// for the server are bounded.
#include "base/ovResult.h"
#include "services/mail/ovMsmtpConfig.h"

#include <string>
#include <vector>

class ovSmtpTransport {
public:
    // Used when the account sets no `timeout`.
    static constexpr int defaultTimeoutSeconds = 30;

    // message: the whole RFC 5322 text with CRLF line ends. password: only used when
    // the account authenticates. Succeeds only when the server accepted the message for
    // every recipient; the reason of a failure is worded for the person who sent it.
    static ovResult<void> send(const ovMailAccount& account, const std::string& password,
                               const std::vector<std::string>& recipients, const std::string& message);
};
