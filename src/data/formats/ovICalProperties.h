#pragma once
// Reading a libical component's properties the same way in every calendar reader.
#include <libical/ical.h>

#include <string>

// The calendar's own VTIMEZONE of that name, else the system's zone of that name (with a
// writer's prefix such as "/mozilla.org/20050126_1/" taken off); nullptr when none is known.
icaltimezone* ovZoneNamed(icalcomponent* calendar, const char* tzid);

// The first property of that kind as text; empty when there is none.
std::string ovPropertyText(icalcomponent* component, icalproperty_kind kind);
