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

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class ovSystem;
class ovMailMessage;
class ovMailCourier;
class ovNotifier;

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
    // The same without waiting for any server: the message is checked and kept in the
    // outbox at once, and a thread of the manager's own takes it to the server. Gives
    // the ticket by which the outcome will be told (to the outcome handler, or else as
    // a notification), or why the message could not even be kept.
    ovResult<uint64_t> queueMail(std::u16string_view to, std::u16string_view subject,
                                 std::u16string_view body, std::u16string_view accountName);
    // Called on the window's thread each frame: tells what became of the messages on
    // their way since the last call, and every retryCheckSeconds has the thread try
    // the queued messages whose pause is over (the first time, at start, all of them).
    // A retried message that goes, or is refused for good, is told as a notification;
    // one that fails again waits for its next try.
    void pollOutcomes();
    // How often the outbox is looked at for messages due again.
    static constexpr int64_t retryCheckSeconds = 15;
    // Hears each outcome first: the ticket, whether the message went, and a sentence
    // saying so; returns true when it showed it to the user. Otherwise the outcome
    // becomes a notification (when there is a notifier) and a line of debug output.
    using OutcomeHandler = std::function<bool(uint64_t ticket, bool sent, const std::string& text)>;
    void setOutcomeHandler(OutcomeHandler handler) { outcomeHandler_ = std::move(handler); }
    void setNotifier(ovNotifier* notifier) { notifier_ = notifier; }
    // Messages queued and not yet known to have gone or failed.
    bool sending() const;

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
    // Composes the message in every store named accountName and hands it to `submit`.
    ovResult<void> forEachStoreNamed(std::u16string_view to, std::u16string_view subject,
                                     std::u16string_view body, std::u16string_view accountName,
                                     const std::function<ovResult<void>(ovMailMessage&)>& submit);
    void trace(int32_t code, int line);
    void emptyAccounts();

    ovSystem& system_;
    std::string configDir_;
    std::string dataDir_;
    ovPtrArray<AccountName> accounts_;
    std::vector<std::unique_ptr<AccountName>> names_;
    std::unique_ptr<ovMailCourier> courier_;
    int64_t now() const;
    uint64_t lastTicket_ = 0;
    int64_t nextRetryCheck_ = 0;
    std::string outboxRoot_; // looked at each round without a thread when nothing was ever queued
    OutcomeHandler outcomeHandler_;
    ovNotifier* notifier_ = nullptr;
};
