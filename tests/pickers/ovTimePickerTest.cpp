#include "pickers/ovTimePicker.h"
#include "pickers/ovTimePickerLayout.h"
#include "pickers/ovTimePickerSystem.h"

#include "ovPickerTestTree.h"

#include <gtest/gtest.h>

namespace {
constexpr int kStartTag = 1002;
constexpr int kEndTag = 1003;
constexpr int kReminderTag = 1005;

// The wizard's schedule steps: start time (time of day), end time (duration) below it,
// the reminder below that, and one more step after the reminder.
class ovTimePickerTest : public ::testing::Test {
protected:
    ovTimePickerTest()
        : p([](ovApp& app) { return std::make_unique<ovTimePickerSystem>(app); },
            [this](ovApp& app, ovPickerTestTree& tree) {
                ovNavigator& nav = *app.navigator;
                start = ovPickerTestProgram::picker<ovTimePicker>(app, u"start time", 11, kStartTag);
                end = ovPickerTestProgram::picker<ovTimePicker>(app, u"end time", 12, kEndTag);
                end->configure(ovTimePicker::duration, false);
                reminder = ovPickerTestProgram::picker<ovTimePicker>(app, u"Reminder", 13, kReminderTag);
                reminder->configure(ovTimePicker::duration, true);
                after = ovPickerTestProgram::plain(app, u"Done", 14);
                nav.addChild(tree.step, start);
                nav.addChild(start, end);
                nav.addChild(end, reminder);
                nav.addChild(reminder, after);
            }) {}

    const std::vector<ovHyperNode*>& finished() { return p.tree.owner->finishedNodes; }
    void tapCentre(const ovRect& r) { p.tap(ovPickerTestProgram::centre(r)); }
    void next() {
        tapCentre(p.current() == nullptr ? ovRect{} : static_cast<ovTimePicker*>(p.current())->nextRect);
    }

    ovTimePicker* start = nullptr;
    ovTimePicker* end = nullptr;
    ovTimePicker* reminder = nullptr;
    ovHyperNode* after = nullptr;
    ovPickerTestProgram p;
};

TEST_F(ovTimePickerTest, AFreshTimeOfDayPickerYieldsEightAndBothTogglesAddFortyFiveMinutes) {
    ASSERT_EQ(p.current(), start);
    EXPECT_EQ(start->hours, 8);
    EXPECT_EQ(start->minutes, 0);
    EXPECT_EQ(start->selectedItemRect, start->leftItemRect(0));
    tapCentre(start->toggleRect(0));
    tapCentre(start->toggleRect(1));
    EXPECT_EQ(start->hours, 8);
    EXPECT_EQ(start->minutes, 45);
    // Off again, and an hour of the middle list.
    tapCentre(start->toggleRect(0));
    tapCentre(start->middleItemRect(5));
    EXPECT_EQ(start->hours, 21);
    EXPECT_EQ(start->minutes, 30);
    EXPECT_EQ(start->resultKind, 0);
}

TEST_F(ovTimePickerTest, PressingOneItemAndReleasingOnAnotherSelectsNothing) {
    const ovPoint third = ovPickerTestProgram::centre(start->leftItemRect(3));
    const ovPoint fifth = ovPickerTestProgram::centre(start->leftItemRect(5));
    p.program->run("down " + std::to_string(third.x) + " " + std::to_string(third.y) + "\nwait 50");
    EXPECT_EQ(start->highlightIndex, 3);
    p.program->run("up " + std::to_string(fifth.x) + " " + std::to_string(fifth.y));
    EXPECT_EQ(start->hours, 8);
    EXPECT_EQ(start->selectedItemRect, start->leftItemRect(0));
    p.program->run("wait 20");
    EXPECT_EQ(start->highlightIndex, -1);
    EXPECT_EQ(start->hours, 8);
}

TEST_F(ovTimePickerTest, NextHandsTheTimeToTheOwnerAndTheDurationFormGivesMinutes) {
    tapCentre(start->leftItemRect(2));
    next();
    ASSERT_EQ(p.current(), end);
    ASSERT_EQ(finished().size(), 1u);
    EXPECT_EQ(finished()[0], start);
    EXPECT_EQ(start->hours, 10);

    // Untouched, the end time is one hour.
    EXPECT_EQ(end->durationMinutes(), 60);
    // A unit chosen before any number leaves the hour.
    tapCentre(end->daysUnitRect);
    EXPECT_EQ(end->selectedUnit, 1);
    EXPECT_EQ(end->durationMinutes(), 60);
    tapCentre(end->leftItemRect(2));
    EXPECT_EQ(end->durationMinutes(), 2880);
    EXPECT_EQ(end->days, 2);
    // The number from the middle list in weeks, plus a quarter.
    tapCentre(end->weeksUnitRect);
    tapCentre(end->middleItemRect(0));
    tapCentre(end->toggleRect(0));
    EXPECT_EQ(end->durationMinutes(), 8 * 10080 + 15);

    next();
    ASSERT_EQ(p.current(), reminder);
    EXPECT_EQ(finished().back(), end);
    EXPECT_EQ(reminder->durationMinutes(), 15);
    next();
    EXPECT_EQ(p.current(), after);
    EXPECT_EQ(finished().back(), reminder);
}

TEST_F(ovTimePickerTest, BackFromTheEndTimeReturnsToTheStartTimeAndFromTheOthersLeavesTheirParent) {
    next();
    ASSERT_EQ(p.current(), end);
    tapCentre(end->backRect);
    EXPECT_EQ(p.current(), start);
    EXPECT_EQ(finished().back(), end);

    // The start time's parent passes straight into it: Back leaves that step instead.
    const size_t before = finished().size();
    tapCentre(start->backRect);
    EXPECT_EQ(p.current(), p.tree.home);
    ASSERT_EQ(finished().size(), before + 2);
    EXPECT_EQ(finished()[before], start);
    EXPECT_EQ(finished()[before + 1], p.tree.step);

    // The reminder behaves like the time of day: reported, then its parent goes back.
    p.program->nav().current = reminder;
    p.program->run("wait 20");
    const size_t atReminder = finished().size();
    tapCentre(reminder->backRect);
    EXPECT_EQ(p.current(), start);
    ASSERT_GE(finished().size(), atReminder + 1);
    EXPECT_EQ(finished()[atReminder], reminder);
}

TEST_F(ovTimePickerTest, AResetAfterUseGivesTheDefaultItShows) {
    next();
    tapCentre(end->leftItemRect(5));
    tapCentre(end->daysUnitRect);
    EXPECT_EQ(end->durationMinutes(), 5 * 1440);
    end->configure(ovTimePicker::duration, false);
    end->selectedUnit = 0;
    p.program->run("wait 20");
    EXPECT_EQ(end->durationMinutes(), 60);
    EXPECT_EQ(end->selectedItemRect, end->leftItemRect(1));
}

TEST_F(ovTimePickerTest, AnIdlePickerDoesNotRepaintFromTickToTick) {
    p.program->run("wait 50");
    const int frames = p.program->app().repaintCount;
    p.program->run("wait 500");
    EXPECT_EQ(p.program->app().repaintCount, frames);
}
} // namespace
