// The store's everyday queries on large stores: the home screen's 48-hour direct query,
// a month of the date picker's cached day queries, and a two-letter contact search.
// The bars are absolute (2 ms, 2 ms and one 10 ms tick); the cache load is reported
// beside them because the first cached query pays for it once. The same three on a store
// where 2,000 of the 100,000 appointments repeat weekly without end, and the query that
// plans the next reminder there (bar: 10 ms).
#include "data/formats/ovOccurrencesSource.h"
#include "data/pim/ovPimApplication.h"
#include "data/pim/ovPimAppointment.h"
#include "data/pim/ovPimContact.h"
#include "data/pim/ovPimStore.h"
#include "store/ovPoomSession.h"
#include "system/ovHeadlessSystem.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The home screen's "now": mid-way through the seeded calendar, so that both the past
// and the future hold appointments.
ovSystemTime benchNow() {
    return *ovParseIsoLocal("2020-06-10T12:00:00");
}

// One store per size, seeded once per run and removed at exit.
class BenchStores {
public:
    ~BenchStores() {
        if (!folder_.empty())
            fs::remove_all(folder_);
    }

    // Every repeatEvery-th appointment (none for 0) repeats weekly without end.
    const std::string& storeWith(int appointments, int contacts, int repeatEvery = 0) {
        const auto key = std::make_tuple(appointments, contacts, repeatEvery);
        auto found = files_.find(key);
        if (found != files_.end())
            return found->second;
        if (folder_.empty()) {
            std::string pattern = (fs::temp_directory_path() / "ovStoreBench-XXXXXX").string();
            folder_ = mkdtemp(pattern.data());
        }
        const std::string file = folder_ + "/store-" + std::to_string(appointments) + "-" +
                                 std::to_string(contacts) + "-" + std::to_string(repeatEvery) + ".sqlite";
        seed(file, appointments, contacts, repeatEvery);
        return files_.emplace(key, file).first->second;
    }

private:
    static void check(const ovResult<>& r) {
        if (!r) {
            std::fprintf(stderr, "ovStoreBench: %s\n", r.reason().c_str());
            std::exit(1);
        }
    }

    static void seed(const std::string& file, int appointments, int contacts, int repeatEvery) {
        ovPimApplication app;
        check(app.logOn(file));
        app.store()->setOccurrenceSource(std::make_shared<ovOccurrencesSource>());
        check(app.beginBatch());
        std::mt19937 random(2020);
        // About one appointment an hour around the clock, centred on benchNow: 100,000
        // reach five and a half years either side. Every 500th lasts three days.
        double now;
        ovSystemTimeToVariantTime(benchNow(), now);
        const double first = now - appointments / 24.0 / 2;
        std::uniform_int_distribution<int> length(15, 120);
        std::uniform_real_distribution<double> jitter(0.0, 1.0 / 24);
        for (int i = 0; i < appointments; ++i) {
            std::unique_ptr<ovPimItem> item;
            check(app.createItem(1, item));
            auto* a = ovPimItemCast<ovPimAppointment>(item.get());
            check(a->setStart(first + i / 24.0 + jitter(random)));
            check(a->setDuration(i % 500 == 0 ? 3 * 1440 : length(random)));
            a->setSubject(u"Meeting " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)));
            a->setLocation(u"Room 4");
            if (repeatEvery > 0 && i % repeatEvery == 0)
                a->setSourceText(weeklyText(i, a->start(), a->end()));
            check(a->save());
        }
        // Names from syllables; "jo" begins about one name in twenty, more often than
        // in a real address book, so the search's result is on the large side.
        const char16_t* syllables[] = {u"jo", u"an", u"ma", u"ri", u"el", u"ka", u"to", u"li", u"sa", u"be",
                                       u"ne", u"do", u"mi", u"ra", u"ve", u"lu", u"pe", u"ho", u"ci", u"fa"};
        std::uniform_int_distribution<int> pick(0, 19);
        auto name = [&](int syllableCount) {
            std::u16string text;
            for (int k = 0; k < syllableCount; ++k)
                text += syllables[pick(random)];
            text[0] = static_cast<char16_t>(text[0] - 32);
            return text;
        };
        for (int i = 0; i < contacts; ++i) {
            std::unique_ptr<ovPimItem> item;
            check(app.createItem(2, item));
            auto* c = ovPimItemCast<ovPimContact>(item.get());
            const std::u16string last = name(3), firstName = name(2);
            c->setFileAs(last + u", " + firstName);
            c->setFirstName(firstName);
            c->setMobileTelephoneNumber(u"+44 7700 900" +
                                        std::u16string(1, static_cast<char16_t>(u'0' + i % 10)));
            c->setEmail1Address(firstName + u"@example.org");
            check(c->save());
        }
        check(app.commitBatch());
    }

    static std::string icalDate(double date) {
        ovSystemTime st;
        ovVariantTimeToSystemTime(date, st);
        char text[32];
        std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02d", st.year, st.month, st.day, st.hour,
                      st.minute, st.second);
        return text;
    }
    static std::string weeklyText(int i, double start, double end) {
        return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\nBEGIN:VEVENT\r\nUID:weekly-" +
               std::to_string(i) + "\r\nDTSTART:" + icalDate(start) + "\r\nDTEND:" + icalDate(end) +
               "\r\nSUMMARY:Weekly\r\nRRULE:FREQ=WEEKLY\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    }

    std::string folder_;
    std::map<std::tuple<int, int, int>, std::string> files_;
};

BenchStores& stores() {
    static BenchStores instance;
    return instance;
}

ovHeadlessSystem& benchSystem() {
    static ovHeadlessSystem system(std::make_unique<ovVirtualClock>(benchNow()), {480, 640}, "orvida");
    return system;
}

ovSystemTime shifted(const ovSystemTime& st, double days) {
    double date;
    ovSystemTimeToVariantTime(st, date);
    ovSystemTime out;
    ovVariantTimeToSystemTime(date + days, out);
    return out;
}

// A session as the program opens it: reading repeating appointments' rules.
std::unique_ptr<ovPoomSession> openSession(const std::string& file) {
    auto session = std::make_unique<ovPoomSession>(benchSystem(), file);
    if (session->hasStore())
        session->application()->store()->setOccurrenceSource(std::make_shared<ovOccurrencesSource>());
    return session;
}

// range(0): appointments; range(1): every how many repeats (0: none).
void BM_HomeScreenDirectQuery(benchmark::State& state) {
    const std::string& file =
        stores().storeWith(static_cast<int>(state.range(0)), 10000, static_cast<int>(state.range(1)));
    auto opened = openSession(file);
    ovPoomSession& session = *opened;
    const ovSystemTime from = shifted(benchNow(), -1.0), to = shifted(benchNow(), 1.0);
    // The first query after an import expands every series for the store; measured on its own.
    if (!session.queryAppointments(from, to, false))
        state.SkipWithError("query failed");
    for (auto _ : state) {
        if (!session.queryAppointments(from, to, false))
            state.SkipWithError("query failed");
        benchmark::DoNotOptimize(session.appointments().count());
    }
    state.counters["found"] = session.appointments().count();
}

void BM_DatePickerMonthCached(benchmark::State& state) {
    const std::string& file =
        stores().storeWith(static_cast<int>(state.range(0)), 10000, static_cast<int>(state.range(1)));
    auto opened = openSession(file);
    ovPoomSession& session = *opened;
    ovSystemTime day = benchNow();
    day.day = 1;
    // The first cached query loads the calendar; that is measured on its own below.
    if (!session.queryAppointments(day, day, true))
        state.SkipWithError("the store refused the query");
    int found = 0;
    for (auto _ : state) {
        found = 0;
        for (int d = 1; d <= 31; ++d) {
            ovSystemTime from = day, to = day;
            from.day = to.day = static_cast<uint16_t>(d > 30 ? 30 : d);
            from.hour = from.minute = from.second = 0;
            to.hour = 23, to.minute = 59, to.second = 59;
            if (!session.queryAppointments(from, to, true))
                state.SkipWithError("the store refused the query");
            found += session.appointments().count();
        }
        benchmark::DoNotOptimize(found);
    }
    state.counters["found"] = found;
}

void BM_CalendarCacheLoad(benchmark::State& state) {
    const std::string& file = stores().storeWith(static_cast<int>(state.range(0)), 10000);
    ovPoomSession session(benchSystem(), file);
    for (auto _ : state) {
        session.invalidateCache();
        if (!session.queryAppointments(benchNow(), benchNow(), true))
            state.SkipWithError("the store refused the query");
    }
    state.counters["cached"] = session.calendarCache().count();
}

// What the reminder scheduler asks to plan: the first reminder not yet fired after now.
void BM_PlanNextReminder(benchmark::State& state) {
    const std::string& file =
        stores().storeWith(static_cast<int>(state.range(0)), 10000, static_cast<int>(state.range(1)));
    auto opened = openSession(file);
    double now;
    ovSystemTimeToVariantTime(benchNow(), now);
    std::vector<ovPimReminder> next;
    // As in the program, the instances near now are already kept (the home screen's query).
    if (!opened->application()->store()->reminders(now, 2958465.0, 1, next))
        state.SkipWithError("the store refused the query");
    for (auto _ : state) {
        if (!opened->application()->store()->reminders(now, 2958465.0, 1, next))
            state.SkipWithError("the store refused the query");
        benchmark::DoNotOptimize(next.size());
    }
}

// The first range query after 2,000 weekly series were imported: every series is expanded
// for the dates the store keeps.
void BM_FirstQueryAfterImportingSeries(benchmark::State& state) {
    const std::string& file = stores().storeWith(100000, 10000, 50);
    auto opened = openSession(file);
    ovPimStore& store = *opened->application()->store();
    double now;
    ovSystemTimeToVariantTime(benchNow(), now);
    ovPimStore::ItemList found;
    for (auto _ : state) {
        state.PauseTiming();
        // Decades on each time, past what the store extends, so that all of it is made again.
        now += 30 * 366.0;
        state.ResumeTiming();
        if (!store.appointmentsOverlapping(now - 1, now + 1, found))
            state.SkipWithError("query failed");
    }
    state.counters["found"] = static_cast<double>(found.size());
}

void BM_ContactSearchTwoLetters(benchmark::State& state) {
    const std::string& file = stores().storeWith(100000, static_cast<int>(state.range(0)));
    ovPoomSession session(benchSystem(), file);
    for (auto _ : state) {
        if (!session.searchContacts(u"jO"))
            state.SkipWithError("search failed");
        benchmark::DoNotOptimize(session.contacts().count());
    }
    state.counters["found"] = session.contacts().count();
}

} // namespace

BENCHMARK(BM_HomeScreenDirectQuery)
    ->Args({10000, 0})
    ->Args({100000, 0})
    ->Args({100000, 50})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DatePickerMonthCached)
    ->Args({10000, 0})
    ->Args({100000, 0})
    ->Args({100000, 50})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstQueryAfterImportingSeries)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PlanNextReminder)->Args({100000, 0})->Args({100000, 50})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ContactSearchTwoLetters)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CalendarCacheLoad)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
