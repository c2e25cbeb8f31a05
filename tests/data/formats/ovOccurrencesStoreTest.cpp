// A repeating event read into the store, as the views and the reminders meet it: its
// instances, not its first one, in range queries far from where it began; a moved
// instance where it was moved to and reminding there; each instance reminding once.
#include "data/formats/ovOccurrencesSource.h"
#include "data/pim/ovPimAppointment.h"
#include "data/pim/ovPimStore.h"
#include "data/pim/ovPimTask.h"

#include "ovLocalZoneTest.h"

#include <sqlite3.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// A weekly Wednesday meeting from 2026-01-07 on, without end; the instance of
// 2026-12-16 moved to Thursday 14:00, the one of 2026-12-23 dropped.
const char kWeekly[] = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n"
                       "BEGIN:VEVENT\r\nUID:weekly-1\r\nDTSTART:20260107T100000\r\nDTEND:20260107T110000\r\n"
                       "SUMMARY:Weekly sync\r\nRRULE:FREQ=WEEKLY\r\nEXDATE:20261223T100000\r\nEND:VEVENT\r\n"
                       "BEGIN:VEVENT\r\nUID:weekly-1\r\nRECURRENCE-ID:20261216T100000\r\n"
                       "DTSTART:20261217T140000\r\nDTEND:20261217T150000\r\nSUMMARY:Weekly sync (moved)\r\n"
                       "END:VEVENT\r\nEND:VCALENDAR\r\n";

class ovOccurrencesStoreTest : public ovLocalZoneTest {
protected:
    void SetUp() override {
        useZone("Europe/Berlin");
        std::string pattern = (fs::temp_directory_path() / "ovOccurrencesStoreTest-XXXXXX").string();
        folder_ = mkdtemp(pattern.data());
        file_ = folder_ + "/store.sqlite";
        open();
    }
    void TearDown() override {
        store_.reset();
        fs::remove_all(folder_);
        ovLocalZoneTest::TearDown();
    }
    void open() {
        store_.reset();
        ASSERT_TRUE(ovPimStore::open(file_, store_));
        store_->setOccurrenceSource(std::make_shared<ovOccurrencesSource>());
    }
    int64_t saveSeries(bool rulesRead = true) {
        ovPimAppointment a(store_);
        EXPECT_TRUE(a.setStart(ovLocalDate("2026-01-07T10:00:00")));
        EXPECT_TRUE(a.setDuration(60));
        a.setSubject(u"Weekly sync");
        a.setUid("weekly-1");
        a.setSourceText(kWeekly);
        EXPECT_TRUE(a.save());
        EXPECT_EQ(a.repeats(), rulesRead);
        return a.id();
    }
    std::vector<std::string> startsIn(const char* from, const char* to) {
        ovPimStore::ItemList items;
        EXPECT_TRUE(store_->appointmentsOverlapping(ovLocalDate(from), ovLocalDate(to), items));
        std::vector<std::string> out;
        for (const auto& item : items)
            out.push_back(ovIsoDate(ovPimItemCast<ovPimAppointment>(item.get())->start()));
        return out;
    }
    std::vector<std::string> remindersIn(const char* from, const char* to) {
        std::vector<ovPimReminder> due;
        EXPECT_TRUE(store_->reminders(ovLocalDate(from), ovLocalDate(to), 10, due));
        std::vector<std::string> out;
        for (const ovPimReminder& r : due)
            out.push_back(ovIsoDate(r.due));
        return out;
    }

    std::string folder_, file_;
    std::shared_ptr<ovPimStore> store_;
};

TEST_F(ovOccurrencesStoreTest, ASeriesShowsAsItsInstancesWhereverTheQueryLooks) {
    const int64_t id = saveSeries();
    ovPimAppointment single(store_);
    ASSERT_TRUE(single.setStart(ovLocalDate("2026-12-09T12:00:00")));
    ASSERT_TRUE(single.save());

    // Eleven months after the first instance; the moved one on Thursday, the dropped one gone.
    EXPECT_EQ(
        startsIn("2026-12-08T00:00:00", "2026-12-25T00:00:00"),
        (std::vector<std::string>{"2026-12-09T10:00:00", "2026-12-09T12:00:00", "2026-12-17T14:00:00"}));
    ovPimStore::ItemList items;
    ASSERT_TRUE(store_->appointmentsOverlapping(ovLocalDate("2026-12-17T00:00:00"),
                                                ovLocalDate("2026-12-18T00:00:00"), items));
    ASSERT_EQ(items.size(), 1u);
    auto* moved = ovPimItemCast<ovPimAppointment>(items[0].get());
    EXPECT_EQ(moved->id(), id);
    EXPECT_EQ(moved->subject(), u"Weekly sync (moved)");
    EXPECT_TRUE(moved->isOccurrence());
    ASSERT_TRUE(moved->recurrenceId());
    EXPECT_EQ(ovIsoDate(*moved->recurrenceId()), "2026-12-16T10:00:00");
    // Saving one instance would put its times on the whole series.
    EXPECT_FALSE(moved->save());

    // Far past what was kept, and back at the start, across a reopening.
    open();
    EXPECT_EQ(startsIn("2030-03-04T00:00:00", "2030-03-10T00:00:00"),
              (std::vector<std::string>{"2030-03-06T10:00:00"}));
    EXPECT_EQ(startsIn("2026-01-01T00:00:00", "2026-01-08T00:00:00"),
              (std::vector<std::string>{"2026-01-07T10:00:00"}));

    // Removed, it leaves nothing behind.
    ASSERT_TRUE(store_->removeItem(ovPimItemType::appointment, id));
    EXPECT_EQ(startsIn("2026-12-08T00:00:00", "2026-12-25T00:00:00"),
              (std::vector<std::string>{"2026-12-09T12:00:00"}));
}

TEST_F(ovOccurrencesStoreTest, EachInstanceRemindsOnceAndAMovedOneAtItsNewTime) {
    saveSeries();
    EXPECT_EQ(remindersIn("2026-12-09T00:00:00", "2026-12-18T00:00:00"),
              (std::vector<std::string>{"2026-12-09T09:45:00", "2026-12-17T13:45:00"}));
    std::vector<ovPimReminder> due;
    ASSERT_TRUE(
        store_->reminders(ovLocalDate("2026-12-09T09:45:00"), ovLocalDate("2026-12-09T09:45:00"), 1, due));
    ASSERT_EQ(due.size(), 1u);
    EXPECT_EQ(due[0].subject, u"Weekly sync");
    EXPECT_TRUE(store_->claimReminder(due[0], due[0].due).value());
    open();
    EXPECT_EQ(remindersIn("2026-12-09T00:00:00", "2026-12-18T00:00:00"),
              (std::vector<std::string>{"2026-12-17T13:45:00"}));
}

// Bins out every Monday 18:00, due 19:00, reminding 30 minutes before it is due; not on
// 2026-12-14. A to-do repeating by its due time alone, as some task lists write it.
const char kWeeklyTask[] = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n"
                           "BEGIN:VTODO\r\nUID:bins-1\r\nDTSTART:20260105T180000\r\nDUE:20260105T190000\r\n"
                           "SUMMARY:Bins out\r\nRRULE:FREQ=WEEKLY\r\nEXDATE:20261214T180000\r\n"
                           "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER;RELATED=END:-PT30M\r\nEND:VALARM\r\n"
                           "END:VTODO\r\nEND:VCALENDAR\r\n";
const char kMonthlyByDue[] = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n"
                             "BEGIN:VTODO\r\nUID:rent-1\r\nDUE:20260110T090000\r\nSUMMARY:Rent\r\n"
                             "RRULE:FREQ=MONTHLY\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";

TEST_F(ovOccurrencesStoreTest, ARepeatingTaskShowsAndRemindsByItsInstanceNextDue) {
    ovPimTask bins(store_);
    ASSERT_TRUE(bins.setStartDate(ovLocalDate("2026-01-05T18:00:00")));
    ASSERT_TRUE(bins.setDueDate(ovLocalDate("2026-01-05T19:00:00")));
    ASSERT_TRUE(bins.setReminderTime(ovLocalDate("2026-01-05T18:30:00")));
    bins.setSubject(u"Bins out");
    bins.setUid("bins-1");
    bins.setSourceText(kWeeklyTask);
    ASSERT_TRUE(bins.save());
    ovPimTask rent(store_);
    ASSERT_TRUE(rent.setDueDate(ovLocalDate("2026-01-10T09:00:00")));
    rent.setReminderSet(false);
    rent.setSourceText(kMonthlyByDue);
    ASSERT_TRUE(rent.save());

    ovPimStore::ItemList tasks;
    ASSERT_TRUE(store_->tasks(tasks));
    ASSERT_EQ(tasks.size(), 2u);
    const auto shown = [&](size_t index, const char* now) {
        const ovPimTaskDates d = ovPimItemCast<ovPimTask>(tasks[index].get())->datesAt(ovLocalDate(now));
        return std::vector<std::string>{ovIsoDate(d.start), ovIsoDate(d.due), ovIsoDate(d.reminderTime)};
    };
    // Started but not yet due, it is still this one; past its due time, the next but the
    // cancelled one.
    EXPECT_EQ(
        shown(0, "2026-12-07T18:30:00"),
        (std::vector<std::string>{"2026-12-07T18:00:00", "2026-12-07T19:00:00", "2026-12-07T18:30:00"}));
    EXPECT_EQ(
        shown(0, "2026-12-07T19:00:01"),
        (std::vector<std::string>{"2026-12-21T18:00:00", "2026-12-21T19:00:00", "2026-12-21T18:30:00"}));
    EXPECT_EQ(
        ovIsoDate(ovPimItemCast<ovPimTask>(tasks[1].get())->datesAt(ovLocalDate("2026-12-15T00:00:00")).due),
        "2027-01-10T09:00:00");
    // What it keeps, and would write out again, is still the series' own.
    EXPECT_EQ(ovIsoDate(ovPimItemCast<ovPimTask>(tasks[0].get())->dueDate()), "2026-01-05T19:00:00");

    // The first instance reminds once, not once for the task and once for the instance.
    EXPECT_EQ(remindersIn("2026-01-05T00:00:00", "2026-01-06T00:00:00"),
              (std::vector<std::string>{"2026-01-05T18:30:00"}));
    EXPECT_EQ(remindersIn("2026-12-01T00:00:00", "2026-12-22T00:00:00"),
              (std::vector<std::string>{"2026-12-07T18:30:00", "2026-12-21T18:30:00"}));
    std::vector<ovPimReminder> due;
    ASSERT_TRUE(
        store_->reminders(ovLocalDate("2026-12-07T18:30:00"), ovLocalDate("2026-12-07T18:30:00"), 1, due));
    ASSERT_EQ(due.size(), 1u);
    EXPECT_EQ(due[0].subject, u"Bins out");
    EXPECT_TRUE(store_->claimReminder(due[0], due[0].due).value());
    open();
    EXPECT_EQ(remindersIn("2026-12-01T00:00:00", "2026-12-22T00:00:00"),
              (std::vector<std::string>{"2026-12-21T18:30:00"}));
}

TEST_F(ovOccurrencesStoreTest, AStoreOfTheVersionBeforeGetsItsSeriesReadWhenOpened) {
    // A series saved by a program that could not read rules, in a store of the version
    // before instances were kept.
    store_.reset();
    ASSERT_TRUE(ovPimStore::open(file_, store_));
    saveSeries(false);
    store_.reset();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file_.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(
            db,
            "DROP TABLE vdir_unreadable; DROP TABLE occurrences; DROP TABLE occurrence_spans; DROP TABLE "
            "occurrence_window; DROP INDEX appointments_repeating; "
            "ALTER TABLE appointments DROP COLUMN repeats; PRAGMA user_version = 4;",
            nullptr, nullptr, nullptr),
        SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);

    open();
    EXPECT_EQ(startsIn("2026-12-08T00:00:00", "2026-12-10T00:00:00"),
              (std::vector<std::string>{"2026-12-09T10:00:00"}));
}

} // namespace
