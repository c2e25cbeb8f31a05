#pragma once
// Reading a libical component's properties the same way in every calendar reader.
#include <libical/ical.h>

#include <string>
#include <string_view>

// Parses calendar text into a component the caller frees (icalcomponent_free); nullptr
// when nothing could be read. Unlike icalparser_parse_string, whose line reader looks for
// the next line end afresh for every small piece it hands on, this one hands on each piece
// without looking past it, so a line of megabytes costs time in proportion to its length.
icalcomponent* ovParseCalendarText(std::string_view text);

// The calendar's own VTIMEZONE of that name, else the system's zone of that name (with a
// writer's prefix such as "/mozilla.org/20050126_1/" taken off); nullptr when none is known.
icaltimezone* ovZoneNamed(icalcomponent* calendar, const char* tzid);

// The first property of that kind as text; empty when there is none.
std::string ovPropertyText(icalcomponent* component, icalproperty_kind kind);
