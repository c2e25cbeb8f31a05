#include "store/ovPoomSession.h"

#include "data/formats/ovOccurrencesSource.h"
#include "data/pim/ovPimFolder.h"
#include "data/pim/ovPimItems.h"
#include "data/pim/ovPimStore.h"
#include "data/pim/ovPimTask.h"
#include "system/ovHeadlessSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace {

ovSystemTime at(int hour, int minute, int second = 0, int day = 15) {
    ovSystemTime st;
    st.year = 2023;
    st.month = 3;
    st.day = static_cast<uint16_t>(day);
    st.hour = static_cast<uint16_t>(hour);
    st.minute = static_cast<uint16_t>(minute);
    st.second = static_cast<uint16_t>(second);
    return st;
}

double dateOf(const ovSystemTime& st) {
    double d = 0;
    ovSystemTimeToVariantTime(st, d);
    return d;
}

std::vector<std::u16string> subjects(const ovPtrArray<ovPimAppointment>& list) {
    std::vector<std::u16string> out;
    for (ovPimAppointment* a : list)
        out.push_back(a->subject());
    return out;
}

std::vector<std::u16string> fileAsNames(const ovPtrArray<ovPimContact>& list) {
    std::vector<std::u16string> out;
    for (ovPimContact* c : list)
        out.push_back(c->fileAs());
    return out;
}

class ovPoomSessionTest : public ::testing::Test {
protected:
    ovPoomSessionTest() {
        std::string pattern = (fs::temp_directory_path() / "ovPoomSessionTest-XXXXXX").string();
        folder_ = mkdtemp(pattern.data());
        storeFile = folder_ + "/orvida.sqlite";
    }
    ~ovPoomSessionTest() override {
        session.reset();
        fs::remove_all(folder_);
    }

    void open() { session = std::make_unique<ovPoomSession>(system, storeFile); }

    // Minutes from 0:00 of 15 March; the appointment is added through the session, as the wizard adds it.
    void add(const std::u16string& subject, int startMinute, int lengthMinutes, int day = 15) {
        ASSERT_TRUE(session->addAppointment(at(startMinute / 60, startMinute % 60, 0, day), subject, u"",
                                            lengthMinutes, 15));
    }

    std::vector<std::u16string> query(ovSystemTime from, ovSystemTime to, bool useCache) {
        EXPECT_TRUE(session->queryAppointments(from, to, useCache));
        return subjects(session->appointments());
    }

    std::string folder_;
    std::string storeFile;
    ovHeadlessSystem system{std::make_unique<ovVirtualClock>(at(12, 0)), {480, 640}, "/usr/bin/orvida"};
    std::unique_ptr<ovPoomSession> session;
};

using Strings = std::vector<std::u16string>;

} // namespace

TEST_F(ovPoomSessionTest, SearchMatchesTheBeginningOfFileAsOrFirstNameInAnyCase) {
    open();
    ASSERT_TRUE(session->addContact(u"Johnson", u"", u"", u"", u"", u"", u""));
    ASSERT_TRUE(session->addContact(u"Smith", u"Joanna", u"", u"", u"", u"", u""));
    ASSERT_TRUE(session->addContact(u"JOE", u"", u"", u"", u"", u"", u""));
    ASSERT_TRUE(session->addContact(u"J", u"J", u"", u"", u"", u"", u"")); // both names shorter than "jo"
    ASSERT_TRUE(session->addContact(u"Ajo", u"Bjo", u"", u"", u"", u"", u""));
    ASSERT_TRUE(session->addContact(u"Élodie", u"", u"", u"", u"", u"", u""));

    char16_t typed[] = u"jO";
    ASSERT_TRUE(session->searchContacts(typed));
    EXPECT_EQ(fileAsNames(session->contacts()), (Strings{u"JOE", u"Johnson", u"Smith"}));
    // The text is kept as typed, and the caller's buffer is left alone.
    EXPECT_EQ(session->searchText(), u"jO");
    EXPECT_EQ(std::u16string(typed), u"jO");

    ASSERT_TRUE(session->searchContacts(u"ÉL"));
    EXPECT_EQ(fileAsNames(session->contacts()), (Strings{u"Élodie"}));

    ASSERT_TRUE(session->searchContacts(u""));
    EXPECT_EQ(session->contacts().count(), 6);
    EXPECT_EQ(session->searchText(), u"");
}

TEST_F(ovPoomSessionTest, SearchComparesPrefixesOfAnyLength) {
    open();
    const std::u16string longName = u"Bartholomew-Featherstonehaugh Wolfeschlegel the Third";
    ASSERT_TRUE(session->addContact(longName, u"", u"", u"", u"", u"", u""));
    std::u16string other = longName;
    other[39] = u'#'; // the same first 39 characters
    ASSERT_TRUE(session->addContact(other, u"", u"", u"", u"", u"", u""));

    std::u16string prefix = longName.substr(0, 40);
    std::transform(prefix.begin(), prefix.end(), prefix.begin(),
                   [](char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; });
    ASSERT_TRUE(session->searchContacts(prefix));
    EXPECT_EQ(fileAsNames(session->contacts()), (Strings{longName}));
    EXPECT_EQ(session->searchText(), prefix);

    ASSERT_TRUE(session->searchContacts(longName + u"!"));
    EXPECT_EQ(session->contacts().count(), 0);
}

TEST_F(ovPoomSessionTest, AppointmentFromNineToTenIsFoundByTheRangesThatTouchIt) {
    open();
    add(u"nine", 9 * 60, 60);
    for (const bool useCache : {false, true}) {
        SCOPED_TRACE(useCache ? "cached" : "direct");
        EXPECT_EQ(query(at(9, 30), at(9, 45), useCache), (Strings{u"nine"}));
        EXPECT_EQ(query(at(8, 0), at(9, 0), useCache), (Strings{u"nine"}));
        EXPECT_EQ(query(at(10, 0), at(11, 0), useCache), (Strings{u"nine"}));
        EXPECT_EQ(query(at(8, 0), at(11, 0), useCache), (Strings{u"nine"}));
        EXPECT_EQ(query(at(10, 1), at(11, 0), useCache), Strings{});
        EXPECT_EQ(query(at(7, 0), at(8, 59, 59), useCache), Strings{});
    }
}

TEST_F(ovPoomSessionTest, ResultsRunFromTheLatestStartToTheEarliest) {
    open();
    add(u"b", 10 * 60, 30);
    add(u"a", 8 * 60, 30);
    add(u"d", 14 * 60, 30);
    add(u"c", 12 * 60, 30);
    add(u"c2", 12 * 60, 30); // same start, added later: later in the store, so listed first
    add(u"yesterday", 12 * 60, 30, 14);
    add(u"tomorrow", 12 * 60, 30, 16);
    for (const bool useCache : {false, true})
        EXPECT_EQ(query(at(0, 0), at(23, 59, 59), useCache), (Strings{u"d", u"c2", u"c", u"b", u"a"}));
}

TEST_F(ovPoomSessionTest, LongAppointmentThatBeganBeforeAnEndedShortOneIsStillFound) {
    open();
    add(u"all day", 8 * 60, 10 * 60); // 8:00 to 18:00
    add(u"short", 9 * 60, 30);        // 9:00 to 9:30, over before the range
    add(u"later", 12 * 60 + 30, 60);
    for (const bool useCache : {false, true})
        EXPECT_EQ(query(at(12, 0), at(13, 0), useCache), (Strings{u"later", u"all day"}));
}

TEST_F(ovPoomSessionTest, CachedQueriesUseTheCacheUntilAnAppointmentIsAdded) {
    open();
    add(u"first", 9 * 60, 60);
    EXPECT_FALSE(session->cacheValid());
    EXPECT_EQ(query(at(0, 0), at(23, 59), true), (Strings{u"first"}));
    EXPECT_TRUE(session->cacheValid());
    EXPECT_EQ(session->calendarCache().count(), 1);

    // Another program's appointment is not seen until the cache is reloaded.
    {
        ovPimApplication other;
        ASSERT_TRUE(other.logOn(storeFile));
        std::unique_ptr<ovPimItem> item;
        ASSERT_TRUE(other.createItem(1, item));
        ASSERT_TRUE(ovPimItemCast<ovPimAppointment>(item.get())->setStart(dateOf(at(11, 0))));
        ovPimItemCast<ovPimAppointment>(item.get())->setSubject(u"elsewhere");
        ASSERT_TRUE(item->save());
    }
    EXPECT_EQ(query(at(0, 0), at(23, 59), true), (Strings{u"first"}));
    EXPECT_EQ(query(at(0, 0), at(23, 59), false), (Strings{u"elsewhere", u"first"}));

    add(u"second", 15 * 60, 60);
    EXPECT_FALSE(session->cacheValid());
    EXPECT_EQ(query(at(0, 0), at(23, 59), true), (Strings{u"second", u"elsewhere", u"first"}));
    EXPECT_EQ(session->calendarCache().count(), 3);
}

TEST_F(ovPoomSessionTest, CachedResultsAreTheCachesOwnItemsAndDirectResultsAreNot) {
    open();
    add(u"one", 9 * 60, 60);
    add(u"two", 10 * 60, 60);
    ASSERT_TRUE(session->queryAppointments(at(0, 0), at(23, 0), true));
    ASSERT_EQ(session->appointments().count(), 2);
    for (ovPimAppointment* a : session->appointments())
        EXPECT_GE(session->calendarCache().indexOf(a), 0);
    ASSERT_TRUE(session->queryAppointments(at(0, 0), at(23, 0), false));
    ASSERT_EQ(session->appointments().count(), 2);
    for (ovPimAppointment* a : session->appointments())
        EXPECT_EQ(session->calendarCache().indexOf(a), -1);
    // Switching between the two kinds, and reloading the cache under cached results,
    // must neither free an item twice nor leave one behind (the sanitizer build watches).
    ASSERT_TRUE(session->queryAppointments(at(0, 0), at(23, 0), true));
    add(u"three", 11 * 60, 60);
    ASSERT_TRUE(session->queryAppointments(at(0, 0), at(23, 0), true));
    EXPECT_EQ(session->appointments().count(), 3);
    session.reset();
    EXPECT_NE(system.debugText().find("Shutting down POOM\n"), std::string::npos);
}

TEST_F(ovPoomSessionTest, DirectAndCachedQueriesAgreeWithAFullScan) {
    open();
    std::mt19937 random(11);
    std::uniform_int_distribution<int> minuteOfWeek(0, 7 * 1440);
    std::uniform_int_distribution<int> length(0, 180);
    for (int i = 0; i < 150; ++i) {
        const int start = minuteOfWeek(random);
        const int minutes = i % 15 == 0 ? 3 * 1440 : length(random);
        std::u16string name(1, u'a');
        name += static_cast<char16_t>(u'0' + i % 10);
        add(name, start % 1440, minutes, 10 + start / 1440);
    }
    std::unique_ptr<ovPimFolder> folder;
    std::unique_ptr<ovPimItems> all;
    ASSERT_TRUE(session->application()->getDefaultFolder(ovPimFolderCalendar, folder));
    ASSERT_TRUE(folder->items(all));
    for (int q = 0; q < 30; ++q) {
        const int from = minuteOfWeek(random), to = from + length(random) * 4;
        const ovSystemTime a = at(from % 1440 / 60, from % 60, 0, 10 + from / 1440);
        const ovSystemTime b = at(to % 1440 / 60, to % 60, 0, 10 + to / 1440);
        std::vector<int64_t> expected;
        for (int i = all->count(); i >= 1; --i) {
            const auto* item = ovPimItemCast<ovPimAppointment>(all->peek(i));
            if (ovPoomSession::classifyAppointment(item->start(), item->end(), dateOf(a), dateOf(b)) == 0)
                expected.push_back(item->id());
        }
        for (const bool useCache : {false, true}) {
            ASSERT_TRUE(session->queryAppointments(a, b, useCache));
            std::vector<int64_t> found;
            for (ovPimAppointment* item : session->appointments())
                found.push_back(item->id());
            EXPECT_EQ(found, expected) << "query " << q << (useCache ? " cached" : " direct");
        }
    }
}

TEST_F(ovPoomSessionTest, ARepeatingSeriesShowsItsInstanceOfTheDayInCachedAndDirectQueries) {
    open();
    session->application()->store()->setOccurrenceSource(std::make_shared<ovOccurrencesSource>());
    // Every Wednesday at 09:00 from 15 March 2023 (a Wednesday), and one single appointment.
    ovPimAppointment series(session->application()->store());
    ASSERT_TRUE(series.setStart(dateOf(at(9, 0))));
    series.setSubject(u"Series");
    series.setSourceText("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VEVENT\r\n"
                         "UID:series-1\r\nDTSTART:20230315T090000\r\nDTEND:20230315T100000\r\n"
                         "SUMMARY:Series\r\nRRULE:FREQ=WEEKLY\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    ASSERT_TRUE(series.save());
    add(u"Single", 8 * 60, 120, 20);
    // The date picker pages through months; the day bars of each see that week's instance.
    for (int month : {3, 11, 12, 4}) {
        for (const bool useCache : {true, false}) {
            ovSystemTime from = at(0, 0, 0, 20), to = at(23, 59, 59, 20);
            from.month = to.month = static_cast<uint16_t>(month);
            // 20 March 2023 is a Monday; the 22nd of those months falls on other days, so
            // look at the whole week from the 20th.
            to.day = 26;
            const Strings found = query(from, to, useCache);
            EXPECT_EQ(std::count(found.begin(), found.end(), u"Series"), 1) << month << " " << useCache;
            EXPECT_EQ(std::count(found.begin(), found.end(), u"Single"), month == 3 ? 1 : 0) << month;
        }
    }
}

TEST_F(ovPoomSessionTest, ClassifyFollowsTheRangeEdges) {
    const double nine = dateOf(at(9, 0)), ten = dateOf(at(10, 0));
    EXPECT_EQ(ovPoomSession::classifyAppointment(nine, ten, dateOf(at(10, 0)), dateOf(at(11, 0))), 0);
    EXPECT_EQ(ovPoomSession::classifyAppointment(nine, ten, dateOf(at(10, 1)), dateOf(at(11, 0))), 1);
    EXPECT_EQ(ovPoomSession::classifyAppointment(nine, ten, dateOf(at(7, 0)), dateOf(at(8, 59))), 2);
}

TEST_F(ovPoomSessionTest, WithoutAStoreNothingChangesAndEveryOperationSaysSo) {
    session = std::make_unique<ovPoomSession>(system, ovNoStore);
    EXPECT_FALSE(session->hasStore());
    EXPECT_EQ(ovPoomSession::instance(), session.get());
    EXPECT_EQ(session->searchContacts(u"jo").code<ovPimCode>(), ovPimCode::noStore);
    EXPECT_EQ(session->searchText(), u"");
    EXPECT_EQ(session->queryAppointments(at(0, 0), at(23, 0), false).code<ovPimCode>(), ovPimCode::noStore);
    EXPECT_EQ(session->queryAppointments(at(0, 0), at(23, 0), true).code<ovPimCode>(), ovPimCode::noStore);
    EXPECT_FALSE(session->cacheValid());
    const ovResult<> added = session->addAppointment(at(9, 0), u"x", u"", 30, 5);
    EXPECT_EQ(added.code<ovPimCode>(), ovPimCode::noStore);
    EXPECT_FALSE(added.reason().empty());
    EXPECT_EQ(session->addTask(at(9, 0), u"x", 30, 5, 1).code<ovPimCode>(), ovPimCode::noStore);
    EXPECT_EQ(session->addContact(u"x", u"", u"", u"", u"", u"", u"").code<ovPimCode>(), ovPimCode::noStore);
    EXPECT_EQ(session->contacts().count(), 0);
    EXPECT_EQ(session->appointments().count(), 0);
    session.reset();
    EXPECT_EQ(ovPoomSession::instance(), nullptr);
}

TEST_F(ovPoomSessionTest, AStoreThatWillNotOpenLeavesTheSessionWithoutOneAndSaysWhy) {
    std::ofstream(storeFile) << std::string(200, 'x');
    open();
    EXPECT_FALSE(session->hasStore());
    EXPECT_NE(session->openError().find(storeFile), std::string::npos) << session->openError();
    const ovResult<> r = session->addContact(u"x", u"", u"", u"", u"", u"", u"");
    EXPECT_EQ(r.code<ovPimCode>(), ovPimCode::noStore);
    EXPECT_NE(r.reason().find(storeFile), std::string::npos) << r.reason();
}

TEST_F(ovPoomSessionTest, AFailedQueryKeepsTheListsAsTheyWere) {
    open();
    add(u"kept", 9 * 60, 60);
    ASSERT_TRUE(session->addContact(u"Kept", u"", u"", u"", u"", u"", u""));
    ASSERT_TRUE(session->searchContacts(u"k"));
    ASSERT_TRUE(session->queryAppointments(at(0, 0), at(23, 0), false));
    ovSystemTime bad = at(9, 0);
    bad.month = 13;
    for (const bool useCache : {false, true}) {
        EXPECT_EQ(session->queryAppointments(bad, at(23, 0), useCache).code<ovPimCode>(),
                  ovPimCode::invalidArgument);
        EXPECT_EQ(subjects(session->appointments()), (Strings{u"kept"}));
    }
    EXPECT_EQ(fileAsNames(session->contacts()), (Strings{u"Kept"}));
}

TEST_F(ovPoomSessionTest, AddedItemsCarryWhatTheWizardsGave) {
    open();
    // Appointment: a duration of 0 keeps the default hour; a reminder of 0 stays 0.
    ASSERT_TRUE(session->addAppointment(at(14, 30, 17), u"Lunch with Bob", u"Restaurant: Roma", 0, 15));
    ASSERT_TRUE(session->addAppointment(at(16, 0), u"", u"", 45, 0));
    // Task: due after the duration, reminder before the start, in single-precision day fractions.
    ASSERT_TRUE(session->addTask(at(9, 15, 0, 16), u"Pay rent", 60, 15, 2));
    ASSERT_TRUE(session->addTask(at(9, 15, 0, 16), u"", 2 * 1440, 0, 0));
    ASSERT_TRUE(session->addContact(u"Jane Q. Public", u"", u"01", u"02", u"03", u"04", u"jane@example.org"));

    ovPimApplication reader;
    ASSERT_TRUE(reader.logOn(storeFile));
    std::unique_ptr<ovPimFolder> folder;
    std::unique_ptr<ovPimItems> items;
    ASSERT_TRUE(reader.getDefaultFolder(ovPimFolderCalendar, folder));
    ASSERT_TRUE(folder->items(items));
    ASSERT_EQ(items->count(), 2);
    auto lunch = items->itemAs<ovPimAppointment>(1);
    EXPECT_EQ(lunch->start(), dateOf(at(14, 30, 17)));
    EXPECT_EQ(lunch->duration(), 60);
    EXPECT_EQ(lunch->subject(), u"Lunch with Bob");
    EXPECT_EQ(lunch->location(), u"Restaurant: Roma");
    EXPECT_EQ(lunch->reminderMinutesBeforeStart(), 15);
    EXPECT_TRUE(lunch->reminderSet());
    auto four = items->itemAs<ovPimAppointment>(2);
    EXPECT_EQ(four->duration(), 45);
    EXPECT_EQ(four->reminderMinutesBeforeStart(), 0);

    ASSERT_TRUE(reader.getDefaultFolder(ovPimFolderTasks, folder));
    ASSERT_TRUE(folder->items(items));
    ASSERT_EQ(items->count(), 2);
    auto rent = items->itemAs<ovPimTask>(1);
    const double start = dateOf(at(9, 15, 0, 16));
    EXPECT_EQ(rent->subject(), u"Pay rent");
    EXPECT_EQ(rent->importance(), 2);
    EXPECT_EQ(rent->startDate(), start);
    EXPECT_EQ(rent->dueDate(), start + static_cast<double>(60.0f * 0.00069444446f));
    EXPECT_EQ(rent->reminderTime(), start - static_cast<double>(15.0f * 0.00069444446f));
    EXPECT_NEAR(rent->dueDate(), dateOf(at(10, 15, 0, 16)), 1.0 / 86400);
    EXPECT_NEAR(rent->reminderTime(), dateOf(at(9, 0, 0, 16)), 1.0 / 86400);
    auto twoDays = items->itemAs<ovPimTask>(2);
    EXPECT_NEAR(twoDays->dueDate(), dateOf(at(9, 15, 0, 18)), 1.0 / 86400);
    EXPECT_EQ(twoDays->reminderTime(), start);
    EXPECT_EQ(twoDays->importance(), 0);

    ASSERT_TRUE(reader.getDefaultFolder(ovPimFolderContacts, folder));
    ASSERT_TRUE(folder->items(items));
    ASSERT_EQ(items->count(), 1);
    auto jane = items->itemAs<ovPimContact>(1);
    EXPECT_EQ(jane->fileAs(), u"Jane Q. Public");
    EXPECT_EQ(jane->firstName(), u"");
    EXPECT_EQ(jane->homeTelephoneNumber(), u"01");
    EXPECT_EQ(jane->mobileTelephoneNumber(), u"02");
    EXPECT_EQ(jane->businessTelephoneNumber(), u"03");
    EXPECT_EQ(jane->businessFaxNumber(), u"04");
    EXPECT_EQ(jane->email1Address(), u"jane@example.org");
}

TEST_F(ovPoomSessionTest, RefusedItemsAreReportedAndNothingIsSaved) {
    open();
    ovSystemTime bad = at(9, 0);
    bad.day = 32;
    const ovResult<> badStart = session->addAppointment(bad, u"x", u"", 30, 5);
    EXPECT_EQ(badStart.code<ovPimCode>(), ovPimCode::invalidArgument);
    EXPECT_NE(badStart.reason().find("appointment"), std::string::npos) << badStart.reason();
    EXPECT_EQ(session->addAppointment(at(9, 0), u"x", u"", -30, 5).code<ovPimCode>(),
              ovPimCode::invalidArgument);
    EXPECT_EQ(session->addAppointment(at(9, 0), u"x", u"", 30, -5).code<ovPimCode>(),
              ovPimCode::invalidArgument);
    EXPECT_EQ(session->addTask(at(9, 0), u"x", 30, 5, 3).code<ovPimCode>(), ovPimCode::invalidArgument);
    ASSERT_TRUE(session->queryAppointments(at(0, 0), at(23, 0), true));
    EXPECT_EQ(session->calendarCache().count(), 0);
    std::unique_ptr<ovPimFolder> folder;
    std::unique_ptr<ovPimItems> tasks;
    ASSERT_TRUE(session->application()->getDefaultFolder(ovPimFolderTasks, folder));
    ASSERT_TRUE(folder->items(tasks));
    EXPECT_EQ(tasks->count(), 0);
}

TEST_F(ovPoomSessionTest, OneSessionAtATimeIsReachableThroughInstance) {
    EXPECT_EQ(ovPoomSession::instance(), nullptr);
    open();
    EXPECT_EQ(ovPoomSession::instance(), session.get());
    EXPECT_TRUE(session->hasStore());
    EXPECT_EQ(session->openError(), "");
    session.reset();
    EXPECT_EQ(ovPoomSession::instance(), nullptr);
    EXPECT_EQ(system.debugText(), "Shutting down POOM\n");
    open(); // a fresh one may follow in the same process
    EXPECT_EQ(ovPoomSession::instance(), session.get());
    EXPECT_DEATH(ovPoomSession second(system, ovNoStore), "second session");
}
