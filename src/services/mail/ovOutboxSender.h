#pragma once
// Sends what waits in the outboxes: the messages that could not go when they were
// written, tried again once their pause is over (or at once when asked), each by one
// sender only. A message leaves its outbox only when the server has accepted it.
#include "base/ovResult.h"
#include "services/mail/ovMailSession.h"
#include "services/mail/ovOutbox.h"

#include <cstdint>
#include <functional>
#include <vector>

struct ovOutboxRun {
    int sent = 0;
    int failed = 0;
};

class ovOutboxSender {
public:
    explicit ovOutboxSender(ovMailFolders folders) : folders_(std::move(folders)) {}

    // Every queued message of every outbox, oldest first within each.
    std::vector<ovOutboxEntry> list() const;
    // Tries the messages due at `now` (seconds since the epoch), or every message that
    // may be tried when `all`. Messages refused for good and messages another sender
    // holds are left alone.
    // tried, when given, hears of each message tried and what became of it.
    using TriedHandler = std::function<void(const ovOutboxEntry&, const ovResult<void>&)>;
    ovOutboxRun sendDue(int64_t now, bool all, const TriedHandler& tried = {}) const;

    // One claimed message through its account: taken out of the outbox when the server
    // accepted it, its failure recorded otherwise.
    static ovResult<void> deliver(const ovMailAccount& account, const ovOutboxClaim& claim, int64_t now);

private:
    ovMailFolders folders_;
};
