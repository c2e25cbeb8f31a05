#include "pickers/ovDatePicker.h"

#include "gfx/ovCanvas.h"
#include "gfx/ovTextFit.h"
#include "pickers/ovDatePickerLayout.h"
#include "pickers/ovDatePickerSystem.h"
#include "shell/ovApp.h"
#include "shell/ovFontSet.h"
#include "shell/ovNavigator.h"
#include "store/ovPoomSession.h"
#include "system/ovDateTime.h"
#include "system/ovSystem.h"

#include <algorithm>
#include <cstdio>

namespace L = ovDatePickerLayout;

namespace {
constexpr ovColor kBlack = 0x000000;
constexpr ovColor kTodayFill = 0xFFE1E1;
constexpr ovColor kBarFill = 0xFF5050;
constexpr ovColor kBlockFill = 0x5050FF;
constexpr ovColor kTitleShadow = 0x505050;
constexpr ovColor kWhite = 0xFFFFFF;
// Our background is dark, and the calendar writes in black: the grid gets a light page
// of its own so that the days stay readable.
constexpr ovColor kPage = 0xF2EEEA;
// Behind the month bar picture, in its own dark blue.
constexpr ovColor kMonthBarBehind = 0x523E2C;
constexpr const char16_t* kWeekdayNames[L::columns] = {u"Mon", u"Tue", u"Wed", u"Thu",
                                                       u"Fri", u"Sat", u"Sun"};
constexpr int kDecember = 12;

std::u16string ascii(const char* text) {
    std::u16string out;
    for (const char* c = text; *c != '\0'; ++c)
        out.push_back(static_cast<char16_t>(*c));
    return out;
}

ovSystemTime dayAt(int year, int month, int day, int hour, int minute, int second) {
    ovSystemTime st;
    st.year = static_cast<uint16_t>(year);
    st.month = static_cast<uint16_t>(month);
    st.day = static_cast<uint16_t>(day);
    st.hour = static_cast<uint16_t>(hour);
    st.minute = static_cast<uint16_t>(minute);
    st.second = static_cast<uint16_t>(second);
    return st;
}
} // namespace

int weekdayOf(int month, int day, int year) {
    // Any year: the short formula of old calendars is only right from 1921 to 2099.
    if (month < 1 || month > 12)
        return 0;
    const int firstOfMonth = (ovWeekday(year, static_cast<unsigned>(month), 1) + 6) % 7; // Monday = 0
    return (firstOfMonth + (day - 1) % 7 + 7) % 7;
}

bool isValidDay(int month, int day, int year) {
    if (day < 1 || month < 1 || month > 12)
        return false;
    return day <= ovDaysInMonth(year, static_cast<unsigned>(month));
}

ovDatePicker::ovDatePicker() {
    fullScreen = true;
    showToday();
}

void ovDatePicker::showToday() {
    const ovSystemTime today = ovApp::instance()->system().clock().localTime();
    shownMonth = today.month;
    shownYear = today.year;
    shownDay = today.day;
}

void ovDatePicker::handleInput(ovNavigator& nav) {
    ovApp& app = nav.app();
    if (app.touch.phase != ovPhaseReleased)
        return;
    const ovPoint p{app.touch.x, app.touch.y};
    // The tests are not exclusive: a point on a border shared by two cells selects both,
    // one after the other, and the later one is the result.
    for (const ovCalendarCell& cell : cells) {
        if (cell.hidden || !pointInRect(p, cell.left, cell.top, cell.right, cell.bottom))
            continue;
        selectedMonth = shownMonth;
        selectedDay = cell.day;
        selectedYear = shownYear;
        selectedWeekday = cell.column;
        if (children.count() == 1)
            enterChild(nav, 0);
    }
    const L::Grid g = L::grid(app.screenRect.right, app.screenRect.bottom);
    if (g.previousArea().contains(p)) {
        if (--shownMonth < 1) {
            shownMonth = kDecember;
            --shownYear;
        }
        app.needsRepaint = true;
    }
    if (g.nextArea().contains(p)) {
        if (++shownMonth > kDecember) {
            shownMonth = 1;
            ++shownYear;
        }
        app.needsRepaint = true;
    }
    if (g.backButton().contains(p) && children.count() == 1) {
        if (owner != nullptr)
            owner->childFinished(this);
        goBack(nav);
    }
}

void ovDatePicker::drawScreen(ovNavigator& nav, ovCanvas& dc) {
    ovApp& app = nav.app();
    const ovRect& screen = app.screenRect;
    const L::Grid g = L::grid(screen.right, screen.bottom);
    cellWidth = g.cellWidth;
    cellHeight = g.cellHeight;
    gridLeft = g.left;
    gridTop = g.top;
    gridRight = g.right;
    gridBottom = g.bottom;
    // The page, its lines and the weekday names are the same for every month: drawn once
    // for the screen and copied in each frame, which also covers the whole screen, so the
    // application's background would never show and is not drawn.
    if (page_.width() != screen.right || page_.height() != screen.bottom)
        drawPage(g);
    dc.copyFrom(page_, 0, 0);

    const ovPen savedPen = dc.selectPen({ovPen::Dash, 1, kBlack});
    const ovBrush savedBrush = dc.selectBrush({ovBrush::Solid, kTodayFill});
    const ovSystemTime today = app.system().clock().localTime();
    fillCells(dc, today.day, today.month == shownMonth && today.year == shownYear);
    drawDayBars(dc);
    dc.selectPen(savedPen);
    dc.selectBrush(savedBrush);
    drawMonthBar(nav, dc);
}

void ovDatePicker::drawPage(const ovDatePickerLayout::Grid& g) {
    page_ = ovFramebuffer(g.screenRight, g.screenBottom, kPage);
    ovCanvas dc(page_);
    dc.setBackgroundMode(ovTransparent);
    dc.fillRect({0, g.bottom + 1, g.screenRight, g.screenBottom}, kMonthBarBehind);
    dc.selectPen({ovPen::Dash, 1, kBlack});
    for (int i = 0; i <= L::rows; ++i) {
        dc.moveTo(0, g.top + i * g.cellHeight);
        dc.lineTo(g.screenRight, g.top + i * g.cellHeight);
    }
    // The faces grow with the screen's height, the cells with its width: on a tall
    // narrow screen the names take a smaller face, so that each keeps a gap beside it.
    // Every name is in the face the widest of them needs.
    ovFontSet* fonts = ovFontSet::instance();
    const ovRect first = g.header(0);
    const int gap = std::max(1, (first.right - first.left) / 10);
    const ovRect room{first.left + gap, first.top, first.right - gap, first.bottom};
    const ovFont* face = fonts->bold12.get();
    for (const char16_t* name : kWeekdayNames) {
        const ovFont* faces[] = {face, fonts->bold10.get()};
        const ovFont* fitting = ovFaceForLine(dc, name, faces, room);
        face = fitting != nullptr ? fitting : fonts->bold10.get();
    }
    ovFontScope bold(*fonts, dc, face);
    dc.setTextColor(kBlack);
    for (int c = 0; c < L::columns; ++c) {
        dc.drawText(kWeekdayNames[c], g.header(c), ovTextCenter | ovTextVCenter);
        dc.moveTo(g.left + (c + 1) * g.cellWidth, g.top);
        dc.lineTo(g.left + (c + 1) * g.cellWidth, g.bottom);
    }
}

void ovDatePicker::fillCells(ovCanvas& dc, int todayDay, bool todayShown) {
    ovFontSet* fonts = ovFontSet::instance();
    const int first = weekdayOf(shownMonth, 1, shownYear);
    ovFontScope regular(*fonts, dc, fonts->regular10.get());
    int counter = 1;
    for (int index = 0; index < L::cellCount; ++index) {
        const int row = index / L::columns, column = index % L::columns;
        ovCalendarCell& cell = cells[index];
        cell.hidden = 1;
        if ((row == 0 && column < first) || !isValidDay(shownMonth, counter, shownYear))
            continue;
        const ovRect r{gridLeft + column * cellWidth, gridTop + row * cellHeight,
                       gridLeft + (column + 1) * cellWidth, gridTop + (row + 1) * cellHeight};
        const bool isToday = todayShown && counter == todayDay;
        if (isToday) {
            fonts->pushFont(dc, fonts->bold10.get());
            dc.rectangle(r.left, r.top, r.right, r.bottom);
        }
        char text[16];
        std::snprintf(text, sizeof text, " %d", counter);
        dc.drawText(ascii(text), r, ovTextLeft);
        if (isToday)
            fonts->popFont(dc);
        cell = {counter, r.left, r.top, r.right, r.bottom, 0, column, shownMonth, shownYear};
        ++counter;
    }
}

void ovDatePicker::drawDayBars(ovCanvas& dc) {
    ovPoomSession* session = ovPoomSession::instance();
    const L::Grid g = L::grid(ovApp::instance()->screenRect.right, ovApp::instance()->screenRect.bottom);
    const int blockInset = ovFracOf(g.screenBottom, L::blockInsetY);
    for (const ovCalendarCell& cell : cells) {
        if (cell.hidden)
            continue;
        const ovRect bar = g.dayBar({cell.left, cell.top, cell.right, cell.bottom});
        dc.selectPen({ovPen::Solid, 1, kBlack});
        dc.selectBrush({ovBrush::Solid, kBarFill});
        dc.rectangle(bar.left, bar.top, bar.right, bar.bottom);
        if (session == nullptr)
            continue;
        const ovSystemTime from = dayAt(cell.year, cell.month, cell.day, 0, 0, 0);
        const ovSystemTime to = dayAt(cell.year, cell.month, cell.day, 23, 59, 59);
        double dayStart = 0, dayEnd = 0;
        if (!ovSystemTimeToVariantTime(from, dayStart) || !ovSystemTimeToVariantTime(to, dayEnd))
            continue;
        // A store that cannot answer leaves the bar empty; the calendar stays usable.
        if (!session->queryAppointments(from, to, true))
            continue;
        dc.selectBrush({ovBrush::Solid, kBlockFill});
        const int w = bar.right - bar.left;
        for (const ovPimAppointment* item : session->appointments()) {
            double fs = (item->start() - dayStart) / (dayEnd - dayStart);
            double fe = (item->end() - dayStart) / (dayEnd - dayStart);
            if ((fs < 0 && fe < 0) || fs > 1)
                continue;
            fs = fs < 0 ? 0 : fs;
            fe = fe > 1 ? 1 : fe;
            dc.rectangle(bar.left + static_cast<int>(w * fs), bar.top + blockInset,
                         bar.left + static_cast<int>(w * fe), bar.bottom - blockInset);
        }
    }
}

void ovDatePicker::drawMonthBar(ovNavigator& nav, ovCanvas& dc) {
    ovApp& app = nav.app();
    const L::Grid g = L::grid(app.screenRect.right, app.screenRect.bottom);
    const ovDatePickerSystem* pictures = ovDatePickerSystem::instance();
    const ovRect bar = g.monthBar();
    if (pictures != nullptr)
        app.bitmaps.blit(pictures->monthBar, dc, bar.left, bar.top, bar.right, bar.bottom, ovColourKey, 255,
                         1.0f, 1.0f);
    char title[32];
    char name[4] = {};
    const char16_t* month = monthNames[(shownMonth - 1 + 12) % 12];
    for (int i = 0; i < 3 && month[i] != 0; ++i)
        name[i] = static_cast<char>(month[i]);
    std::snprintf(title, sizeof title, "%.3s %d", name, shownYear);
    const std::u16string text = ascii(title);
    ovFontSet* fonts = ovFontSet::instance();
    {
        // The title stands between the two arrows: on a tall narrow screen it takes a
        // smaller bold face rather than run under them.
        const ovRect room{g.previousArea().right, bar.top, g.nextArea().left, bar.bottom};
        const ovFont* faces[] = {fonts->bold16.get(), fonts->bold12.get(), fonts->bold10.get()};
        const ovFont* fitting =
            titleFace_.face(text, room, [&] { return ovFaceForLine(dc, text, faces, room); });
        ovFontScope bold(*fonts, dc, fitting != nullptr ? fitting : faces[2]);
        dc.setTextColor(kTitleShadow);
        dc.drawText(text, bar, ovTextCenter | ovTextVCenter);
        dc.setTextColor(kWhite);
        dc.drawText(text, {bar.left, bar.top - 2, bar.right - 2, bar.bottom}, ovTextCenter | ovTextVCenter);
        dc.setTextColor(kBlack);
    }
    if (pictures != nullptr) {
        const ovRect back = g.backButton();
        app.bitmaps.blit(pictures->backButton, dc, back.left, back.top, back.right, back.bottom, ovColourKey,
                         255, 1.0f, 1.0f);
    }
}
