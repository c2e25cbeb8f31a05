// All-day events as other calendars write them.
#include "data/formats/ovICalendarCodec.h"

#include "data/pim/ovPimAppointment.h"

#include "ovLocalZoneTest.h"

namespace {

class ovICalendarAllDayTest : public ovLocalZoneTest {
protected:
    void SetUp() override { useZone("Europe/Berlin"); }
};

TEST_F(ovICalendarAllDayTest, AnAllDayEventThatEndsWhereItStartsLastsThatDay) {
    const ovDecoded d =
        ovDecodeICalendar("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n"
                          "BEGIN:VEVENT\r\nUID:same\r\nDTSTART;VALUE=DATE:20261231\r\n"
                          "DTEND;VALUE=DATE:20261231\r\nSUMMARY:New Year's Eve\r\nEND:VEVENT\r\n"
                          "END:VCALENDAR\r\n");
    ASSERT_TRUE(d.problems.empty()) << d.problems[0].problem;
    ASSERT_EQ(d.items.size(), 1u);
    const auto* a = ovPimItemCast<ovPimAppointment>(d.items[0].get());
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(ovIsoDate(a->start()), "2026-12-31T00:00:00");
    EXPECT_EQ(ovIsoDate(a->end()), "2027-01-01T00:00:00");
}

} // namespace
