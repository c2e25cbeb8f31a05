#include "platform/pim/ovPimTask.h"

#include "platform/pim/ovPimStore.h"

#include <string>

namespace {
ovPimResult checkDate(const char* what, double date) {
    if (ovPimIsValidDate(date))
        return ovPimResult::success();
    return ovPimResult::failure(ovPimCode::invalidArgument, std::string("the task's ") + what +
                                                                " is not a valid date (" +
                                                                std::to_string(date) + ")");
}
} // namespace

ovPimResult ovPimTask::setImportance(int importance) {
    if (importance < importanceLow || importance > importanceHigh)
        return ovPimResult::failure(ovPimCode::invalidArgument,
                                    "a task's importance is 0, 1 or 2, not " + std::to_string(importance));
    importance_ = importance;
    return ovPimResult::success();
}

ovPimResult ovPimTask::setStartDate(double date) {
    ovPimResult r = checkDate("start date", date);
    if (r)
        startDate_ = date;
    return r;
}

ovPimResult ovPimTask::setDueDate(double date) {
    ovPimResult r = checkDate("due date", date);
    if (r)
        dueDate_ = date;
    return r;
}

ovPimResult ovPimTask::setReminderTime(double date) {
    ovPimResult r = checkDate("reminder time", date);
    if (r)
        reminderTime_ = date;
    return r;
}

ovPimResult ovPimTask::saveTo(ovPimStore& store) {
    return store.saveTask(*this);
}
