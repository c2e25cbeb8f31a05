#pragma once
// Where the store learns the instances of a repeating appointment or to-do. The store keeps only
// the text an item was read from; reading rules out of it belongs to the calendar format
// above, which the store is given when it is opened for the program. Without one, every
// appointment is its own single occurrence.
#include "data/pim/ovPimCode.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One instance, in local store dates.
struct ovPimOccurrence {
    double start = 0.0;
    double end = 0.0;
    std::string subject;
    std::string location;
    // The instance's original start, when the text describes a series or an override.
    std::optional<double> recurrenceId;
};

class ovPimOccurrenceSource {
public:
    virtual ~ovPimOccurrenceSource() = default;
    // The instances of the item's text that overlap [from, to). True when the text
    // describes more than one plain event (a rule, extra dates, overrides): the store then
    // shows these instances instead of the item's own start and end. False, with `out`
    // empty, for a text of one plain event or one that cannot be read.
    virtual bool expand(std::string_view text, double from, double to, std::vector<ovPimOccurrence>& out) = 0;
    // The same for a repeating to-do: an instance ends at its due time.
    virtual bool expandTasks(std::string_view text, double from, double to,
                             std::vector<ovPimOccurrence>& out) = 0;
};

// Whether a text may describe a series (names a rule, extra dates or an override); false
// for most items, which are then never parsed.
bool ovPimTextMayRepeat(std::string_view text);
