#include "services/reminders/ovReminderScheduler.h"

#include "data/formats/ovOccurrencesSource.h"
#include "data/pim/ovPimAppointment.h"
#include "data/pim/ovPimStore.h"
#include "data/pim/ovPimTask.h"
#include "services/notify/ovRecordingNotifier.h"
#include "system/ovHeadlessSystem.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

double dateOf(const char* iso) {
    double d = 0.0;
    EXPECT_TRUE(ovSystemTimeToVariantTime(*ovParseIsoLocal(iso), d));
    return d;
}

// A notifier whose desktop has no notification service.
class ovFailingNotifier final : public ovNotifier {
public:
    ovResult<> notify(const ovNotification&) override {
        ++calls;
        return ovFail("no session bus");
    }
    int calls = 0;
};

class ovReminderSchedulerTest : public ::testing::Test {
protected:
    ovReminderSchedulerTest()
        : system(std::make_unique<ovVirtualClock>(*ovParseIsoLocal("2026-12-09T09:00:00")), {}, "") {
        std::string pattern = (fs::temp_directory_path() / "ovReminderSchedulerTest-XXXXXX").string();
        root_ = mkdtemp(pattern.data());
        file = root_ + "/store.db";
        EXPECT_TRUE(ovPimStore::open(file, store));
    }
    ~ovReminderSchedulerTest() override {
        store.reset();
        fs::remove_all(root_);
    }

    void addAppointment(ovPimStore& to, const char* start, const char* subject, int minutes,
                        bool reminderOn = true) {
        ovPimAppointment a;
        ASSERT_TRUE(a.setStart(dateOf(start)));
        a.setSubject(std::u16string(subject, subject + std::char_traits<char>::length(subject)));
        a.setLocation(u"Room 4");
        a.setReminderSet(reminderOn);
        ASSERT_TRUE(a.setReminderMinutesBeforeStart(minutes));
        ASSERT_TRUE(to.saveAppointment(a));
    }
    void addTask(const char* reminderAt, std::u16string subject) {
        ovPimTask t;
        t.setSubject(subject);
        ASSERT_TRUE(t.setReminderTime(dateOf(reminderAt)));
        ASSERT_TRUE(store->saveTask(t));
    }

    std::string root_;
    std::string file;
    std::shared_ptr<ovPimStore> store;
    ovHeadlessSystem system;
    ovRecordingNotifier notifier;
};

} // namespace

TEST_F(ovReminderSchedulerTest, RemindersOfTheSameMinuteFireTogetherOnceAndTheNextIsPlanned) {
    addAppointment(*store, "2026-12-09T09:30:00", "Standup", 15);
    addAppointment(*store, "2026-12-09T09:45:00", "Review", 30);
    addTask("2026-12-09T09:15:00", u"Call the bank");
    addAppointment(*store, "2026-12-09T10:00:00", "Silent", 15, false);
    addAppointment(*store, "2026-12-09T11:00:00", "Lunch", 0);
    ovReminderScheduler scheduler(store, notifier, system);

    ASSERT_EQ(scheduler.tick(dateOf("2026-12-09T09:00:00")).value(), 0);
    ASSERT_TRUE(scheduler.nextDue());
    EXPECT_NEAR(*scheduler.nextDue(), dateOf("2026-12-09T09:15:00"), 1e-9);
    EXPECT_EQ(scheduler.tick(dateOf("2026-12-09T09:14:59")).value(), 0);

    ASSERT_EQ(scheduler.tick(dateOf("2026-12-09T09:15:00")).value(), 3);
    std::vector<std::string> texts;
    for (const ovNotification& n : notifier.notifications())
        texts.push_back(n.summary + ": " + n.body);
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, (std::vector<std::string>{"Call the bank: Task, 09:15", "Review: 09:45, Room 4",
                                               "Standup: 09:30, Room 4"}));
    EXPECT_EQ(scheduler.tick(dateOf("2026-12-09T09:15:01")).value(), 0);
    // The reminder that is switched off is skipped; the one at the start is next.
    ASSERT_TRUE(scheduler.nextDue());
    EXPECT_NEAR(*scheduler.nextDue(), dateOf("2026-12-09T11:00:00"), 1e-9);
    EXPECT_EQ(scheduler.tick(dateOf("2026-12-09T11:00:00")).value(), 1);
    EXPECT_FALSE(scheduler.nextDue());
    EXPECT_EQ(scheduler.firedCount(), 4);
}

TEST_F(ovReminderSchedulerTest, MissedWithinADayFiresOnceAcrossRestartsAndOlderIsDropped) {
    addAppointment(*store, "2026-12-08T10:15:00", "Yesterday", 15); // due 23 hours ago
    addAppointment(*store, "2026-12-08T08:30:00", "Too old", 15);   // due 24.75 hours ago
    {
        ovReminderScheduler scheduler(store, notifier, system);
        ASSERT_EQ(scheduler.tick(dateOf("2026-12-09T09:00:00")).value(), 1);
        EXPECT_EQ(scheduler.tick(dateOf("2026-12-09T09:00:05")).value(), 0);
    }
    ASSERT_EQ(notifier.notifications().size(), 1u);
    EXPECT_EQ(notifier.notifications()[0].summary, "Yesterday");
    EXPECT_EQ(notifier.notifications()[0].body, "Missed: 2026-12-08 10:15, Room 4");

    // A restart, through a fresh connection as a new process would have.
    store.reset();
    ASSERT_TRUE(ovPimStore::open(file, store));
    ovReminderScheduler restarted(store, notifier, system);
    EXPECT_EQ(restarted.tick(dateOf("2026-12-09T09:00:30")).value(), 0);
    EXPECT_EQ(notifier.notifications().size(), 1u);
}

TEST_F(ovReminderSchedulerTest, AnItemAddedWhileRunningIsPlannedFromThisOrAnotherConnection) {
    ovReminderScheduler scheduler(store, notifier, system);
    ASSERT_EQ(scheduler.tick(dateOf("2026-12-09T09:00:00")).value(), 0);
    EXPECT_FALSE(scheduler.nextDue());

    addAppointment(*store, "2026-12-09T09:20:00", "Added here", 10);
    EXPECT_EQ(scheduler.tick(dateOf("2026-12-09T09:00:02")).value(), 0);
    ASSERT_TRUE(scheduler.nextDue());
    EXPECT_NEAR(*scheduler.nextDue(), dateOf("2026-12-09T09:10:00"), 1e-9);

    // Another process (the store tool, a sync) adds an earlier one.
    std::shared_ptr<ovPimStore> other;
    ASSERT_TRUE(ovPimStore::open(file, other));
    addAppointment(*other, "2026-12-09T09:05:00", "Added elsewhere", 0);
    EXPECT_EQ(scheduler.tick(dateOf("2026-12-09T09:00:04")).value(), 0);
    EXPECT_NEAR(*scheduler.nextDue(), dateOf("2026-12-09T09:05:00"), 1e-9);

    EXPECT_EQ(scheduler.tick(dateOf("2026-12-09T09:05:00")).value(), 1);
    EXPECT_EQ(scheduler.tick(dateOf("2026-12-09T09:10:00")).value(), 1);
    ASSERT_EQ(notifier.notifications().size(), 2u);
    EXPECT_EQ(notifier.notifications()[0].summary, "Added elsewhere");
    EXPECT_EQ(notifier.notifications()[1].summary, "Added here");
}

TEST_F(ovReminderSchedulerTest, TwoSchedulersOnOneStoreFireEachReminderOnce) {
    addAppointment(*store, "2026-12-09T09:15:00", "Once", 15);
    std::shared_ptr<ovPimStore> other;
    ASSERT_TRUE(ovPimStore::open(file, other));
    ovRecordingNotifier otherNotifier;
    ovReminderScheduler first(store, notifier, system);
    ovReminderScheduler second(other, otherNotifier, system);
    const int fired = first.tick(dateOf("2026-12-09T09:00:00")).value() +
                      second.tick(dateOf("2026-12-09T09:00:00")).value();
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(notifier.notifications().size() + otherNotifier.notifications().size(), 1u);
}

TEST_F(ovReminderSchedulerTest, UndeliveredReminderStillCountsAndTheReasonIsToldOnce) {
    addAppointment(*store, "2026-12-09T09:10:00", "First", 10);
    addAppointment(*store, "2026-12-09T09:20:00", "Second", 10);
    ovFailingNotifier failing;
    std::vector<bool> delivered;
    ovReminderScheduler scheduler(store, failing, system,
                                  [&](const ovNotification&, bool ok) { delivered.push_back(ok); });
    EXPECT_EQ(scheduler.tick(dateOf("2026-12-09T09:00:00")).value(), 1);
    EXPECT_EQ(scheduler.tick(dateOf("2026-12-09T09:10:00")).value(), 1);
    EXPECT_EQ(scheduler.tick(dateOf("2026-12-09T09:10:01")).value(), 0);
    EXPECT_EQ(failing.calls, 2);
    EXPECT_EQ(delivered, (std::vector<bool>{false, false}));
    EXPECT_EQ(system.debugText(), "Reminders are not shown on the desktop: no session bus\n");
}

TEST_F(ovReminderSchedulerTest, AVersionOneStoreIsUpgradedAndKeepsItsItems) {
    addAppointment(*store, "2026-12-09T09:15:00", "Kept", 15);
    store.reset();
    // Make the file what the first version of the store wrote.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(db,
                     "DROP TABLE vdir_unreadable; DROP TABLE occurrences; DROP TABLE occurrence_spans; DROP "
                     "TABLE occurrence_window; "
                     "DROP INDEX appointments_repeating; ALTER TABLE appointments DROP COLUMN repeats; "
                     "DROP TABLE fired_reminders; DROP INDEX appointments_by_reminder; "
                     "DROP INDEX tasks_by_reminder; DROP TABLE vdir_files; "
                     "DROP INDEX contacts_by_uid; DROP INDEX appointments_by_uid; DROP INDEX tasks_by_uid; "
                     "ALTER TABLE contacts DROP COLUMN uid; ALTER TABLE contacts DROP COLUMN source; "
                     "ALTER TABLE appointments DROP COLUMN uid; ALTER TABLE appointments DROP COLUMN source; "
                     "ALTER TABLE tasks DROP COLUMN uid; ALTER TABLE tasks DROP COLUMN source; "
                     "PRAGMA user_version = 1;",
                     nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);

    ASSERT_TRUE(ovPimStore::open(file, store));
    ovPimStore::ItemList items;
    ASSERT_TRUE(store->appointments(items));
    EXPECT_EQ(items.size(), 1u);
    ovReminderScheduler scheduler(store, notifier, system);
    EXPECT_EQ(scheduler.tick(dateOf("2026-12-09T09:00:00")).value(), 1);

    store.reset();
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* s = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &s, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(s, 0), ovPimStore::schemaVersion);
    sqlite3_finalize(s);
    sqlite3_close(db);
}

TEST_F(ovReminderSchedulerTest, AProgramLeftRunningRemindsOfASeriesThatBeginsMoreThanAMonthAhead) {
    store->setOccurrenceSource(std::make_shared<ovOccurrencesSource>());
    ovPimAppointment a(store);
    ASSERT_TRUE(a.setStart(dateOf("2027-01-20T10:00:00")));
    ASSERT_TRUE(a.setDuration(60));
    a.setSubject(u"Course");
    a.setUid("course-1");
    a.setReminderSet(true);
    ASSERT_TRUE(a.setReminderMinutesBeforeStart(15));
    a.setSourceText("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VEVENT\r\nUID:course-1\r\n"
                    "DTSTART:20270120T100000\r\nDTEND:20270120T110000\r\nSUMMARY:Course\r\n"
                    "RRULE:FREQ=WEEKLY\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    ASSERT_TRUE(a.save());
    ASSERT_TRUE(a.repeats());

    ovReminderScheduler scheduler(store, notifier, system);
    ovResult<int> fired = scheduler.tick(dateOf("2026-12-09T09:00:00"));
    ASSERT_TRUE(fired);
    EXPECT_EQ(fired.value(), 0);
    // The clock runs on, the store does not change: each day's tick may find nothing,
    // the one after the first instance's reminder fires it.
    for (double day = dateOf("2026-12-09T09:00:00"); day < dateOf("2027-01-20T09:00:00"); day += 0.25)
        ASSERT_TRUE(scheduler.tick(day));
    fired = scheduler.tick(dateOf("2027-01-20T09:46:00"));
    ASSERT_TRUE(fired);
    EXPECT_EQ(fired.value(), 1);
    ASSERT_EQ(notifier.notifications().size(), 1u);
}
