#pragma once
// The full-screen month calendar: six weeks with Monday first, today framed, a bar
// under every day with the day's appointments as blocks placed by their time of day,
// a month bar to page through the months and a back button in the last cell. Tapping
// a day stores the date and moves on to the wizard's next step.
#include "gfx/ovFramebuffer.h"
#include "gfx/ovTextFit.h"
#include "pickers/ovDatePickerLayout.h"
#include "shell/ovHyperNode.h"

#include <array>

struct ovCalendarCell {
    int day = 0;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    uint8_t hidden = 1; // holds no day of the shown month: not drawn, not tappable
    int column = 0;     // 0 = Monday .. 6 = Sunday
    int month = 0;
    int year = 0;
};

// 0 = Monday .. 6 = Sunday, for any year of the Gregorian calendar.
int weekdayOf(int month, int day, int year);
// The day exists: 1..28, 29, 30 or 31 by month and leap year; the month is 1..12.
bool isValidDay(int month, int day, int year);

class ovDatePicker : public ovHyperNode {
public:
    // Shows today's month.
    ovDatePicker();

    // The tapped day; zero until the first tap.
    int selectedMonth = 0;
    int selectedDay = 0;
    int selectedYear = 0;
    int selectedWeekday = 0;
    int cellWidth = 0;
    int cellHeight = 0;
    int shownMonth = 1;
    int shownYear = 2000;
    int shownDay = 1;
    static constexpr const char16_t* monthNames[12] = {u"January",   u"February", u"March",    u"April",
                                                       u"May",       u"June",     u"July",     u"August",
                                                       u"September", u"October",  u"November", u"December"};
    std::array<ovCalendarCell, 42> cells{};
    int gridLeft = 0;
    int gridTop = 0;
    int gridRight = 0;
    int gridBottom = 0;

    // Back to today's month, as at construction.
    void showToday();

    void handleInput(ovNavigator& nav) override;
    void drawScreen(ovNavigator& nav, ovCanvas& dc) override;
    void drawChild(ovNavigator&, ovCanvas&, int) override {}

private:
    void drawPage(const ovDatePickerLayout::Grid& g);
    void fillCells(ovCanvas& dc, int todayDay, bool todayShown);
    void drawDayBars(ovCanvas& dc);
    void drawMonthBar(ovNavigator& nav, ovCanvas& dc);

    ovFramebuffer page_;
    ovFaceMemo titleFace_;
};
