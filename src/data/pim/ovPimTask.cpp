#include "data/pim/ovPimTask.h"

#include "data/pim/ovPimStore.h"

#include <string>

namespace {
ovResult<> checkDate(const char* what, double date) {
    if (ovPimIsValidDate(date))
        return ovResult<>::success();
    return ovFail(ovPimCode::invalidArgument,
                  std::string("the task's ") + what + " is not a valid date (" + std::to_string(date) + ")");
}
} // namespace

ovResult<> ovPimTask::setImportance(int importance) {
    if (importance < importanceLow || importance > importanceHigh)
        return ovFail(ovPimCode::invalidArgument,
                      "a task's importance is 0, 1 or 2, not " + std::to_string(importance));
    importance_ = importance;
    return ovResult<>::success();
}

ovResult<> ovPimTask::setStartDate(double date) {
    ovResult<> r = checkDate("start date", date);
    if (r)
        startDate_ = date;
    return r;
}

ovResult<> ovPimTask::setDueDate(double date) {
    ovResult<> r = checkDate("due date", date);
    if (r)
        dueDate_ = date;
    return r;
}

ovResult<> ovPimTask::setReminderTime(double date) {
    ovResult<> r = checkDate("reminder time", date);
    if (r)
        reminderTime_ = date;
    return r;
}

ovPimTaskDates ovPimTask::datesAt(double now) const {
    if (const std::shared_ptr<ovPimStore> store = this->store())
        return store->taskDatesAt(*this, now);
    return {startDate_, dueDate_, reminderTime_};
}

ovResult<> ovPimTask::saveTo(ovPimStore& store) {
    return store.saveTask(*this);
}
