#include "data/pim/ovPimTaskSeries.h"

#include "data/pim/ovPimTask.h"
#include "system/ovUtf.h"

namespace {

constexpr double kSecond = 1.0 / 86400;

// Where a task's reminder is measured from: its due time, or its start when it has none.
double anchorOf(double start, double due) {
    return due != ovPimNoDate ? due : start;
}

double anchorOf(const ovPimOccurrence& o, bool hasDue) {
    return hasDue ? o.end : o.start;
}

} // namespace

ovResult<> ovPimTaskSeries::prepare(ovSqliteDatabase& db) {
    // LIKE ignores ASCII case, as property names may be written in either.
    if (ovResult<> r =
            db.prepare("SELECT id, subject, start_date, due_date, reminder_time, source FROM tasks "
                       "WHERE reminder_set = 1 AND reminder_time > 0 AND (source LIKE '%RRULE%' OR source "
                       "LIKE '%RDATE%' "
                       "OR source LIKE '%RECURRENCE-ID%')",
                       remindingSeries_);
        !r)
        return r;
    return db.prepare("SELECT 1 FROM fired_reminders WHERE kind = ?1 AND item_id = ?2 AND due = ?3", fired_);
}

bool ovPimTaskSeries::nextInstance(ovPimOccurrenceSource& source, const ovPimTask& task, double now,
                                   ovPimTaskDates& out) {
    const std::string& text = task.sourceText();
    if (!ovPimTextMayRepeat(text))
        return false;
    const bool hasDue = task.dueDate() != ovPimNoDate;
    std::vector<ovPimOccurrence> found;
    // Most series repeat within a month; a yearly one needs a year, a rare one more.
    for (const double days : {32.0, 400.0, 3660.0}) {
        if (!source.expandTasks(text, now, now + days, found))
            return false;
        const ovPimOccurrence* next = nullptr;
        for (const ovPimOccurrence& o : found) {
            if (anchorOf(o, hasDue) >= now &&
                (next == nullptr || anchorOf(o, hasDue) < anchorOf(*next, hasDue)))
                next = &o;
        }
        if (next == nullptr)
            continue;
        out.start = task.startDate() != ovPimNoDate ? next->start : ovPimNoDate;
        out.due = hasDue ? next->end : ovPimNoDate;
        out.reminderTime =
            task.reminderTime() == ovPimNoDate
                ? ovPimNoDate
                : task.reminderTime() + anchorOf(*next, hasDue) - anchorOf(task.startDate(), task.dueDate());
        return true;
    }
    return false;
}

ovResult<> ovPimTaskSeries::reminders(ovSqliteDatabase& db, ovPimOccurrenceSource& source, double from,
                                      double to, std::vector<ovPimReminder>& out,
                                      std::set<int64_t>& repeating) {
    struct Series {
        int64_t id;
        std::u16string subject;
        bool hasDue;
        double offset;
        std::string text;
    };
    std::vector<Series> series;
    {
        ovSqliteStatement::ResetOnExit done(remindingSeries_);
        ovSqliteStatement::Step step;
        while ((step = remindingSeries_.step()) == ovSqliteStatement::Step::row) {
            const double start = remindingSeries_.columnDouble(2), due = remindingSeries_.columnDouble(3);
            series.push_back(Series{remindingSeries_.columnInt(0), ovToUtf16(remindingSeries_.columnText(1)),
                                    due != ovPimNoDate,
                                    remindingSeries_.columnDouble(4) - anchorOf(start, due),
                                    std::string(remindingSeries_.columnText(5))});
        }
        if (step == ovSqliteStatement::Step::error)
            return db.failure("cannot read the repeating tasks");
    }
    std::vector<ovPimOccurrence> found;
    for (const Series& s : series) {
        // The instances whose reminder falls in the range are those anchored offset later.
        if (!source.expandTasks(s.text, from - s.offset - kSecond, to - s.offset + kSecond, found))
            continue;
        repeating.insert(s.id);
        for (const ovPimOccurrence& o : found) {
            const double due = anchorOf(o, s.hasDue) + s.offset;
            if (due < from || due > to)
                continue;
            ovSqliteStatement::ResetOnExit done(fired_);
            fired_.bindInt(1, static_cast<int>(ovPimItemType::task));
            fired_.bindInt(2, s.id);
            fired_.bindDouble(3, due);
            const ovSqliteStatement::Step step = fired_.step();
            if (step == ovSqliteStatement::Step::error)
                return db.failure("cannot read the reminders");
            if (step == ovSqliteStatement::Step::row)
                continue;
            ovPimReminder r;
            r.kind = ovPimItemType::task;
            r.itemId = s.id;
            r.due = due;
            r.subject = o.subject.empty() ? s.subject : ovToUtf16(o.subject);
            r.start = due;
            out.push_back(std::move(r));
        }
    }
    return ovResult<>::success();
}
