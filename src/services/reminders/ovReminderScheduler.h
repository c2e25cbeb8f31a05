#pragma once
// Fires the store's reminders at their time on the program's clock: an appointment's
// (its start less the reminder minutes) and a task's (its reminder time). The next due
// time comes from the store's reminder index; the plan is made again when it passes and
// when the store changes (a save here, another process, a sync).
//
// Each reminder fires once: it is noted in the store as fired before it is shown, and a
// reminder another process noted first is left to it. A reminder found more than five
// minutes after its time (the program was not running) is shown as missed; one more than
// a day old is not shown at all.
//
// A notification the notifier cannot deliver still counts as fired: the reason goes to
// the debug output once, and whoever is told of fired reminders shows it another way.
#include "data/pim/ovPimReminder.h"
#include "services/notify/ovNotifier.h"
#include "system/ovDateTime.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class ovPimStore;
class ovSystem;

class ovReminderScheduler {
public:
    // Later than this after its time a reminder is shown as missed: long enough that a
    // timer run every minute or two does not call its reminders missed.
    static constexpr double missedAfterDays = 5.0 / 1440.0;
    // Older than this a reminder is not shown.
    static constexpr double oldestDays = 1.0;
    // How often the store is asked whether it changed, in days (one second).
    static constexpr double changeCheckDays = 1.0 / 86400.0;
    // The plan is made again at least this often, in days: the store looks a month ahead
    // among a series' instances, so a program left running finds those further on as the
    // days pass.
    static constexpr double replanDays = 1.0;

    // What became of one reminder: the text shown and whether the notifier took it.
    using FiredHandler = std::function<void(const ovNotification& shown, bool delivered)>;

    ovReminderScheduler(std::shared_ptr<ovPimStore> store, ovNotifier& notifier, ovSystem& system,
                        FiredHandler onFired = {});

    // Fires what is due at `now` (a store date) when the plan says so or the store has
    // changed. Returns how many reminders this call fired.
    ovResult<int> tick(double now);
    // Fires what is due at `now` whatever the plan says, and plans afresh.
    ovResult<int> fireDue(double now);

    // The next reminder's due time, when one is planned.
    std::optional<double> nextDue() const { return nextDue_; }
    int firedCount() const { return fired_; }

    // The notification of a reminder found at `now`.
    static ovNotification textOf(const ovPimReminder& reminder, double now);

private:
    ovResult<> plan(double now);
    ovResult<bool> storeChanged(double now);

    std::shared_ptr<ovPimStore> store_;
    ovNotifier& notifier_;
    ovSystem& system_;
    FiredHandler onFired_;
    std::optional<double> nextDue_;
    double replanAt_ = 0.0;
    bool planned_ = false;
    std::optional<uint64_t> stamp_;
    double lastChangeCheck_ = 0.0;
    int fired_ = 0;
    bool deliveryFailureTold_ = false;
};

// The program clock's local time as a store date, milliseconds included.
double ovStoreDateOf(const ovSystemTime& time);
