#include "data/formats/ovOccurrences.h"

#include "ovLocalZoneTest.h"

namespace {

std::string calendar(const std::string& events) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n" + events + "END:VCALENDAR\r\n";
}

// One VEVENT: the lines between BEGIN and END, CRLF added.
std::string event(std::initializer_list<const char*> lines) {
    std::string out = "BEGIN:VEVENT\r\n";
    for (const char* line : lines)
        out += std::string(line) + "\r\n";
    return out + "END:VEVENT\r\n";
}

std::vector<ovOccurrence> expand(const std::string& text, const char* from, const char* to) {
    ovResult<std::vector<ovOccurrence>> r = ovExpandOccurrences(text, ovLocalDate(from), ovLocalDate(to));
    EXPECT_TRUE(r.ok()) << (r.ok() ? "" : r.reason());
    return r.ok() ? r.take() : std::vector<ovOccurrence>{};
}

std::vector<std::string> starts(const std::vector<ovOccurrence>& occurrences) {
    std::vector<std::string> out;
    for (const ovOccurrence& o : occurrences)
        out.push_back(ovIsoDate(o.start));
    return out;
}

// The store keeps local time; the RFC's examples are in New York, so these tests read it
// as New York's and the RFC's lists are the expected local starts.
class ovOccurrencesTest : public ovLocalZoneTest {
protected:
    void SetUp() override { useZone("America/New_York"); }
};

TEST_F(ovOccurrencesTest, RfcRulesGiveTheInstancesTheRfcLists) {
    // Daily for 10 occurrences.
    const auto daily = expand(calendar(event({"UID:daily", "DTSTART;TZID=America/New_York:19970902T090000",
                                              "DURATION:PT1H", "RRULE:FREQ=DAILY;COUNT=10"})),
                              "1997-01-01T00:00:00", "1999-01-01T00:00:00");
    EXPECT_EQ(starts(daily),
              (std::vector<std::string>{"1997-09-02T09:00:00", "1997-09-03T09:00:00", "1997-09-04T09:00:00",
                                        "1997-09-05T09:00:00", "1997-09-06T09:00:00", "1997-09-07T09:00:00",
                                        "1997-09-08T09:00:00", "1997-09-09T09:00:00", "1997-09-10T09:00:00",
                                        "1997-09-11T09:00:00"}));
    ASSERT_FALSE(daily.empty());
    EXPECT_EQ(ovIsoDate(daily[3].end), "1997-09-05T10:00:00");
    ASSERT_TRUE(daily[3].recurrenceId.has_value());
    EXPECT_EQ(ovIsoDate(*daily[3].recurrenceId), "1997-09-05T09:00:00");

    // Every other week on Tuesday and Thursday, for 8 occurrences.
    EXPECT_EQ(starts(expand(calendar(event({"UID:tuth", "DTSTART;TZID=America/New_York:19970902T090000",
                                            "RRULE:FREQ=WEEKLY;INTERVAL=2;COUNT=8;WKST=SU;BYDAY=TU,TH"})),
                            "1997-01-01T00:00:00", "1999-01-01T00:00:00")),
              (std::vector<std::string>{"1997-09-02T09:00:00", "1997-09-04T09:00:00", "1997-09-16T09:00:00",
                                        "1997-09-18T09:00:00", "1997-09-30T09:00:00", "1997-10-02T09:00:00",
                                        "1997-10-14T09:00:00", "1997-10-16T09:00:00"}));

    // Monthly on the second-to-last Monday for 6 months, and on the last Friday.
    EXPECT_EQ(
        starts(expand(calendar(event({"UID:mo", "DTSTART;TZID=America/New_York:19970922T090000",
                                      "RRULE:FREQ=MONTHLY;COUNT=6;BYDAY=-2MO"})),
                      "1997-01-01T00:00:00", "1999-01-01T00:00:00")),
        (std::vector<std::string>{"1997-09-22T09:00:00", "1997-10-20T09:00:00", "1997-11-17T09:00:00",
                                  "1997-12-22T09:00:00", "1998-01-19T09:00:00", "1998-02-16T09:00:00"}));
    EXPECT_EQ(
        starts(expand(calendar(event({"UID:fr", "DTSTART;TZID=America/New_York:19970926T090000",
                                      "RRULE:FREQ=MONTHLY;COUNT=6;BYDAY=-1FR"})),
                      "1997-01-01T00:00:00", "1999-01-01T00:00:00")),
        (std::vector<std::string>{"1997-09-26T09:00:00", "1997-10-31T09:00:00", "1997-11-28T09:00:00",
                                  "1997-12-26T09:00:00", "1998-01-30T09:00:00", "1998-02-27T09:00:00"}));

    // Yearly in June and July for 10 occurrences.
    EXPECT_EQ(starts(expand(calendar(event({"UID:yr", "DTSTART;TZID=America/New_York:19970610T090000",
                                            "RRULE:FREQ=YEARLY;COUNT=10;BYMONTH=6,7"})),
                            "1997-01-01T00:00:00", "2003-01-01T00:00:00")),
              (std::vector<std::string>{"1997-06-10T09:00:00", "1997-07-10T09:00:00", "1998-06-10T09:00:00",
                                        "1998-07-10T09:00:00", "1999-06-10T09:00:00", "1999-07-10T09:00:00",
                                        "2000-06-10T09:00:00", "2000-07-10T09:00:00", "2001-06-10T09:00:00",
                                        "2001-07-10T09:00:00"}));
}

TEST_F(ovOccurrencesTest, UntilInUtcEndsAZonedSeriesAcrossTheDstChange) {
    // Monthly on the first Friday until December 24, 1997: New York leaves DST in October,
    // and the instances stay at 09:00 on its clock.
    EXPECT_EQ(starts(expand(calendar(event({"UID:ff", "DTSTART;TZID=America/New_York:19970905T090000",
                                            "RRULE:FREQ=MONTHLY;UNTIL=19971224T000000Z;BYDAY=1FR"})),
                            "1997-01-01T00:00:00", "1999-01-01T00:00:00")),
              (std::vector<std::string>{"1997-09-05T09:00:00", "1997-10-03T09:00:00", "1997-11-07T09:00:00",
                                        "1997-12-05T09:00:00"}));
    // Daily until December 24, 1997: the last instance is the 23rd.
    const auto daily =
        starts(expand(calendar(event({"UID:du", "DTSTART;TZID=America/New_York:19970902T090000",
                                      "RRULE:FREQ=DAILY;UNTIL=19971224T000000Z"})),
                      "1997-01-01T00:00:00", "1999-01-01T00:00:00"));
    ASSERT_EQ(daily.size(), 113u);
    EXPECT_EQ(daily.back(), "1997-12-23T09:00:00");
    for (const std::string& s : daily)
        EXPECT_EQ(s.substr(11), "09:00:00") << s;
    // UNTIL is an instant: 12:00 UTC on the 23rd is 07:00 in New York, before that day's instance.
    const auto early =
        starts(expand(calendar(event({"UID:du", "DTSTART;TZID=America/New_York:19971220T090000",
                                      "RRULE:FREQ=DAILY;UNTIL=19971223T120000Z"})),
                      "1997-01-01T00:00:00", "1999-01-01T00:00:00"));
    EXPECT_EQ(early, (std::vector<std::string>{"1997-12-20T09:00:00", "1997-12-21T09:00:00",
                                               "1997-12-22T09:00:00"}));
}

TEST_F(ovOccurrencesTest, AWeeklyBerlinMeetingStaysAtNineThereAcrossDst) {
    const std::string text =
        calendar(event({"UID:berlin", "DTSTART;TZID=Europe/Berlin:20260305T090000",
                        "DTEND;TZID=Europe/Berlin:20260305T100000", "RRULE:FREQ=WEEKLY;COUNT=6"}));
    useZone("Europe/Berlin");
    for (const std::string& s : starts(expand(text, "2026-01-01T00:00:00", "2027-01-01T00:00:00")))
        EXPECT_EQ(s.substr(11), "09:00:00") << s;
    // Seen from New York, which changes its clocks three weeks before Berlin does.
    useZone("America/New_York");
    EXPECT_EQ(
        starts(expand(text, "2026-01-01T00:00:00", "2027-01-01T00:00:00")),
        (std::vector<std::string>{"2026-03-05T03:00:00", "2026-03-12T04:00:00", "2026-03-19T04:00:00",
                                  "2026-03-26T04:00:00", "2026-04-02T03:00:00", "2026-04-09T03:00:00"}));
}

TEST_F(ovOccurrencesTest, ExceptionsMovedAndCancelledInstances) {
    // Weekly on Mondays: one week left out by EXDATE (given in UTC), one cancelled by its own
    // VEVENT, one moved to the Wednesday afternoon.
    const std::string text = calendar(
        event({"UID:course", "SUMMARY:Course", "LOCATION:Room 1",
               "DTSTART;TZID=America/New_York:20260105T090000", "DTEND;TZID=America/New_York:20260105T103000",
               "RRULE:FREQ=WEEKLY;COUNT=6", "EXDATE:20260112T140000Z"}) +
        event({"UID:course", "RECURRENCE-ID;TZID=America/New_York:20260119T090000", "STATUS:CANCELLED",
               "SUMMARY:Course", "DTSTART;TZID=America/New_York:20260119T090000",
               "DTEND;TZID=America/New_York:20260119T103000"}) +
        event({"UID:course", "RECURRENCE-ID;TZID=America/New_York:20260126T090000", "SUMMARY:Course (moved)",
               "LOCATION:Room 2", "DTSTART;TZID=America/New_York:20260128T140000",
               "DTEND;TZID=America/New_York:20260128T153000"}));
    const auto all = expand(text, "2026-01-01T00:00:00", "2026-03-01T00:00:00");
    EXPECT_EQ(starts(all), (std::vector<std::string>{"2026-01-05T09:00:00", "2026-01-28T14:00:00",
                                                     "2026-02-02T09:00:00", "2026-02-09T09:00:00"}));
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[1].subject, "Course (moved)");
    EXPECT_EQ(all[1].location, "Room 2");
    EXPECT_EQ(ovIsoDate(all[1].end), "2026-01-28T15:30:00");
    ASSERT_TRUE(all[1].recurrenceId.has_value());
    EXPECT_EQ(ovIsoDate(*all[1].recurrenceId), "2026-01-26T09:00:00");

    // A moved instance shows in the window it moved into, not the one it left.
    EXPECT_EQ(starts(expand(text, "2026-01-26T00:00:00", "2026-01-27T00:00:00")), std::vector<std::string>{});
    EXPECT_EQ(starts(expand(text, "2026-01-28T00:00:00", "2026-01-29T00:00:00")),
              std::vector<std::string>{"2026-01-28T14:00:00"});

    // A series cancelled as a whole shows nothing; an override whose master is not in the
    // file shows as the one instance it describes.
    EXPECT_TRUE(expand(calendar(event(
                           {"UID:gone", "STATUS:CANCELLED", "DTSTART:20260105T090000", "RRULE:FREQ=DAILY"})),
                       "2026-01-01T00:00:00", "2026-02-01T00:00:00")
                    .empty());
    EXPECT_EQ(starts(expand(calendar(event({"UID:orphan", "RECURRENCE-ID:20260107T090000",
                                            "DTSTART:20260107T100000", "DTEND:20260107T110000"})),
                            "2026-01-01T00:00:00", "2026-02-01T00:00:00")),
              std::vector<std::string>{"2026-01-07T10:00:00"});
}

TEST_F(ovOccurrencesTest, WindowRdateAndAllDayEvents) {
    // A long instance that began before the window still overlaps it; RDATE adds instances.
    const std::string text =
        calendar(event({"UID:long", "DTSTART:20260101T200000", "DTEND:20260102T020000",
                        "RRULE:FREQ=DAILY;COUNT=3", "RDATE:20260110T200000"}) +
                 event({"UID:holiday", "DTSTART;VALUE=DATE:20260105", "DTEND;VALUE=DATE:20260105"}));
    EXPECT_EQ(starts(expand(text, "2026-01-02T00:00:00", "2026-01-02T12:00:00")),
              std::vector<std::string>{"2026-01-01T20:00:00"});
    EXPECT_EQ(starts(expand(text, "2026-01-08T00:00:00", "2026-01-12T00:00:00")),
              std::vector<std::string>{"2026-01-10T20:00:00"});
    // An all-day event that ends where it starts lasts that day.
    const auto day = expand(text, "2026-01-05T12:00:00", "2026-01-05T13:00:00");
    ASSERT_EQ(day.size(), 1u);
    EXPECT_EQ(ovIsoDate(day[0].start), "2026-01-05T00:00:00");
    EXPECT_EQ(ovIsoDate(day[0].end), "2026-01-06T00:00:00");
    EXPECT_FALSE(day[0].recurrenceId.has_value());

    // A zone nobody knows is read as local time rather than dropping the event.
    EXPECT_EQ(starts(expand(calendar(event({"UID:nozone", "DTSTART;TZID=Mars/Olympus:20260105T090000",
                                            "RRULE:FREQ=DAILY;COUNT=2"})),
                            "2026-01-01T00:00:00", "2026-02-01T00:00:00")),
              (std::vector<std::string>{"2026-01-05T09:00:00", "2026-01-06T09:00:00"}));
    EXPECT_FALSE(ovExpandOccurrences("not a calendar", 0, 1e6).ok());
}

} // namespace

TEST_F(ovOccurrencesTest, AWindowYearsAfterTheStartSeesWhatALongWindowSees) {
    // Counting may begin near the window instead of at DTSTART; the phase of intervals,
    // last weekdays, zones and all-day starts must come out the same.
    const double from = ovLocalDate("2002-03-01T00:00:00"), to = ovLocalDate("2002-05-01T00:00:00");
    for (const char* rule : {"RRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=TU,TH", "RRULE:FREQ=MONTHLY;BYDAY=-1FR",
                             "RRULE:FREQ=DAILY;INTERVAL=3"}) {
        for (const char* start : {"DTSTART;TZID=America/New_York:19970902T090000", "DTSTART:19970902T233000",
                                  "DTSTART;VALUE=DATE:19970902"}) {
            const std::string text = calendar(event({"UID:x", start, rule}));
            std::vector<std::string> expected;
            for (const ovOccurrence& o : expand(text, "1997-01-01T00:00:00", "2003-01-01T00:00:00"))
                if (o.start < to && (o.end > from || o.start >= from))
                    expected.push_back(ovIsoDate(o.start));
            EXPECT_FALSE(expected.empty()) << rule << " " << start;
            EXPECT_EQ(starts(expand(text, "2002-03-01T00:00:00", "2002-05-01T00:00:00")), expected)
                << rule << " " << start;
        }
    }
}
