#include "services/reminders/ovReminderScheduler.h"

#include "data/pim/ovPimStore.h"
#include "system/ovSystem.h"
#include "system/ovUtf.h"

#include <cmath>
#include <vector>

namespace {
// Due times are computed by the store from minutes and days; a reminder at exactly the
// current millisecond must not wait for the next one because of the last bit.
constexpr double kDueSlackDays = 0.5 / 86400000.0;
// A batch of due reminders read at once; more are read until none are left.
constexpr size_t kBatch = 64;
// The latest date the store keeps, so that "every later reminder" is a finite range.
constexpr double kLatestDate = 2958465.0;
// After a failure the store is asked again this much later rather than every tick.
constexpr double kRetryDays = 1.0 / 1440.0;

std::string whenText(double date, double now) {
    ovSystemTime st, today;
    if (!ovVariantTimeToSystemTime(date, st))
        return {};
    std::string text = ovFormatTime(st, false);
    if (ovVariantTimeToSystemTime(now, today) &&
        (st.year != today.year || st.month != today.month || st.day != today.day))
        text = ovFormatIsoLocal(st).substr(0, 10) + " " + text;
    return text;
}
} // namespace

double ovStoreDateOf(const ovSystemTime& time) {
    double date = 0.0;
    if (!ovSystemTimeToVariantTime(time, date))
        return 0.0;
    return date + time.milliseconds / 86400000.0;
}

ovReminderScheduler::ovReminderScheduler(std::shared_ptr<ovPimStore> store, ovNotifier& notifier,
                                         ovSystem& system, FiredHandler onFired)
    : store_(std::move(store)), notifier_(notifier), system_(system), onFired_(std::move(onFired)) {}

ovNotification ovReminderScheduler::textOf(const ovPimReminder& r, double now) {
    ovNotification n;
    n.summary = r.subject.empty() ? std::string(r.kind == ovPimItemType::task ? "Task" : "Appointment")
                                  : ovToUtf8(r.subject);
    std::string body = whenText(r.start, now);
    if (!r.location.empty())
        body += (body.empty() ? "" : ", ") + ovToUtf8(r.location);
    if (r.kind == ovPimItemType::task)
        body = "Task" + std::string(body.empty() ? "" : ", ") + body;
    if (now - r.due > missedAfterDays)
        body = "Missed: " + body;
    n.body = body;
    return n;
}

ovResult<bool> ovReminderScheduler::storeChanged(double now) {
    if (stamp_ && std::fabs(now - lastChangeCheck_) < changeCheckDays)
        return false;
    lastChangeCheck_ = now;
    ovResult<uint64_t> stamp = store_->changeStamp();
    if (!stamp)
        return stamp.error();
    const bool changed = !stamp_ || *stamp_ != stamp.value();
    stamp_ = stamp.value();
    return changed;
}

ovResult<int> ovReminderScheduler::tick(double now) {
    if (!store_)
        return 0;
    ovResult<bool> changed = storeChanged(now);
    if (!changed)
        return changed.error();
    if (planned_ && !changed.value() && (!nextDue_ || now + kDueSlackDays < *nextDue_) && now < replanAt_)
        return 0;
    return fireDue(now);
}

ovResult<int> ovReminderScheduler::fireDue(double now) {
    if (!store_)
        return 0;
    int fired = 0;
    std::vector<ovPimReminder> due;
    for (;;) {
        if (ovResult<> r = store_->reminders(now - oldestDays, now + kDueSlackDays, kBatch, due); !r) {
            nextDue_ = now + kRetryDays;
            planned_ = true;
            return r.error();
        }
        // A batch is claimed in one transaction and shown once it is on disk: many runs at
        // once take short turns, and a claim that did not reach the disk shows nothing.
        std::vector<bool> claimed;
        if (ovResult<> r = store_->claimReminders(due, now, claimed); !r) {
            nextDue_ = now + kRetryDays;
            planned_ = true;
            return r.error();
        }
        for (size_t i = 0; i < due.size(); ++i) {
            const ovPimReminder& reminder = due[i];
            if (!claimed[i])
                continue; // another process fired it
            ++fired;
            ++fired_;
            const ovNotification shown = textOf(reminder, now);
            const ovResult<> delivered = notifier_.notify(shown);
            if (!delivered && !deliveryFailureTold_) {
                deliveryFailureTold_ = true;
                system_.debugOutput("Reminders are not shown on the desktop: " + delivered.reason() + "\n");
            }
            if (onFired_)
                onFired_(shown, delivered.ok());
        }
        if (due.size() < kBatch)
            break;
    }
    if (ovResult<> r = plan(now); !r)
        return r.error();
    return fired;
}

ovResult<> ovReminderScheduler::plan(double now) {
    std::vector<ovPimReminder> next;
    planned_ = true;
    replanAt_ = now + replanDays;
    if (ovResult<> r = store_->reminders(now + kDueSlackDays, kLatestDate, 1, next); !r) {
        nextDue_ = now + kRetryDays;
        return r;
    }
    nextDue_.reset();
    if (!next.empty())
        nextDue_ = next.front().due;
    return ovResult<>::success();
}
