#pragma once
// The store's reader of repeating events and to-dos: expands an item's iCalendar text
// with ovExpandOccurrences and ovExpandTaskOccurrences.
#include "data/pim/ovPimOccurrenceSource.h"

class ovOccurrencesSource final : public ovPimOccurrenceSource {
public:
    bool expand(std::string_view text, double from, double to, std::vector<ovPimOccurrence>& out) override;
    bool expandTasks(std::string_view text, double from, double to,
                     std::vector<ovPimOccurrence>& out) override;
};
