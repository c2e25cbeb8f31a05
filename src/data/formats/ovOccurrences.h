#pragma once
// The occurrences of the events in a calendar text: a repeating event (RRULE, RDATE,
// EXDATE) becomes one occurrence per instance, an instance changed by its own VEVENT
// (RECURRENCE-ID) shows as changed, and a cancelled one (STATUS:CANCELLED) not at all.
// Instances are counted in the event's own time zone, so a weekly 09:00 meeting stays at
// 09:00 there across a DST change, and then given in the process's local time, which is
// what the store keeps.
#include "base/ovResult.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ovOccurrence {
    // Local store dates (days since 1899-12-30).
    double start = 0;
    double end = 0;
    std::string uid;
    std::string subject;
    std::string location;
    // The instance's original start (local) for an instance of a repeating event or an
    // override; empty for an event that does not repeat.
    std::optional<double> recurrenceId;
};

// The occurrences that overlap [from, to) (an instant one counts when it begins inside),
// ordered by start. Fails only for text that is not a calendar. `repeats`, when given, is
// set when the text holds a rule, extra dates or an override, whatever the window.
ovResult<std::vector<ovOccurrence>> ovExpandOccurrences(std::string_view calendarText, double from, double to,
                                                        bool* repeats = nullptr);
// The same for the to-dos (VTODO) of the text: an instance starts at its start and ends
// at its due time (a to-do with a due time only, at that time), and one done
// (STATUS:COMPLETED) is left out as a cancelled one is.
ovResult<std::vector<ovOccurrence>> ovExpandTaskOccurrences(std::string_view calendarText, double from,
                                                            double to, bool* repeats = nullptr);
