#pragma once
// The program's access to messaging: the list of accounts (one per message store,
// the "SMS" store last), e-mail through a named account, and SMS. Each call logs on,
// does its work and lets everything go again. Both sends tell the caller what became
// of the message, with a reason a person can read; the steps that fail are also
// traced to the debug output for developers.
#include "base/ovFixedText.h"
#include "base/ovHResult.h"
#include "base/ovPtrArray.h"
#include "base/ovResult.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class ovSystem;
class ovMailMessage;

class ovMailManager {
public:
    using AccountName = ovFixedText<256>;

    // configDir: the --config folder, or empty for the user's own settings.
    // dataDir: where the outboxes and the SMS spool live.
    ovMailManager(ovSystem& system, std::string configDir, std::string dataDir);
    ~ovMailManager();
    ovMailManager(const ovMailManager&) = delete;
    ovMailManager& operator=(const ovMailManager&) = delete;

    // The one live manager, or null.
    static ovMailManager* instance();

    // Refills the account list from the message stores, in their order; returns 0.
    // Problems with the configuration are shown once per call, naming file and line.
    ovHResult loadAccounts();
    const ovPtrArray<AccountName>& accounts() const { return accounts_; }

    // Sends the e-mail through every store whose display name is accountName (names
    // compared as the account list holds them, at most 255 units). Succeeds when at
    // least one store took it and none failed.
    ovResult<void> sendMail(std::u16string_view to, std::u16string_view subject, std::u16string_view body,
                            std::u16string_view accountName);
    ovResult<void> sendSms(bool statusReport, bool noSmsc, std::u16string_view smscAddress,
                           std::u16string_view destination, std::u16string_view text);

    ovHResult composeMessage(ovMailMessage& message, std::u16string_view subject, std::u16string_view body,
                             std::u16string_view to, std::u16string_view cc, std::u16string_view bcc);
    ovHResult addRecipients(ovMailMessage& message, std::u16string_view to, std::u16string_view cc,
                            std::u16string_view bcc);

    // The addresses in a recipients text: separated by a space or a semicolon, spaces
    // before an address skipped; "a;;b" gives a, an empty address, and b.
    static std::vector<std::u16string> splitAddresses(std::u16string_view text);

private:
    void trace(int32_t code, int line);
    void emptyAccounts();

    ovSystem& system_;
    std::string configDir_;
    std::string dataDir_;
    ovPtrArray<AccountName> accounts_;
    std::vector<std::unique_ptr<AccountName>> names_;
};
