#pragma once
// Repeating to-dos. The store keeps a task's own dates (those of its first instance) and
// the text its rule is read from; what a view shows of a repeating task, and when it
// reminds, comes from its instances, read from that text when asked for. Tasks are few
// beside appointments, so nothing of them is kept ahead.
#include "data/pim/ovPimCode.h"
#include "data/pim/ovPimOccurrenceSource.h"
#include "data/pim/ovPimReminder.h"
#include "data/pim/ovSqliteDatabase.h"
#include "data/pim/ovSqliteStatement.h"

#include <cstdint>
#include <set>
#include <string_view>
#include <vector>

class ovPimTask;

// The dates a task shows.
struct ovPimTaskDates {
    double start = 0.0;
    double due = 0.0;
    double reminderTime = 0.0;
};

class ovPimTaskSeries {
public:
    ovResult<> prepare(ovSqliteDatabase& db);
    // The dates of the task's instance next due at or after `now` (the first whose due
    // time, or start for a task without one, is not before it), with its reminder as far
    // from it as the task's own; false when the task does not repeat or no instance is due
    // within ten years.
    static bool nextInstance(ovPimOccurrenceSource& source, const ovPimTask& task, double now,
                             ovPimTaskDates& out);
    // The reminders of repeating tasks' instances due within from..to (edges included) not
    // yet fired, added to `out`; `repeating` gets the ids of the repeating tasks that
    // remind, whose own reminder stands for their first instance only.
    ovResult<> reminders(ovSqliteDatabase& db, ovPimOccurrenceSource& source, double from, double to,
                         std::vector<ovPimReminder>& out, std::set<int64_t>& repeating);

private:
    ovSqliteStatement remindingSeries_;
    ovSqliteStatement fired_;
};
