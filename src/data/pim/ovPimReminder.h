#pragma once
// One reminder of the store: an appointment's (its start less the reminder minutes) or a
// task's (its reminder time). A reminder is known by its item and due time.
#include "data/pim/ovPimItem.h"

#include <cstdint>
#include <string>

struct ovPimReminder {
    ovPimItemType kind = ovPimItemType::appointment;
    int64_t itemId = 0;
    double due = 0.0;
    std::u16string subject;
    std::u16string location; // empty for tasks
    double start = 0.0;      // the appointment's start; the reminder time for a task
};
