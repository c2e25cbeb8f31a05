#pragma once
// An entry of the tasks folder. A new task has normal importance (1), no dates yet
// (ovPimNoDate) and its reminder on; the reminder rings at reminderTime once that is set.
#include "data/pim/ovPimItem.h"
#include "data/pim/ovPimTaskSeries.h"

#include <string>
#include <string_view>

// The date a task has before one is set: 1899-12-30 00:00, the automation dates' zero.
constexpr double ovPimNoDate = 0.0;

class ovPimTask final : public ovPimItem {
public:
    static constexpr ovPimItemType kind = ovPimItemType::task;
    static constexpr int importanceLow = 0;
    static constexpr int importanceNormal = 1;
    static constexpr int importanceHigh = 2;

    ovPimTask() = default;
    explicit ovPimTask(std::weak_ptr<ovPimStore> store) : ovPimItem(std::move(store)) {}

    ovPimItemType itemType() const override { return kind; }
    std::unique_ptr<ovPimItem> clone() const override { return std::make_unique<ovPimTask>(*this); }

    const std::u16string& subject() const { return subject_; }
    int importance() const { return importance_; }
    double startDate() const { return startDate_; }
    double dueDate() const { return dueDate_; }
    bool reminderSet() const { return reminderSet_; }
    double reminderTime() const { return reminderTime_; }
    // The dates to show at `now`: a task read from a repeating to-do shows its instance
    // next due (see ovPimStore::taskDatesAt); any other its own. Saving keeps the own ones.
    ovPimTaskDates datesAt(double now) const;

    void setSubject(std::u16string_view text) { subject_ = text; }
    // Refused outside 0 (low) .. 2 (high).
    ovResult<> setImportance(int importance);
    // Dates are refused when they are not valid automation dates.
    ovResult<> setStartDate(double date);
    ovResult<> setDueDate(double date);
    ovResult<> setReminderTime(double date);
    void setReminderSet(bool on) { reminderSet_ = on; }

protected:
    ovResult<> saveTo(ovPimStore& store) override;

private:
    friend class ovPimStore;
    std::u16string subject_;
    int importance_ = importanceNormal;
    double startDate_ = ovPimNoDate;
    double dueDate_ = ovPimNoDate;
    bool reminderSet_ = true;
    double reminderTime_ = ovPimNoDate;
};
