#include "system/ovDateTime.h"
#include "system/ovClock.h"

#include <gtest/gtest.h>

namespace {
ovSystemTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    ovSystemTime st;
    st.year = static_cast<uint16_t>(y);
    st.month = static_cast<uint16_t>(mo);
    st.day = static_cast<uint16_t>(d);
    st.hour = static_cast<uint16_t>(h);
    st.minute = static_cast<uint16_t>(mi);
    st.second = static_cast<uint16_t>(s);
    return st;
}
} // namespace

TEST(AutomationDate, KnownValuesBothWays) {
    struct Case {
        ovSystemTime st;
        double vt;
    } cases[] = {
        {at(1899, 12, 30), 0.0},
        {at(1900, 1, 1), 2.0},
        {at(1899, 12, 30, 6), 0.25},
        {at(1899, 12, 29, 6), -1.25}, // before the epoch the fraction still counts forwards
        {at(2000, 1, 1, 12), 36526.5},
        {at(2026, 12, 9, 18, 0), 46365.75},
    };
    for (const Case& c : cases) {
        double vt = -99;
        ASSERT_TRUE(ovSystemTimeToVariantTime(c.st, vt));
        EXPECT_DOUBLE_EQ(vt, c.vt);
        ovSystemTime back;
        ASSERT_TRUE(ovVariantTimeToSystemTime(c.vt, back));
        EXPECT_EQ(back.year, c.st.year);
        EXPECT_EQ(back.month, c.st.month);
        EXPECT_EQ(back.day, c.st.day);
        EXPECT_EQ(back.hour, c.st.hour);
        EXPECT_EQ(back.minute, c.st.minute);
    }
}

TEST(AutomationDate, RoundsToTheSecondAndAcrossMidnight) {
    ovSystemTime st;
    // 23:59:59.6 rounds into the next day.
    ASSERT_TRUE(ovVariantTimeToSystemTime(36526.0 + (86399.6 / 86400.0), st));
    EXPECT_EQ(st.day, 2);
    EXPECT_EQ(st.hour, 0);
    EXPECT_EQ(st.second, 0);
    ASSERT_TRUE(ovVariantTimeToSystemTime(36526.0 + 30.4 / 86400.0, st));
    EXPECT_EQ(st.second, 30);
    EXPECT_EQ(st.dayOfWeek, 6); // 2000-01-01 was a Saturday
}

TEST(AutomationDate, RefusesRecordsOutsideTheCalendar) {
    double vt;
    EXPECT_FALSE(ovSystemTimeToVariantTime(at(2023, 2, 29), vt));
    EXPECT_TRUE(ovSystemTimeToVariantTime(at(2024, 2, 29), vt));
    EXPECT_FALSE(ovSystemTimeToVariantTime(at(2024, 13, 1), vt));
    EXPECT_FALSE(ovSystemTimeToVariantTime(at(2024, 1, 1, 24), vt));
    ovSystemTime st;
    EXPECT_FALSE(ovVariantTimeToSystemTime(1e12, st));
    EXPECT_FALSE(ovVariantTimeToSystemTime(std::numeric_limits<double>::quiet_NaN(), st));
}

TEST(Weekday, RightForEveryCentury) {
    EXPECT_EQ(ovWeekday(1900, 1, 1), 1);  // Monday
    EXPECT_EQ(ovWeekday(1600, 3, 1), 3);  // Wednesday
    EXPECT_EQ(ovWeekday(2100, 3, 1), 1);  // Monday, after a non-leap February
    EXPECT_EQ(ovWeekday(2026, 12, 9), 3); // Wednesday
    EXPECT_EQ(ovDaysInMonth(1900, 2), 28);
    EXPECT_EQ(ovDaysInMonth(2000, 2), 29);
}

TEST(TimeText, TwentyFourHourAndIsoForms) {
    EXPECT_EQ(ovFormatTime(at(2026, 1, 2, 7, 5, 9), true), "07:05:09");
    EXPECT_EQ(ovFormatTime(at(2026, 1, 2, 23, 59, 1), false), "23:59");
    auto parsed = ovParseIsoLocal("2026-03-04T05:06:07");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(ovFormatIsoLocal(*parsed), "2026-03-04T05:06:07");
    EXPECT_EQ(parsed->dayOfWeek, 3);
    EXPECT_FALSE(ovParseIsoLocal("2026-02-30T00:00:00"));
    EXPECT_FALSE(ovParseIsoLocal("2026-03-04 05:06:07"));
    EXPECT_FALSE(ovParseIsoLocal("2026-03-04T05:06:07Z"));
    EXPECT_FALSE(ovParseIsoLocal("2026-03-04T25:06:07"));
}

TEST(VirtualClock, MovesOnlyWhenAdvanced) {
    ovVirtualClock clock(at(2026, 12, 31, 23, 59, 59));
    EXPECT_EQ(clock.tickCount(), 0u);
    EXPECT_EQ(clock.localTime().second, 59);
    clock.advance(1000);
    EXPECT_EQ(clock.tickCount(), 1000u);
    const ovSystemTime next = clock.localTime();
    EXPECT_EQ(next.year, 2027);
    EXPECT_EQ(next.month, 1);
    EXPECT_EQ(next.day, 1);
    EXPECT_EQ(next.hour, 0);
}

TEST(VirtualClock, LocalTimeKeepsMovingForwardPastTheTickCountsWrap) {
    ovVirtualClock clock(at(2026, 12, 9, 10, 0, 0));
    // 49 days and 17 hours, just short of 2^32 ms, then over the edge.
    clock.advance(4294967000u);
    const std::time_t before = ovTimeFromLocal(clock.localTime());
    clock.advance(1000);
    const std::time_t after = ovTimeFromLocal(clock.localTime());
    EXPECT_EQ(after - before, 1);
    EXPECT_EQ(clock.tickCount(), 704u);
    EXPECT_EQ(clock.localTime().month, 1);
    EXPECT_EQ(clock.localTime().year, 2027);
}
