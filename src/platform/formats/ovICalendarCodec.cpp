#include "platform/formats/ovICalendarCodec.h"

#include "platform/pim/ovPimAppointment.h"
#include "platform/pim/ovPimTask.h"

// Not written yet: reads nothing and writes nothing.
ovDecoded ovDecodeICalendar(std::string_view) {
    return {};
}

std::string ovEncodeAppointment(const ovPimAppointment&) {
    return {};
}

std::string ovEncodeTask(const ovPimTask&) {
    return {};
}
