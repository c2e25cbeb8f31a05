// libFuzzer target for the iCalendar and vCard readers and writers, which read files
// made by any program. Any input must give items and problems, never a crash; every
// problem must point into the input; and what is written of an item must read back as
// exactly that one item.
#include "data/formats/ovICalendarCodec.h"
#include "data/formats/ovVCardCodec.h"
#include "data/pim/ovPimAppointment.h"
#include "data/pim/ovPimContact.h"
#include "data/pim/ovPimTask.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void checkProblems(const ovDecoded& d, std::string_view text) {
    // Lines end as the readers end them: CR LF, LF, or a lone CR (old Mac files).
    int lines = 1;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
            ++lines;
    for (const ovDecodeProblem& p : d.problems)
        if (p.line < 1 || p.line > lines || p.problem.empty())
            std::abort();
}

void checkReadsBackAsOne(const std::string& written, bool calendar) {
    const ovDecoded again = calendar ? ovDecodeICalendar(written) : ovDecodeVCards(written);
    if (again.items.size() != 1 || !again.problems.empty())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ovDecoded calendar = ovDecodeICalendar(text);
    checkProblems(calendar, text);
    for (const auto& item : calendar.items) {
        if (item->uid().empty())
            std::abort();
        if (const auto* a = ovPimItemCast<ovPimAppointment>(item.get()))
            checkReadsBackAsOne(ovEncodeAppointment(*a), true);
        else if (const auto* t = ovPimItemCast<ovPimTask>(item.get()))
            checkReadsBackAsOne(ovEncodeTask(*t), true);
    }
    const ovDecoded cards = ovDecodeVCards(text);
    checkProblems(cards, text);
    for (const auto& item : cards.items)
        checkReadsBackAsOne(ovEncodeContact(*ovPimItemCast<ovPimContact>(item.get())), false);
    return 0;
}
