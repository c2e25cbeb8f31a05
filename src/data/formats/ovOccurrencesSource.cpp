#include "data/formats/ovOccurrencesSource.h"

#include "data/formats/ovOccurrences.h"

namespace {
using Expansion = ovResult<std::vector<ovOccurrence>> (*)(std::string_view, double, double, bool*);

bool expandWith(Expansion expansion, std::string_view text, double from, double to,
                std::vector<ovPimOccurrence>& out) {
    out.clear();
    bool repeats = false;
    ovResult<std::vector<ovOccurrence>> expanded = expansion(text, from, to, &repeats);
    if (!expanded || !repeats)
        return false;
    out.reserve(expanded.value().size());
    for (ovOccurrence& o : expanded.value())
        out.push_back(
            ovPimOccurrence{o.start, o.end, std::move(o.subject), std::move(o.location), o.recurrenceId});
    return true;
}
} // namespace

bool ovOccurrencesSource::expand(std::string_view text, double from, double to,
                                 std::vector<ovPimOccurrence>& out) {
    return expandWith(&ovExpandOccurrences, text, from, to, out);
}

bool ovOccurrencesSource::expandTasks(std::string_view text, double from, double to,
                                      std::vector<ovPimOccurrence>& out) {
    return expandWith(&ovExpandTaskOccurrences, text, from, to, out);
}
