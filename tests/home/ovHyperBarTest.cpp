#include "home/ovHyperBar.h"
#include "gfx/ovCanvas.h"
#include "home/ovDeviceStatusHBPlugin.h"
#include "home/ovHomeScreen.h"
#include "ovFakeDeviceStatus.h"
#include "shell/ovBackBuffer.h"
#include "shell/ovScreenGeometry.h"
#include "support/ovTestProgram.h"

#include <gtest/gtest.h>
#include <sstream>

// On 240 x 268 the buttons are 115 x 26: the left one (0, 242)-(115, 268), the right
// one (125, 242)-(240, 268); the status panel covers rows 161 to 268.
class HyperBar : public ::testing::Test {
protected:
    HyperBar() {
        status = static_cast<ovDeviceStatusHBPlugin*>(bar.plugins[0]);
        status->setDeviceStatus(&fake);
        p.run("wait 10");
    }
    static std::string at(const char* verb, int x, int y) {
        std::ostringstream line;
        line << verb << " " << x << " " << y;
        return line.str();
    }
    ovHomeScreen& home() { return *static_cast<ovHomeScreen*>(p.nav().findById(ovHomeScreenId)); }

    ovTestProgram p;
    ovHyperBar& bar = *ovHyperBar::instance();
    ovDeviceStatusHBPlugin* status = nullptr;
    ovFakeDeviceStatus fake;
};

TEST_F(HyperBar, IsTheApplicationsBarAndLaysItsButtonsOnTheBottomEdge) {
    EXPECT_EQ(p.app().hyperBar, &bar);
    EXPECT_TRUE(bar.loaded);
    EXPECT_EQ(bar.buttonRect[0], (ovRect{0, 242, 115, 268}));
    EXPECT_EQ(bar.buttonRect[1], (ovRect{125, 242, 240, 268}));
    EXPECT_EQ(status->panelRect, (ovRect{0, 161, 240, 268}));
    EXPECT_EQ(bar.plugins[1]->panelRect, (ovRect{0, 0, 240, 268}));
}

TEST_F(HyperBar, TapsOpenAndCloseThePanelAndMoveTheButton) {
    p.run("tap 50 255");
    EXPECT_EQ(bar.state, 1);
    EXPECT_EQ(bar.openIndex, 0);
    EXPECT_EQ(bar.openPlugin, status);
    EXPECT_EQ(bar.buttonRect[0], (ovRect{0, 135, 115, 161}));
    EXPECT_NE(p.host().stateJson().find("\"hyperbar\":{\"state\":1,\"openIndex\":0}"), std::string::npos);
    p.run("tap 180 150"); // where the hidden right button would be on the panel's edge: not a button
    EXPECT_EQ(bar.state, 1);
    p.run("tap 50 150");
    EXPECT_EQ(bar.state, 0);
    EXPECT_EQ(bar.buttonRect[0], (ovRect{0, 242, 115, 268}));
    EXPECT_EQ(bar.openPlugin, status); // remembered, but counts only while open
    EXPECT_NE(p.host().stateJson().find("\"hyperbar\":{\"state\":0,\"openIndex\":0}"), std::string::npos);
}

TEST_F(HyperBar, PressShowsThePressedPictureAndSlidingOffOpensNothing) {
    p.run("down 50 255\nwait 20");
    EXPECT_TRUE(bar.buttonPressed[0]);
    const ovFramebuffer& frame = p.app().backBuffer().frame();
    const ovColor pressed = frame.pixel(57, 250);
    p.run("move 50 200\nwait 20");
    EXPECT_FALSE(bar.buttonPressed[0]);
    EXPECT_NE(frame.pixel(57, 250), pressed);
    p.run("up 50 200\nwait 10");
    EXPECT_EQ(bar.state, 0);
}

TEST_F(HyperBar, AnOpenPanelKeepsItsTouchesFromTheNodeBeneath) {
    p.run("tap 50 255");
    ASSERT_EQ(bar.state, 1);
    // The appointment button lies under the panel; the contact button does not.
    p.run("down 60 200\nwait 20");
    EXPECT_FALSE(home().buttonPressed[2]);
    p.run("up 60 200\nwait 10\ndown 60 40\nwait 20");
    EXPECT_TRUE(home().buttonPressed[0]);
    p.run("up 200 10\nwait 10");
}

TEST_F(HyperBar, TheCalculatorTakesEveryTouchUntilItsCloseArea) {
    p.run("tap 180 255");
    ASSERT_EQ(bar.state, 1);
    EXPECT_TRUE(bar.plugInCoversScreen());
    // Its bar buttons are above the screen; nothing reaches the home screen.
    EXPECT_LT(bar.buttonRect[1].bottom, 1);
    p.run("down 60 40\nwait 20");
    EXPECT_FALSE(home().buttonPressed[0]);
    p.run("up 60 40\nwait 10\ntap 180 255\ntap 50 255");
    EXPECT_EQ(bar.state, 1);
    EXPECT_EQ(bar.openIndex, 1);
    p.run(at("tap", 120, fracHeight(0.95f)));
    EXPECT_EQ(bar.state, 0);
    EXPECT_FALSE(bar.plugInCoversScreen());
}

TEST_F(HyperBar, HiddenAndInertOverAFullScreenPicker) {
    ovHyperNode* picker = p.makeNode(u"Picker", 700);
    picker->fullScreen = true;
    p.nav().addChild(&home(), picker);
    p.run("tap 50 255"); // open the status panel over the home screen
    ASSERT_EQ(bar.state, 1);
    const int polls = fake.polls;
    p.nav().current = picker;
    p.run("wait 100\ntap 50 150");
    EXPECT_EQ(fake.polls, polls); // neither polled
    EXPECT_EQ(bar.state, 1);      // nor closed
    // Nor drawn: the picker draws over a cleared frame, and no panel comes on top.
    p.app().backBuffer().canvas().fillRect(p.app().screenRect, 0);
    p.shell().onPaint();
    EXPECT_NE(p.app().backBuffer().frame().pixel(120, 163), 0xFFE1E1u);
    EXPECT_TRUE(bar.handleTouch());

    p.nav().current = &home();
    p.run("wait 10");
    EXPECT_GT(fake.polls, polls);
    p.shell().onPaint();
    EXPECT_EQ(p.app().backBuffer().frame().pixel(120, 163), 0xFFE1E1u);
}

TEST_F(HyperBar, TheDefaultPanelIsEmpty) {
    ovHyperBarPlugin plain(p.app());
    EXPECT_EQ(plain.name.str(), u"Empty");
    EXPECT_EQ(plain.panelRect, (ovRect{0, 193, 240, 268}));
    EXPECT_FALSE(plain.modal);
    ovCanvas& dc = p.app().backBuffer().canvas();
    plain.drawPanel(dc);
    EXPECT_EQ(p.app().backBuffer().frame().pixel(5, 200), 0xFFE1E1u);
    EXPECT_EQ(p.app().backBuffer().frame().pixel(0, 193), 0x000000u); // the dashed rim starts here
}
