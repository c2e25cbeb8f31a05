#include "data/formats/ovICalendarCodec.h"

#include "data/pim/ovPimAppointment.h"
#include "data/pim/ovPimTask.h"
#include "system/ovDateTime.h"

#include "ovLocalZoneTest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

double local(const char* iso) {
    double date = 0;
    EXPECT_TRUE(ovSystemTimeToVariantTime(*ovParseIsoLocal(iso), date)) << iso;
    return date;
}

std::string iso(double date) {
    ovSystemTime st;
    ovVariantTimeToSystemTime(date, st);
    return ovFormatIsoLocal(st);
}

// The store keeps local time; these tests read and write it as Berlin's.
class ovICalendarCodecTest : public ovLocalZoneTest {
protected:
    void SetUp() override { useZone("Europe/Berlin"); }
};

const ovPimAppointment& appointmentAt(const ovDecoded& d, size_t i) {
    return *ovPimItemCast<ovPimAppointment>(d.items.at(i).get());
}

constexpr char kNewYork[] = "BEGIN:VTIMEZONE\r\n"
                            "TZID:America/New_York\r\n"
                            "BEGIN:STANDARD\r\n"
                            "DTSTART:19701101T020000\r\n"
                            "RRULE:FREQ=YEARLY;BYMONTH=11;BYDAY=1SU\r\n"
                            "TZOFFSETFROM:-0400\r\n"
                            "TZOFFSETTO:-0500\r\n"
                            "END:STANDARD\r\n"
                            "BEGIN:DAYLIGHT\r\n"
                            "DTSTART:19700308T020000\r\n"
                            "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=2SU\r\n"
                            "TZOFFSETFROM:-0500\r\n"
                            "TZOFFSETTO:-0400\r\n"
                            "END:DAYLIGHT\r\n"
                            "END:VTIMEZONE\r\n";

} // namespace

TEST_F(ovICalendarCodecTest, ZonedUtcFloatingAndAllDayTimesBecomeLocalTime) {
    const std::string text =
        std::string("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n") + kNewYork +
        "BEGIN:VEVENT\r\nUID:ny\r\nDTSTAMP:20261201T000000Z\r\n"
        "DTSTART;TZID=America/New_York:20261210T090000\r\n"
        "DTEND;TZID=America/New_York:20261210T103000\r\nSUMMARY:Call New York\r\nEND:VEVENT\r\n"
        // A zone the file does not define, known to the system.
        "BEGIN:VEVENT\r\nUID:tokyo\r\nDTSTART;TZID=Asia/Tokyo:20260701T090000\r\n"
        "DURATION:PT45M\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:utc\r\nDTSTART:20260615T120000Z\r\nDTEND:20260615T130000Z\r\n"
        "END:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:floating\r\nDTSTART:20261210T080000\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:holiday\r\nDTSTART;VALUE=DATE:20261224\r\n"
        "DTEND;VALUE=DATE:20261226\r\nSUMMARY:Holidays\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:oneday\r\nDTSTART;VALUE=DATE:20261231\r\nEND:VEVENT\r\n"
        "END:VCALENDAR\r\n";
    const ovDecoded d = ovDecodeICalendar(text);
    ASSERT_TRUE(d.problems.empty()) << d.problems[0].line << ": " << d.problems[0].problem;
    ASSERT_EQ(d.items.size(), 6u);
    EXPECT_EQ(iso(appointmentAt(d, 0).start()), "2026-12-10T15:00:00");
    EXPECT_EQ(iso(appointmentAt(d, 0).end()), "2026-12-10T16:30:00");
    EXPECT_EQ(iso(appointmentAt(d, 1).start()), "2026-07-01T02:00:00");
    EXPECT_EQ(appointmentAt(d, 1).duration(), 45);
    // Summer time in Berlin.
    EXPECT_EQ(iso(appointmentAt(d, 2).start()), "2026-06-15T14:00:00");
    EXPECT_EQ(iso(appointmentAt(d, 3).start()), "2026-12-10T08:00:00");
    EXPECT_EQ(appointmentAt(d, 3).duration(), 0);
    EXPECT_EQ(iso(appointmentAt(d, 4).start()), "2026-12-24T00:00:00");
    EXPECT_EQ(iso(appointmentAt(d, 4).end()), "2026-12-26T00:00:00");
    EXPECT_EQ(iso(appointmentAt(d, 5).end()), "2027-01-01T00:00:00");

    // Written back, an event keeps its zone, and an all-day event moved by whole days
    // stays all-day.
    auto zoned =
        std::unique_ptr<ovPimAppointment>(static_cast<ovPimAppointment*>(d.items[0]->clone().release()));
    ASSERT_TRUE(zoned->setStart(local("2026-12-10T16:00:00")));
    const std::string zonedText = ovEncodeAppointment(*zoned);
    EXPECT_NE(zonedText.find("DTSTART;TZID=America/New_York:20261210T100000"), std::string::npos)
        << zonedText;
    EXPECT_NE(zonedText.find("BEGIN:VTIMEZONE"), std::string::npos);
    auto holiday =
        std::unique_ptr<ovPimAppointment>(static_cast<ovPimAppointment*>(d.items[4]->clone().release()));
    ASSERT_TRUE(holiday->setStart(local("2026-12-25T00:00:00")));
    const std::string holidayText = ovEncodeAppointment(*holiday);
    EXPECT_NE(holidayText.find("DTSTART;VALUE=DATE:20261225"), std::string::npos) << holidayText;
    EXPECT_NE(holidayText.find("DTEND;VALUE=DATE:20261227"), std::string::npos) << holidayText;
    // Given a time of day, it no longer is all-day.
    ASSERT_TRUE(holiday->setStart(local("2026-12-25T09:00:00")));
    const ovDecoded moved = ovDecodeICalendar(ovEncodeAppointment(*holiday));
    ASSERT_EQ(moved.items.size(), 1u);
    EXPECT_EQ(iso(appointmentAt(moved, 0).start()), "2026-12-25T09:00:00");
    EXPECT_EQ(iso(appointmentAt(moved, 0).end()), "2026-12-27T09:00:00");
}

TEST_F(ovICalendarCodecTest, AnUnknownZoneIsReadAsLocalTimeWithAWarningNamingTheLine) {
    const std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n"
                             "BEGIN:VEVENT\r\nUID:plain\r\nDTSTART:20261210T080000\r\nEND:VEVENT\r\n"
                             "BEGIN:VEVENT\r\nUID:mars\r\nDTSTART;TZID=Olympus Mons:20261210T090000\r\n"
                             "DTEND;TZID=Olympus Mons:20261210T100000\r\nSUMMARY:Rover call\r\nEND:VEVENT\r\n"
                             "END:VCALENDAR\r\n";
    const ovDecoded d = ovDecodeICalendar(text);
    ASSERT_TRUE(d.problems.empty()) << d.problems[0].problem;
    ASSERT_EQ(d.items.size(), 2u);
    EXPECT_EQ(iso(appointmentAt(d, 1).start()), "2026-12-10T09:00:00");
    EXPECT_EQ(iso(appointmentAt(d, 1).end()), "2026-12-10T10:00:00");
    ASSERT_EQ(d.warnings.size(), 1u);
    EXPECT_EQ(d.warnings[0].line, 8);
    EXPECT_NE(d.warnings[0].problem.find("Olympus Mons"), std::string::npos) << d.warnings[0].problem;
}

TEST_F(ovICalendarCodecTest, BrokenItemsAreNamedByTheirLineAndTheOthersAreStillRead) {
    const std::string text =
        "BEGIN:VCALENDAR\n"                                                            // 1
        "VERSION:2.0\n"                                                                // 2
        "BEGIN:VEVENT\nUID:a\nDTSTART:20261210T080000\nEND:VEVENT\n"                   // 3-6
        "BEGIN:VEVENT\nUID:b\nSUMMARY:no start\nEND:VEVENT\n"                          // 7-10
        "BEGIN:VEVENT\nUID:c\nDTSTART:20261210T080000\n"                               // 11-13
        "DTEND:20261209T080000\nEND:VEVENT\n"                                          // 14-15
        "BEGIN:VTODO\nUID:d\nDUE:tomorrow\nEND:VTODO\n"                                // 16-19
        "BEGIN:VEVENT\nUID:e\nDTSTART;TZID=Nowhere/Else:20261210T080000\nEND:VEVENT\n" // 20-23
        "BEGIN:VEVENT\nUID:f\nDTSTART:20261211T080000\nSUMMARY:last\nEND:VEVENT\n"     // 24-28
        "BEGIN:VEVENT\nUID:g\nDTSTART:20261211T080000\n"                               // 29-31
        "END:VCALENDAR\n"                                                              // 32
        "BEGIN:VCALENDAR\nBEGIN:V\x1b[2JTODO\nEND:VCALENDAR\n";                        // 33-35
    const ovDecoded d = ovDecodeICalendar(text);
    // An unknown zone is no longer a reason to leave an item out: e is read as local time.
    ASSERT_EQ(d.items.size(), 3u);
    EXPECT_EQ(d.items[0]->uid(), "a");
    EXPECT_EQ(d.items[1]->uid(), "e");
    EXPECT_EQ(d.items[2]->uid(), "f");
    ASSERT_EQ(d.warnings.size(), 1u);
    EXPECT_EQ(d.warnings[0].line, 20);
    EXPECT_NE(d.warnings[0].problem.find("Nowhere/Else"), std::string::npos);
    ASSERT_EQ(d.problems.size(), 5u);
    EXPECT_EQ(d.problems[0].line, 7);
    EXPECT_NE(d.problems[0].problem.find("DTSTART"), std::string::npos);
    EXPECT_EQ(d.problems[1].line, 11);
    EXPECT_NE(d.problems[1].problem.find("ends before it starts"), std::string::npos);
    EXPECT_EQ(d.problems[2].line, 16);
    EXPECT_NE(d.problems[2].problem.find("DUE"), std::string::npos);
    EXPECT_EQ(d.problems[3].line, 29);
    EXPECT_NE(d.problems[3].problem.find("END:VEVENT"), std::string::npos);
    // Bytes from the file that would work on a terminal are not echoed.
    EXPECT_EQ(d.problems[4].line, 34);
    EXPECT_EQ(d.problems[4].problem.find('\x1b'), std::string::npos) << d.problems[4].problem;
}

TEST_F(ovICalendarCodecTest, WritingBackKeepsWhatTheStoreDoesNotHold) {
    const std::string text =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//other//EN\r\nX-WR-CALNAME:Work\r\n"
        "BEGIN:VEVENT\r\nUID:keep-1\r\nDTSTAMP:20261201T000000Z\r\n"
        "DTSTART:20261210T080000Z\r\nDTEND:20261210T090000Z\r\nSUMMARY:Stand-up\r\n"
        "CATEGORIES:WORK,DAILY\r\nX-FOO;X-BAR=1:unknown to us\r\n"
        "ATTENDEE;CN=Bob:mailto:bob@example.org\r\n"
        "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:soon\r\nTRIGGER:-PT10M\r\nEND:VALARM\r\n"
        "BEGIN:VALARM\r\nACTION:AUDIO\r\nTRIGGER:-P1D\r\nX-SECOND:yes\r\nEND:VALARM\r\n"
        "END:VEVENT\r\nEND:VCALENDAR\r\n";
    ovDecoded d = ovDecodeICalendar(text);
    ASSERT_EQ(d.items.size(), 1u);
    auto* a = ovPimItemCast<ovPimAppointment>(d.items[0].get());
    EXPECT_EQ(iso(a->start()), "2026-12-10T09:00:00");
    EXPECT_TRUE(a->reminderSet());
    EXPECT_EQ(a->reminderMinutesBeforeStart(), 10);

    a->setSubject(u"Stand-up, moved");
    ASSERT_TRUE(a->setStart(local("2026-12-10T10:00:00")));
    ASSERT_TRUE(a->setReminderMinutesBeforeStart(5));
    a->setLocation(u"Room 4");
    const std::string written = ovEncodeAppointment(*a);
    // (libical writes a list of categories as one property per category.)
    for (const char* kept :
         {"X-WR-CALNAME:Work", "CATEGORIES:WORK", "DAILY", "X-FOO;X-BAR=1:unknown to us",
          "mailto:bob@example.org", "TRIGGER:-P1D", "X-SECOND:yes", "UID:keep-1", "DTSTART:20261210T090000Z"})
        EXPECT_NE(written.find(kept), std::string::npos) << kept << " lost:\n" << written;

    const ovDecoded again = ovDecodeICalendar(written);
    ASSERT_EQ(again.items.size(), 1u);
    const ovPimAppointment& back = appointmentAt(again, 0);
    EXPECT_EQ(back.subject(), u"Stand-up, moved");
    EXPECT_EQ(back.location(), u"Room 4");
    EXPECT_EQ(iso(back.start()), "2026-12-10T10:00:00");
    EXPECT_EQ(back.duration(), 60);
    EXPECT_EQ(back.reminderMinutesBeforeStart(), 5);

    // Turning the reminder off takes every alarm before the start, or the next one
    // would be the reminder when the file is read again.
    a->setReminderSet(false);
    const std::string off = ovEncodeAppointment(*a);
    EXPECT_EQ(off.find("BEGIN:VALARM"), std::string::npos) << off;
    EXPECT_NE(off.find("X-FOO;X-BAR=1:unknown to us"), std::string::npos);
    const ovDecoded offBack = ovDecodeICalendar(off);
    ASSERT_EQ(offBack.items.size(), 1u);
    EXPECT_FALSE(appointmentAt(offBack, 0).reminderSet());
}

TEST_F(ovICalendarCodecTest, TasksAndNewItemsReadBackAsTheyWereSaved) {
    const std::string text = "BEGIN:VCALENDAR\nVERSION:2.0\n"
                             "BEGIN:VTODO\nUID:t1\nSUMMARY:Taxes\nPRIORITY:2\nDTSTART:20261201T090000\n"
                             "DUE:20261215T170000\nBEGIN:VALARM\nACTION:DISPLAY\nTRIGGER;RELATED=END:-PT2H\n"
                             "END:VALARM\nEND:VTODO\n"
                             "BEGIN:VTODO\nUID:t2\nSUMMARY:Someday\nPRIORITY:9\nEND:VTODO\n"
                             "BEGIN:VTODO\nUID:t3\nSUMMARY:Plain\nPRIORITY:0\nEND:VTODO\n"
                             "END:VCALENDAR\n";
    const ovDecoded d = ovDecodeICalendar(text);
    ASSERT_EQ(d.items.size(), 3u);
    const auto* t1 = ovPimItemCast<ovPimTask>(d.items[0].get());
    EXPECT_EQ(t1->importance(), ovPimTask::importanceHigh);
    EXPECT_EQ(iso(t1->startDate()), "2026-12-01T09:00:00");
    EXPECT_EQ(iso(t1->dueDate()), "2026-12-15T17:00:00");
    EXPECT_TRUE(t1->reminderSet());
    EXPECT_EQ(iso(t1->reminderTime()), "2026-12-15T15:00:00");
    const auto* t2 = ovPimItemCast<ovPimTask>(d.items[1].get());
    EXPECT_EQ(t2->importance(), ovPimTask::importanceLow);
    EXPECT_EQ(t2->dueDate(), ovPimNoDate);
    EXPECT_FALSE(t2->reminderSet());
    EXPECT_EQ(ovPimItemCast<ovPimTask>(d.items[2].get())->importance(), ovPimTask::importanceNormal);

    ovPimTask task;
    task.setUid("fresh-task");
    task.setSubject(u"Pay rent; then, relax\nsecond line");
    ASSERT_TRUE(task.setImportance(ovPimTask::importanceLow));
    ASSERT_TRUE(task.setDueDate(local("2026-03-29T02:30:00") - 1)); // the day before the clocks move
    ASSERT_TRUE(task.setReminderTime(local("2026-03-28T01:00:00")));
    const ovDecoded taskBack = ovDecodeICalendar(ovEncodeTask(task));
    ASSERT_EQ(taskBack.items.size(), 1u);
    const auto* tb = ovPimItemCast<ovPimTask>(taskBack.items[0].get());
    EXPECT_EQ(tb->uid(), "fresh-task");
    EXPECT_EQ(tb->subject(), task.subject());
    EXPECT_EQ(tb->importance(), ovPimTask::importanceLow);
    EXPECT_EQ(tb->startDate(), ovPimNoDate);
    EXPECT_EQ(iso(tb->dueDate()), "2026-03-28T02:30:00");
    EXPECT_EQ(iso(tb->reminderTime()), "2026-03-28T01:00:00");

    ovPimAppointment a;
    a.setUid("fresh-event");
    ASSERT_TRUE(a.setStart(local("2026-12-09T23:30:00")));
    ASSERT_TRUE(a.setDuration(90));
    a.setSubject(u"Überlänge: ein Titel, der über die Faltgrenze von fünfundsiebzig Bytes hinausgeht 😀");
    a.setReminderSet(false);
    const std::string written = ovEncodeAppointment(a);
    EXPECT_NE(written.find("DTSTAMP:"), std::string::npos);
    const ovDecoded back = ovDecodeICalendar(written);
    ASSERT_EQ(back.items.size(), 1u);
    EXPECT_EQ(appointmentAt(back, 0).uid(), "fresh-event");
    EXPECT_EQ(appointmentAt(back, 0).subject(), a.subject());
    EXPECT_EQ(iso(appointmentAt(back, 0).start()), "2026-12-09T23:30:00");
    EXPECT_EQ(iso(appointmentAt(back, 0).end()), "2026-12-10T01:00:00");
    EXPECT_FALSE(appointmentAt(back, 0).reminderSet());
}

TEST_F(ovICalendarCodecTest, ImpossibleDatesAreNamedNotMovedToTheNextDayOrMonth) {
    const std::string text = "BEGIN:VCALENDAR\nVERSION:2.0\n"                              // 1-2
                             "BEGIN:VEVENT\nUID:a\nDTSTART:20260230T100000\nEND:VEVENT\n"  // 3-6
                             "BEGIN:VEVENT\nUID:b\nDTSTART:20261310T100000Z\nEND:VEVENT\n" // 7-10
                             "BEGIN:VEVENT\nUID:c\nDTSTART;TZID=Europe/Berlin:20260210T250000\nEND:VEVENT\n"
                             "BEGIN:VTODO\nUID:d\nDUE;VALUE=DATE:20260229\nEND:VTODO\n"
                             "BEGIN:VEVENT\nUID:e\nDTSTART;VALUE=DATE:20280229\nEND:VEVENT\n"
                             "END:VCALENDAR\n";
    const ovDecoded d = ovDecodeICalendar(text);
    ASSERT_EQ(d.items.size(), 1u);
    EXPECT_EQ(d.items[0]->uid(), "e"); // 2028 is a leap year
    ASSERT_EQ(d.problems.size(), 4u);
    const char* named[] = {"DTSTART 2026-02-30T10:00:00 is no real date and time",
                           "DTSTART 2026-13-10T10:00:00 is no real date and time",
                           "DTSTART 2026-02-10T25:00:00 is no real date and time",
                           "DUE 2026-02-29 is no real date"};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(d.problems[i].line, static_cast<int>(3 + 4 * i));
        EXPECT_NE(d.problems[i].problem.find(named[i]), std::string::npos) << d.problems[i].problem;
    }
}

TEST_F(ovICalendarCodecTest, TheCalendarsOwnLinesAreNotCopiedIntoEachOfManyItems) {
    // A large calendar-level line (a picture, a long description of the calendar) in a
    // calendar of many events: the items together stay about the file's size.
    const std::string big = "X-WR-CALDESC:" + std::string(20000, 'x') + "\r\n";
    std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//EN\r\nX-WR-CALNAME:Work\r\n" + big;
    for (int i = 0; i < 200; ++i)
        text += "BEGIN:VEVENT\r\nUID:e" + std::to_string(i) +
                "\r\nDTSTART:20261210T090000Z\r\nDTEND:20261210T100000Z\r\nEND:VEVENT\r\n";
    text += "END:VCALENDAR\r\n";
    const ovDecoded many = ovDecodeICalendar(text);
    ASSERT_EQ(many.items.size(), 200u);
    size_t stored = 0;
    for (const auto& item : many.items)
        stored += item->sourceText().size();
    EXPECT_LT(stored, 2 * text.size());
    EXPECT_NE(many.items[0]->sourceText().find("PRODID:-//t//EN"), std::string::npos);

    // The only item of a file keeps them: written back, the file keeps what it held.
    const ovDecoded one = ovDecodeICalendar("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//EN\r\n"
                                            "X-WR-CALNAME:Work\r\nBEGIN:VEVENT\r\nUID:only\r\n"
                                            "DTSTART:20261210T090000Z\r\nSUMMARY:Old\r\nEND:VEVENT\r\n"
                                            "END:VCALENDAR\r\n");
    ASSERT_EQ(one.items.size(), 1u);
    auto changed =
        std::unique_ptr<ovPimAppointment>(static_cast<ovPimAppointment*>(one.items[0]->clone().release()));
    changed->setSubject(u"New");
    const std::string written = ovEncodeAppointment(*changed);
    EXPECT_NE(written.find("X-WR-CALNAME:Work"), std::string::npos) << written;
    EXPECT_NE(written.find("SUMMARY:New"), std::string::npos) << written;
}
