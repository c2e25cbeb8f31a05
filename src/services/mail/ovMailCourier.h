#pragma once
// Takes queued messages to their servers on a thread of its own, so that whoever
// queued them (the window's thread) never waits for a server. Outcomes are collected
// until the owner takes them, on its own thread, each frame.
#include "base/ovResult.h"
#include "services/mail/ovMsmtpConfig.h"
#include "services/mail/ovOutboxClaim.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

struct ovMailOutcome {
    uint64_t ticket = 0;
    std::string account;
    std::string recipients; // as the envelope has them, separated by ", "
    std::string subject;
    ovResult<void> result;
};

class ovMailCourier {
public:
    ovMailCourier() = default;
    // Waits for the message on its way (its time limits bound the wait); those not
    // begun stay in their outbox for the next try.
    ~ovMailCourier();
    ovMailCourier(const ovMailCourier&) = delete;
    ovMailCourier& operator=(const ovMailCourier&) = delete;

    // A claimed message for the thread to deliver; the claim travels with it. now:
    // the time of the try, seconds since the epoch, from which a failed try's pause runs.
    void post(ovMailOutcome about, ovMailAccount account, ovOutboxClaim claim, int64_t now);
    // Work of another kind for the same thread (a round of retries); it reports what
    // became of each message through `report`, which may be called from the thread.
    void post(std::function<void()> work);
    // Hands over an outcome from the courier's thread (for posted work).
    void report(ovMailOutcome outcome);
    // The outcomes since the last call, oldest first.
    std::vector<ovMailOutcome> takeOutcomes();
    // Nothing waiting, nothing on its way.
    bool idle() const;

private:
    struct Job {
        ovMailOutcome about;
        ovMailAccount account;
        std::optional<ovOutboxClaim> claim;
        int64_t now = 0;
        std::function<void()> work;
    };
    void push(Job job);
    void run();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    std::vector<ovMailOutcome> outcomes_;
    bool working_ = false;
    bool stopping_ = false;
    std::thread thread_;
};
