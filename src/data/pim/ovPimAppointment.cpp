#include "data/pim/ovPimAppointment.h"

#include "data/pim/ovPimStore.h"
#include "system/ovClock.h"
#include "system/ovDateTime.h"

#include <cmath>
#include <string>

namespace {
ovResult<> badDate(const char* what, double date) {
    return ovFail(ovPimCode::invalidArgument, std::string("the appointment's ") + what +
                                                  " is not a valid date (" + std::to_string(date) + ")");
}
} // namespace

int ovPimAppointment::duration() const {
    return static_cast<int>(std::llround((end_ - start_) * 1440.0));
}

ovResult<> ovPimAppointment::setStart(double date) {
    const double end = date + (end_ - start_);
    if (!ovPimIsValidDate(date))
        return badDate("start", date);
    if (!ovPimIsValidDate(end))
        return badDate("end", end);
    start_ = date;
    end_ = end;
    return ovResult<>::success();
}

ovResult<> ovPimAppointment::setEnd(double date) {
    if (!ovPimIsValidDate(date))
        return badDate("end", date);
    if (date < start_)
        return ovFail(ovPimCode::invalidArgument, "the appointment cannot end before it starts");
    end_ = date;
    return ovResult<>::success();
}

ovResult<> ovPimAppointment::setDuration(int minutes) {
    if (minutes < 0)
        return ovFail(ovPimCode::invalidArgument, "the appointment's duration cannot be negative (" +
                                                      std::to_string(minutes) + " minutes)");
    const double end = start_ + minutes / 1440.0;
    if (!ovPimIsValidDate(end))
        return badDate("end", end);
    end_ = end;
    return ovResult<>::success();
}

ovResult<> ovPimAppointment::setReminderMinutesBeforeStart(int minutes) {
    if (minutes < 0)
        return ovFail(ovPimCode::invalidArgument, "a reminder cannot come after the start (" +
                                                      std::to_string(minutes) + " minutes before it)");
    reminderMinutes_ = minutes;
    return ovResult<>::success();
}

namespace {
// How far the date must move to be a local time that exists: 0 for most.
double clockGapShift(double date) {
    ovSystemTime st;
    if (!ovVariantTimeToSystemTime(date, st))
        return 0;
    const ovSystemTime existing = ovExistingLocalTime(st);
    double moved = 0;
    if (existing == st || !ovSystemTimeToVariantTime(existing, moved) || !ovPimIsValidDate(moved))
        return 0;
    return moved - date;
}
} // namespace

bool ovPimAppointment::moveOutOfClockGap() {
    const double startShift = clockGapShift(start_);
    if (startShift > 0 && ovPimIsValidDate(end_ + startShift)) {
        start_ += startShift;
        end_ += startShift;
    }
    const double endShift = clockGapShift(end_);
    if (endShift > 0)
        end_ += endShift;
    return startShift > 0 || endShift > 0;
}

ovResult<> ovPimAppointment::saveTo(ovPimStore& store) {
    // Saving an instance would put its times on the whole series and drop the rule.
    if (occurrence_)
        return ovFail(ovPimCode::invalidArgument,
                      "one occurrence of a repeating appointment cannot be saved on its own");
    return store.saveAppointment(*this);
}
