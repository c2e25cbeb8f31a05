// Hostile calendar and card files: reading must grow with the input, each doubling
// costing about double. One vCard whose quoted-printable value runs over many soft line
// breaks, and one iCalendar line of many megabytes.
#include "data/formats/ovICalendarCodec.h"
#include "data/formats/ovVCardCodec.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void quotedPrintableCard(benchmark::State& state) {
    std::string card = "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Lee;;;;\r\nNOTE;ENCODING=QUOTED-PRINTABLE:";
    for (int64_t i = 0; i < state.range(0); ++i)
        card += "abcdefghij=\r\n";
    card += "end\r\nEND:VCARD\r\n";
    for (auto _ : state)
        benchmark::DoNotOptimize(ovDecodeVCards(card));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(card.size()));
}
BENCHMARK(quotedPrintableCard)->Arg(20000)->Arg(40000)->Arg(80000)->Unit(benchmark::kMillisecond);

void longCalendarLine(benchmark::State& state) {
    const std::string calendar =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\nBEGIN:VEVENT\r\nUID:long-1\r\n"
        "DTSTART:20261210T140000Z\r\nDTEND:20261210T150000Z\r\nDESCRIPTION:" +
        std::string(static_cast<size_t>(state.range(0)) << 20, 'x') + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    for (auto _ : state)
        benchmark::DoNotOptimize(ovDecodeICalendar(calendar));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(calendar.size()));
}
BENCHMARK(longCalendarLine)->Arg(1)->Arg(4)->Arg(10)->Unit(benchmark::kMillisecond);

} // namespace
