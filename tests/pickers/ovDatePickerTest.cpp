#include "pickers/ovDatePicker.h"
#include "pickers/ovDatePickerLayout.h"
#include "pickers/ovDatePickerSystem.h"
#include "store/ovPoomSession.h"

#include "ovPickerTestTree.h"
#include "shell/ovBackBuffer.h"

#include <gtest/gtest.h>

namespace {
constexpr int kCalendarTag = 1009;
constexpr ovColor kBarFill = 0xFF5050;
constexpr ovColor kBlockFill = 0x5050FF;

// The formula of old calendars, right from 1921 to 2099.
int shortFormulaWeekday(int month, int day, int year) {
    const int y = year > 1900 ? year - 1900 : year;
    static const int c[12] = {20, 0, 16, 24, 20, 0, 24, 4, 12, 8, 16, 12};
    const int k = ((y - 21) % 28) + (month > 2 ? 1 : 0) + c[month - 1];
    return (day + ((k + k / 4) % 7)) % 7;
}

TEST(ovDatePickerCalendar, WeekdaysAndMonthLengths) {
    EXPECT_EQ(weekdayOf(1, 1, 2006), 6); // a Sunday
    EXPECT_EQ(weekdayOf(3, 1, 2006), 2); // a Wednesday
    for (int year = 1921; year <= 2099; ++year)
        for (int month = 1; month <= 12; ++month)
            for (int day = 1; isValidDay(month, day, year); ++day)
                ASSERT_EQ(weekdayOf(month, day, year), shortFormulaWeekday(month, day, year))
                    << year << "-" << month << "-" << day;
    // Outside those years the calendar stays right: 1 January 1900 was a Monday, 2100 a Friday.
    EXPECT_EQ(weekdayOf(1, 1, 1900), 0);
    EXPECT_EQ(weekdayOf(1, 1, 2100), 4);

    EXPECT_TRUE(isValidDay(2, 29, 2000));
    EXPECT_FALSE(isValidDay(2, 29, 2007));
    EXPECT_TRUE(isValidDay(2, 29, 2008));
    EXPECT_FALSE(isValidDay(2, 29, 2100));
    EXPECT_FALSE(isValidDay(4, 31, 2008));
    EXPECT_FALSE(isValidDay(13, 1, 2008));
    EXPECT_FALSE(isValidDay(1, 0, 2008));
}

// A calendar step as the wizards build it: a step node passing into the picker, and the
// wizard's next step below the picker.
class ovDatePickerTest : public ::testing::Test {
protected:
    ovDatePickerTest()
        : p([](ovApp& app) { return std::make_unique<ovDatePickerSystem>(app); },
            [this](ovApp& app, ovPickerTestTree& tree) {
                picker = ovPickerTestProgram::picker<ovDatePicker>(app, u"Calendar", 11, kCalendarTag);
                after = ovPickerTestProgram::plain(app, u"start time", 12);
                app.navigator->addChild(tree.step, picker);
                app.navigator->addChild(picker, after);
            }) {}

    void show(int month, int year) {
        picker->shownMonth = month;
        picker->shownYear = year;
        p.program->app().needsRepaint = true;
        p.program->run("wait 10");
    }
    int visibleDays() const {
        int n = 0;
        for (const ovCalendarCell& cell : picker->cells)
            n += cell.hidden ? 0 : 1;
        return n;
    }
    const ovCalendarCell& cellOf(int day) const {
        for (const ovCalendarCell& cell : picker->cells)
            if (!cell.hidden && cell.day == day)
                return cell;
        return picker->cells[0];
    }
    ovPoint centreOf(const ovCalendarCell& c) const {
        return {(c.left + c.right) / 2, (c.top + c.bottom) / 2};
    }
    ovColor pixel(int x, int y) { return p.program->app().backBuffer().frame().pixel(x, y); }
    ovDatePickerLayout::Grid grid() {
        return ovDatePickerLayout::grid(p.program->app().screenRect.right,
                                        p.program->app().screenRect.bottom);
    }

    ovDatePicker* picker = nullptr;
    ovHyperNode* after = nullptr;
    ovPickerTestProgram p;
};

TEST_F(ovDatePickerTest, TheGridPlacesTheFirstDayAndTheMonthLengths) {
    ASSERT_EQ(p.current(), picker);
    EXPECT_EQ(picker->shownMonth, 12);
    EXPECT_EQ(picker->shownYear, 2026);

    show(1, 2006);
    // Only day 1 in the first row, in the Sunday column.
    EXPECT_EQ(cellOf(1).column, 6);
    EXPECT_EQ(&cellOf(1), &picker->cells[6]);
    EXPECT_EQ(cellOf(2).column, 0);
    EXPECT_EQ(visibleDays(), 31);
    show(3, 2006);
    EXPECT_EQ(&cellOf(1), &picker->cells[2]);

    const std::pair<int, int> februaries[] = {{2000, 29}, {2007, 28}, {2008, 29}, {2100, 28}};
    for (auto [year, days] : februaries) {
        show(2, year);
        EXPECT_EQ(visibleDays(), days) << year;
    }
}

TEST_F(ovDatePickerTest, TheMonthBarWrapsAtTheEndsOfTheYear) {
    show(1, 2006);
    const ovDatePickerLayout::Grid g = grid();
    p.tap(ovPickerTestProgram::centre(g.previousArea()));
    EXPECT_EQ(picker->shownMonth, 12);
    EXPECT_EQ(picker->shownYear, 2005);
    p.tap(ovPickerTestProgram::centre(g.nextArea()));
    p.tap(ovPickerTestProgram::centre(g.nextArea()));
    EXPECT_EQ(picker->shownMonth, 2);
    EXPECT_EQ(picker->shownYear, 2006);
    // Paging chose no day and left the picker where it was.
    EXPECT_EQ(p.current(), picker);
    EXPECT_TRUE(p.tree.owner->finishedNodes.empty());
}

TEST_F(ovDatePickerTest, ADayTapHandsTheDateOnAndHiddenCellsAreInert) {
    show(3, 2006);
    // The cells before the 1st and after the 31st.
    p.tap(ovPickerTestProgram::centre(grid().cell(0, 0)));
    p.tap(ovPickerTestProgram::centre(grid().cell(5, 2)));
    EXPECT_EQ(p.current(), picker);
    EXPECT_EQ(picker->selectedDay, 0);

    p.tap(centreOf(cellOf(15)));
    EXPECT_EQ(p.current(), after);
    ASSERT_EQ(p.tree.owner->finishedNodes.size(), 1u);
    EXPECT_EQ(p.tree.owner->finishedNodes[0], picker);
    EXPECT_EQ(picker->selectedYear, 2006);
    EXPECT_EQ(picker->selectedMonth, 3);
    EXPECT_EQ(picker->selectedDay, 15);
    EXPECT_EQ(picker->selectedWeekday, 2);
}

TEST_F(ovDatePickerTest, TheBackButtonReportsThePickerBeforeLeaving) {
    p.tap(ovPickerTestProgram::centre(grid().backButton()));
    ASSERT_FALSE(p.tree.owner->finishedNodes.empty());
    EXPECT_EQ(p.tree.owner->finishedNodes[0], picker);
    // Back on the step that passes straight into the picker.
    p.program->run("wait 20");
    EXPECT_EQ(p.current(), picker);
}

TEST_F(ovDatePickerTest, TodayIsFramedOnlyInItsOwnMonth) {
    const ovCalendarCell today = cellOf(9);
    const ovColor fill = pixel(today.right - 3, today.top + 3);
    EXPECT_EQ(fill, 0xFFE1E1u);
    show(11, 2026);
    EXPECT_NE(pixel(today.right - 3, today.top + 3), 0xFFE1E1u);
}

TEST_F(ovDatePickerTest, AppointmentsFillTheirPartOfTheDayBar) {
    ovPoomSession* session = ovPoomSession::instance();
    ASSERT_NE(session, nullptr);
    ovSystemTime morning{2031, 6, 0, 10, 6, 0, 0, 0};
    ASSERT_TRUE(session->addAppointment(morning, u"Six to noon", u"", 6 * 60, 0));
    ovSystemTime evening{2031, 6, 0, 11, 22, 0, 0, 0};
    ASSERT_TRUE(session->addAppointment(evening, u"Past midnight", u"", 5 * 60, 0));
    show(6, 2031);

    const ovDatePickerLayout::Grid g = grid();
    const ovRect bar10 = g.dayBar({cellOf(10).left, cellOf(10).top, cellOf(10).right, cellOf(10).bottom});
    const int y = (bar10.top + bar10.bottom) / 2;
    const int w = bar10.width();
    // 06:00 to 12:00: the second quarter, bar colour on either side.
    EXPECT_EQ(pixel(bar10.left + w / 8, y), kBarFill);
    EXPECT_EQ(pixel(bar10.left + 3 * w / 8, y), kBlockFill);
    EXPECT_EQ(pixel(bar10.left + 5 * w / 8, y), kBarFill);
    // Running past midnight: to the right end on the 11th, from the left end on the 12th.
    const ovRect bar11 = g.dayBar({cellOf(11).left, cellOf(11).top, cellOf(11).right, cellOf(11).bottom});
    EXPECT_EQ(pixel(bar11.left + w / 2, y), kBarFill);
    // Short blocks are mostly outline: a block is there when the bar's own colour is not.
    EXPECT_NE(pixel(bar11.right - 2, y), kBarFill);
    const ovRect bar12 = g.dayBar({cellOf(12).left, cellOf(12).top, cellOf(12).right, cellOf(12).bottom});
    EXPECT_NE(pixel(bar12.left + 1, bar12.top + (bar12.bottom - bar12.top) / 2), kBarFill);
    EXPECT_EQ(pixel(bar12.left + w / 2, bar12.top + (bar12.bottom - bar12.top) / 2), kBarFill);
    // A day with nothing on it.
    const ovRect bar13 = g.dayBar({cellOf(13).left, cellOf(13).top, cellOf(13).right, cellOf(13).bottom});
    EXPECT_EQ(pixel(bar13.left + w / 2, bar13.top + (bar13.bottom - bar13.top) / 2), kBarFill);
}
} // namespace
