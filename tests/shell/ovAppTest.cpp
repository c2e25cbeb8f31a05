#include "support/ovTestProgram.h"

#include <gtest/gtest.h>
#include <sstream>

TEST(Orientation, ReservedHeightAndScreenRectangle) {
    // One program at a time, as in a real process.
    {
        ovTestProgram small(240, 320);
        EXPECT_EQ(small.app().reservedHeight, 52);
        EXPECT_EQ(small.app().screenRect, (ovRect{0, 0, 240, 268}));
    }
    {
        ovTestProgram large(480, 640);
        EXPECT_EQ(large.app().reservedHeight, 104);
        EXPECT_EQ(large.app().screenRect, (ovRect{0, 0, 480, 536}));
    }
    ovTestProgram square(320, 320);
    EXPECT_EQ(square.app().reservedHeight, 52);
}

TEST(Orientation, LandscapeIsRefusedWithTheMessageAndNothingRuns) {
    ovTestProgram p(321, 320);
    ASSERT_TRUE(p.host().refused());
    ASSERT_EQ(p.system().messages().size(), 1u);
    EXPECT_EQ(p.system().messages()[0].text,
              "Not designed for landscape mode. Please switch to portrait mode to run it.");
    std::istringstream script("state\n");
    std::ostringstream out;
    EXPECT_EQ(p.host().run(script, "script", out), 1);
    EXPECT_EQ(out.str(), "") << "no line of the script runs";
    EXPECT_FALSE(p.app().resourcesLoaded);
    EXPECT_EQ(p.app().moduleList.count(), 0) << "no module is made for a refused screen";
}

TEST(Startup, FirstUpdatePassesIntoTheOnlyChild) {
    // One program at a time, as in a real process.
    {
        ovTestProgram p;
        EXPECT_TRUE(p.app().resourcesLoaded);
        EXPECT_EQ(p.nav().current, &p.nav().root);
        EXPECT_EQ(p.nav().root.children.count(), 1);
        EXPECT_EQ(p.nav().root.children[0]->nodeId, ovHomeScreenId);
        EXPECT_EQ(p.nav().buildOwner, &p.nav().root);
        p.run("wait 10");
        EXPECT_EQ(p.nav().current, p.nav().root.children[0]);
        EXPECT_EQ(p.nav().current->nodeId, ovHomeScreenId);
    }

    // The pass itself, on a tree whose only child draws the whole screen, as the home
    // screen does: the first tick takes the program from the root into it.
    ovAssembly assembly;
    ovHyperNode* only = nullptr;
    assembly.buildTree = [&only](ovApp& app) {
        only = app.makeNode<ovHyperNode>();
        only->label = u"Only";
        only->nodeId = 77;
        only->valid = 1;
        only->fullScreen = true;
        app.navigator->addChild(&app.navigator->root, only);
    };
    ovTestProgram small(assembly);
    ASSERT_NE(only, nullptr);
    EXPECT_EQ(small.nav().current, &small.nav().root) << "the first paint makes the root current";
    small.run("wait 10");
    EXPECT_EQ(small.nav().current, only);
}

class TouchPhases : public ::testing::Test {
protected:
    ovTestProgram p;
    int phase() { return p.app().touch.phase; }
};

TEST_F(TouchPhases, TapGivesDownThenReleasedWithOneClick) {
    p.shell().onPointer({ovPointerEvent::Down, {200, 200}});
    EXPECT_EQ(phase(), ovPhaseDown);
    // No timer message between the two: the release is still seen.
    p.shell().onPointer({ovPointerEvent::Up, {200, 200}});
    EXPECT_EQ(phase(), ovPhaseReleased);
    EXPECT_EQ(p.app().clickCount, 1);
    ASSERT_EQ(p.system().soundsPlayed().size(), 1u);
    EXPECT_EQ(p.system().soundsPlayed()[0], ORVIDA_BIN_DIR "/sounds/open.wav");
    p.run("wait 10");
    EXPECT_EQ(phase(), ovPhaseIdle);
    p.run("wait 10");
    EXPECT_EQ(phase(), ovPhaseIdle);
}

TEST_F(TouchPhases, HeldWhileDownAndPressAgainAfterRelease) {
    p.run("down 5 5\nwait 30");
    EXPECT_EQ(phase(), ovPhaseHeld);
    p.shell().onPointer({ovPointerEvent::Up, {5, 5}});
    EXPECT_EQ(phase(), ovPhaseReleased);
    p.shell().onPointer({ovPointerEvent::Down, {5, 5}}); // pressed again in the update right after a release
    EXPECT_EQ(phase(), ovPhaseDown);
}

TEST_F(TouchPhases, SoundsOffChangesNothingButTheSound) {
    p.shell().onCommand(32771);
    EXPECT_FALSE(p.app().soundsOn);
    p.run("tap 5 5");
    EXPECT_EQ(p.app().clickCount, 0);
    EXPECT_TRUE(p.system().soundsPlayed().empty());
    p.shell().onCommand(32771);
    EXPECT_TRUE(p.app().soundsOn);
    p.run("tap 5 5");
    EXPECT_EQ(p.app().clickCount, 1);
}

TEST_F(TouchPhases, LongPressFiresOnceAfterOnePointThreeSeconds) {
    ovHyperNode* home = p.nav().findById(ovHomeScreenId);
    p.nav().current = home;
    p.run("down 200 200\nwait 1290");
    EXPECT_EQ(p.nav().current, home);
    // Move away from home: the long press should bring us back exactly once.
    ovHyperNode* other = p.makeNode(u"Other", 77);
    p.nav().current = other;
    p.run("wait 30");
    EXPECT_EQ(p.nav().current, home);
    EXPECT_FALSE(p.app().longPressArmed);
    p.nav().current = other;
    p.run("wait 3000");
    EXPECT_EQ(p.nav().current, other); // holding longer does nothing more
    p.run("up 200 200");
    EXPECT_EQ(phase(), ovPhaseReleased); // no owner: a normal release with sound
    EXPECT_EQ(p.app().clickCount, 1);
}

TEST_F(TouchPhases, LongPressInsideAWizardResetsItAndTheReleaseIsSilent) {
    auto* owner = p.app().makeNode<ovRecordingOwner>();
    ovHyperNode* step = p.makeNode(u"Step", 300);
    step->owner = owner;
    p.nav().current = step;
    p.run("down 200 200\nwait 1400");
    EXPECT_EQ(owner->resets, 1);
    EXPECT_TRUE(owner->finishedNodes.empty()); // the step is not reported as finished
    EXPECT_EQ(p.nav().current->nodeId, ovHomeScreenId);
    EXPECT_TRUE(p.app().suppressClick);

    p.shell().onPointer({ovPointerEvent::Up, {200, 200}});
    EXPECT_EQ(phase(), ovPhaseReleasedSilent);
    EXPECT_EQ(p.app().clickCount, 0);
    // A press in the very next update is not a press until the finger lifts again.
    p.shell().onPointer({ovPointerEvent::Down, {200, 200}});
    EXPECT_EQ(phase(), ovPhaseReleasedSilent);
    p.run("wait 50");
    EXPECT_EQ(phase(), ovPhaseReleasedSilent);
    p.shell().onPointer({ovPointerEvent::Up, {200, 200}});
    EXPECT_EQ(phase(), ovPhaseIdle);
    EXPECT_FALSE(p.app().suppressClick);
    p.run("tap 200 200");
    EXPECT_EQ(p.app().clickCount, 1);
}

TEST(Ticks, TimerMeasuresInSinglePrecisionSeconds) {
    ovTestProgram p;
    p.run("wait 100");
    EXPECT_NEAR(p.shell().tickTotal(), 0.1f, 1e-5f);
    EXPECT_NEAR(p.shell().tickDelta(), 0.01f, 1e-5f);
    EXPECT_FLOAT_EQ(ovShell::secondsOf(1500), 1.5f);
}
