#include "home/ovHomeScreen.h"
#include "data/pim/ovPimAppointment.h"
#include "home/ovHomeLayout.h"
#include "home/ovHyperBar.h"
#include "shell/ovBackBuffer.h"
#include "shell/ovScreenGeometry.h"
#include "store/ovPoomSession.h"
#include "support/ovTestProgram.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {
ovSystemTime day(int year, int month, int dayOfMonth, int hour = 0, int minute = 0) {
    ovSystemTime t;
    t.year = static_cast<uint16_t>(year);
    t.month = static_cast<uint16_t>(month);
    t.day = static_cast<uint16_t>(dayOfMonth);
    t.hour = static_cast<uint16_t>(hour);
    t.minute = static_cast<uint16_t>(minute);
    t.dayOfWeek = static_cast<uint16_t>(ovWeekday(year, month, dayOfMonth));
    return t;
}
double date(const ovSystemTime& t) {
    double d = 0.0;
    ovSystemTimeToVariantTime(t, d);
    return d;
}

// A list of appointments by their ends, as the session would hold them.
struct Appointments {
    std::vector<std::unique_ptr<ovPimAppointment>> items;
    ovPtrArray<ovPimAppointment> list;
    void add(double start, double end) {
        auto item = std::make_unique<ovPimAppointment>();
        EXPECT_TRUE(item->setStart(start).ok());
        EXPECT_TRUE(item->setEnd(end).ok());
        list.append(item.get());
        items.push_back(std::move(item));
    }
};
} // namespace

TEST(NextAppointment, TheOneNotYetEndedThatEndsFirstLaterInTheListOnTies) {
    const double now = date(day(2026, 12, 9, 10));
    const double hour = 1.0 / 24;
    Appointments a;
    EXPECT_EQ(ovHomeScreen::chooseNext(a.list, now), -1);
    a.add(now - 3 * hour, now - 2 * hour); // ended
    EXPECT_EQ(ovHomeScreen::chooseNext(a.list, now), -1);
    a.add(now + hour, now + 5 * hour);
    a.add(now - 25 * hour, now + 2 * hour); // began yesterday, still running, ends first
    a.add(now + 3 * hour, now + 4 * hour);
    EXPECT_EQ(ovHomeScreen::chooseNext(a.list, now), 2);
    a.add(now - hour, now + 2 * hour); // the same end, later in the list
    EXPECT_EQ(ovHomeScreen::chooseNext(a.list, now), 4);
    a.add(now - hour, now); // ending this very second still counts
    EXPECT_EQ(ovHomeScreen::chooseNext(a.list, now), 5);
}

TEST(NextAppointment, HeaderComparesWholeDates) {
    const ovSystemTime today = day(2026, 12, 31, 22);
    EXPECT_EQ(ovHomeScreen::dayHeader(day(2026, 12, 31, 23), today), u"Today: ");
    EXPECT_EQ(ovHomeScreen::dayHeader(day(2027, 1, 1, 9), today), u"Tomorrow: ");
    EXPECT_EQ(ovHomeScreen::dayHeader(day(2026, 12, 30, 9), today), u"Wednesday: ");
    // The last day of a month and the first of the next, and a day of the same number a
    // month later, which day-of-month numbers alone would take for today.
    EXPECT_EQ(ovHomeScreen::dayHeader(day(2026, 12, 1, 9), day(2026, 11, 30)), u"Tomorrow: ");
    EXPECT_EQ(ovHomeScreen::dayHeader(day(2027, 1, 31, 9), today), u"Sunday: ");
}

// The program at 2026-12-09 10:00 on a store of its own.
class HomeScreen : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::remove_all(std::filesystem::temp_directory_path() /
                                    ("orvida-test-" + std::to_string(getpid())));
        p = std::make_unique<ovTestProgram>();
        p->run("wait 10");
        home = static_cast<ovHomeScreen*>(p->nav().findById(ovHomeScreenId));
        ASSERT_NE(home, nullptr);
    }
    void add(const ovSystemTime& start, int minutes, const char16_t* subject,
             const char16_t* location = u"") {
        ASSERT_TRUE(ovPoomSession::instance()->addAppointment(start, subject, location, minutes, 0).ok());
    }
    const ovFramebuffer& redraw() {
        home->queryPending = true;
        p->shell().onPaint();
        return p->app().backBuffer().frame();
    }
    ovRect pixels(const ovHomeLayout::Area& a) {
        return {fracWidth(a.left), fracHeight(a.top), fracWidth(a.right), fracHeight(a.bottom)};
    }
    std::string at(const char* verb, int x, int y) {
        std::ostringstream line;
        line << verb << " " << x << " " << y;
        return line.str();
    }

    std::unique_ptr<ovTestProgram> p;
    ovHomeScreen* home = nullptr;
};

TEST_F(HomeScreen, IsTheRootsOnlyChildAndCurrentAfterTheFirstTick) {
    EXPECT_EQ(p->nav().current, home);
    EXPECT_EQ(home->label.str(), u"Home Screen");
    EXPECT_TRUE(home->fullScreen);
    EXPECT_TRUE(home->showsHyperBar);
    EXPECT_EQ(p->nav().root.children.count(), 1);
}

TEST_F(HomeScreen, BarsCoverTheirHoursInTheirColours) {
    add(day(2026, 12, 9, 6), 120, u"Breakfast");      // ended
    add(day(2026, 12, 9, 12), 60, u"Lunch", u"Roma"); // next
    add(day(2026, 12, 10, 8), 180, u"Dentist");       // coming
    add(day(2026, 12, 7, 8), 60, u"Long gone");       // outside the window
    const ovFramebuffer& frame = redraw();
    ASSERT_EQ(ovPoomSession::instance()->appointments().count(), 3);

    const ovRect strip = pixels(ovHomeLayout::timeLine);
    const double width = strip.right - strip.left;
    // The strip spans yesterday 10:00 to tomorrow 10:00.
    auto x = [&](double hoursFromStart) {
        return strip.left + static_cast<int>(width * hoursFromStart / 48.0);
    };
    const int y = (strip.top + strip.bottom) / 2;
    auto bar = [&](double fromHour, double toHour, ovColor colour) {
        const int left = x(fromHour), right = x(toHour);
        EXPECT_EQ(frame.pixel(left, y), 0x000000u) << fromHour; // outline on its first column
        EXPECT_EQ(frame.pixel(left + 1, y), colour) << fromHour;
        EXPECT_EQ(frame.pixel(right - 2, y), colour) << fromHour;
        EXPECT_EQ(frame.pixel(right - 1, y), 0x000000u) << fromHour; // and its last
        EXPECT_EQ(frame.pixel(right + 1, y), 0xFF5050u) << fromHour; // the strip goes on
    };
    bar(20, 22, 0x5050FF); // 06:00 to 08:00 today, red
    bar(26, 27, 0x00FFFF); // 12:00 to 13:00, yellow: the next one
    // Tomorrow 08:00 to 11:00 runs on past the strip's right edge.
    EXPECT_EQ(frame.pixel(x(46), y), 0x000000u);
    EXPECT_EQ(frame.pixel(x(46) + 1, y), 0x5050FFu);
    EXPECT_EQ(frame.pixel(strip.right - 1, y), 0x5050FFu);
    const ovRect marker = pixels(ovHomeLayout::nextMarker);
    EXPECT_EQ(frame.pixel((marker.left + marker.right) / 2, (marker.top + marker.bottom) / 2), 0x00FFFFu);
}

TEST_F(HomeScreen, NoMarkerWithOnlyEndedAppointments) {
    add(day(2026, 12, 9, 6), 120, u"Breakfast");
    const ovFramebuffer& frame = redraw();
    const ovRect marker = pixels(ovHomeLayout::nextMarker);
    EXPECT_NE(frame.pixel((marker.left + marker.right) / 2, (marker.top + marker.bottom) / 2), 0x00FFFFu);
}

TEST_F(HomeScreen, QueriesOnEntryAndAtMostOncePerMinute) {
    add(day(2026, 12, 9, 12), 60, u"Lunch");
    p->run("wait 1000");
    EXPECT_EQ(ovPoomSession::instance()->appointments().count(), 0); // fetched before it was added
    p->run("wait 30000");
    EXPECT_EQ(ovPoomSession::instance()->appointments().count(), 0);
    p->run("wait 30000");
    EXPECT_EQ(ovPoomSession::instance()->appointments().count(), 1);
    add(day(2026, 12, 9, 14), 60, u"Call");
    home->onEnter(p->nav()); // as when a wizard returns here
    p->run("wait 1000");
    EXPECT_EQ(ovPoomSession::instance()->appointments().count(), 2);
}

TEST_F(HomeScreen, TheClockRepaintsOncePerSecond) {
    p->run("wait 1000");
    const int repaints = p->app().repaintCount;
    p->run("wait 5000");
    EXPECT_EQ(p->app().repaintCount, repaints + 5);
}

TEST_F(HomeScreen, ButtonsHighlightAndEnterTheirWizardRoots) {
    const int ids[4] = {ovHomeScreen::contactRootId, ovHomeScreen::messageRootId,
                        ovHomeScreen::appointmentRootId, ovHomeScreen::taskRootId};
    // Released on the message button: the message wizard passes straight into its
    // full-screen name keyboard.
    const ovRect message = pixels(ovHomeLayout::buttons[1].touch);
    p->run(at("tap", (message.left + message.right) / 2, (message.top + message.bottom) / 2));
    EXPECT_EQ(p->nav().current->nodeId, ovHomeScreen::messageRootId + 1);
    p->nav().current = home;
    p->run("wait 10");

    // The wizards that exist are found among the home screen's children; the missing
    // ones stand in as plain roots.
    ovHyperNode* roots[4];
    for (int i = 0; i < 4; ++i) {
        roots[i] = home->wizardRoot(i);
        if (roots[i] == nullptr) {
            roots[i] = p->makeNode(u"Root", ids[i]);
            p->nav().addChild(home, roots[i]);
        }
    }
    for (int i = 0; i < 4; ++i) {
        const ovRect touch = pixels(ovHomeLayout::buttons[i].touch);
        const int cx = (touch.left + touch.right) / 2, cy = (touch.top + touch.bottom) / 2;
        p->run(at("down", cx, cy) + "\nwait 20");
        EXPECT_TRUE(home->buttonPressed[i]);
        p->run(at("up", cx, cy) + "\nwait 10");
        // A root whose only step is full-screen (the contact wizard's name keyboard)
        // passes straight into it on the next tick.
        ovHyperNode* entered = roots[i]->children.count() == 1 ? roots[i]->children[0] : roots[i];
        EXPECT_TRUE(p->nav().current == roots[i] || p->nav().current == entered) << i;
        p->nav().current = home;
        p->run("wait 10");
    }

    // The strip left of the left buttons belongs to none; sliding off drops the highlight.
    const ovRect contact = pixels(ovHomeLayout::buttons[0].touch);
    p->run(at("down", contact.left - 2, 40) + "\nwait 20");
    EXPECT_FALSE(home->buttonPressed[0]);
    p->run(at("up", contact.left - 2, 40) + "\nwait 10");
    EXPECT_EQ(p->nav().current, home);
    p->run("down 60 40\nwait 20");
    ASSERT_TRUE(home->buttonPressed[0]);
    const int repaints = p->app().repaintCount;
    p->run("move 60 100\nwait 10");
    EXPECT_FALSE(home->buttonPressed[0]);
    EXPECT_GT(p->app().repaintCount, repaints);
    p->run("up 60 100\nwait 10");
    EXPECT_EQ(p->nav().current, home);
}

namespace {
// Rows and columns of the clock's light letters inside its field, on the frame a
// fresh program draws at the given screen size.
struct Ink {
    std::vector<int> rows;
    int left = 1 << 30, right = -1;
    ovRect field;
};
Ink clockInk(int width, int height) {
    ovTestProgram p(width, height);
    p.nav().current = p.nav().findById(ovHomeScreenId);
    p.run("wait 100");
    const ovFramebuffer& frame = p.app().backBuffer().frame();
    namespace L = ovHomeLayout;
    Ink ink;
    // The clock's letters may stand below its field (they are centred on their line,
    // not on the field), so the rows are looked at down to the time line.
    ink.field = {fracWidth(L::clockText.left), fracHeight(L::clockText.top), fracWidth(L::clockText.right),
                 fracHeight(L::timeLine.top)};
    for (int y = ink.field.top; y < ink.field.bottom; ++y) {
        bool any = false;
        for (int x = ink.field.left; x < ink.field.right; ++x)
            if (ovRed(frame.pixel(x, y)) > 0xB0 && ovGreen(frame.pixel(x, y)) > 0xB0 &&
                ovBlue(frame.pixel(x, y)) > 0xB0) {
                any = true;
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
            }
        if (any)
            ink.rows.push_back(y);
    }
    return ink;
}
} // namespace

// A wrapped clock ("10:00:0" over "0") reads as two numbers; a clock cut at the
// field's edge loses a digit. Either shows as ink rows with a gap, or ink at the edge.
TEST(Clock, OneLineInsideItsFieldAtEveryPortraitSize) {
    const std::pair<int, int> sizes[] = {{240, 320}, {480, 640}, {720, 1440}, {1080, 2340}};
    for (const auto& [w, h] : sizes) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        const Ink ink = clockInk(w, h);
        ASSERT_FALSE(ink.rows.empty());
        EXPECT_EQ(ink.rows.back() - ink.rows.front() + 1, static_cast<int>(ink.rows.size())) << "wrapped";
        EXPECT_GT(ink.left, ink.field.left);
        EXPECT_LT(ink.right, ink.field.right - 1);
    }
}
