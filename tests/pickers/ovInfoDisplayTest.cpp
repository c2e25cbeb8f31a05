#include "pickers/ovInfoDisplay.h"
#include "ovPickerScene.h"
#include "pickers/ovInfoDisplaySystem.h"
#include "pickers/ovKeyboardInput.h"
#include "pickers/ovKeyboardInputSystem.h"
#include "shell/ovBackBuffer.h"
#include "shell/ovFontSet.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {
// A wizard root that commits when its info display arrives, and can be told to fail.
class CommittingOwner : public ovRecordingOwner {
public:
    void childFinished(ovHyperNode* finished) override {
        ovRecordingOwner::childFinished(finished);
        if (finished->tag != ovFinishTag)
            return;
        ++commits;
        if (failNext)
            static_cast<ovInfoDisplay*>(finished)->showFailure(u"The contact could not be saved: disk full.");
    }
    int commits = 0;
    bool failNext = false;
};
} // namespace

// home > step > keyboard > info display: the keyboard's OK enters the info display.
class InfoDisplayJourney : public ::testing::Test {
protected:
    InfoDisplayJourney()
        : scene({[](ovApp&) { return std::make_unique<ovKeyboardInputSystem>(); },
                 [](ovApp&) { return std::make_unique<ovInfoDisplaySystem>(); }},
                [this](ovApp& app, ovHyperNode* home, ovRecordingOwner*) {
                    ovNavigator& nav = *app.navigator;
                    owner = app.makeNode<CommittingOwner>();
                    nav.buildOwner = owner;
                    step = ovPickerScene::makeNode(app, u"Name", 10);
                    kb = ovPickerScene::makePicker<ovKeyboardInput>(app, u"Keyboard", 11, 100040);
                    info = ovPickerScene::makePicker<ovInfoDisplay>(app, u"FINISH", 12, 100046);
                    nav.addChild(home, step);
                    nav.addChild(step, kb);
                    nav.addChild(kb, info);
                }) {}

    void finish() {
        scene.show(step);          // into the keyboard
        scene.tapAt(0.85f, 0.94f); // OK
    }
    int commitsSoFar() const { return owner->commits; }

    CommittingOwner* owner = nullptr;
    ovHyperNode* step = nullptr;
    ovKeyboardInput* kb = nullptr;
    ovInfoDisplay* info = nullptr;
    ovPickerScene scene;
};

TEST_F(InfoDisplayJourney, FinishTagIsTheOneTheWizardsCompareWith) {
    EXPECT_EQ(ovFinishTag, 0x3B5B3A34);
    EXPECT_EQ(info->messageText, ovInfoDisplay::defaultText);
    EXPECT_EQ(info->tag, 100046);
}

TEST_F(InfoDisplayJourney, CommitsOncePerEntryHoweverOftenItIsDrawn) {
    finish();
    ASSERT_EQ(scene.nav().current, info);
    EXPECT_EQ(info->tag, ovFinishTag);
    EXPECT_EQ(commitsSoFar(), 1);
    for (int i = 0; i < 5; ++i)
        scene.app().drawFrame(scene.app().backBuffer().canvas());
    scene.p().run("wait 200");
    EXPECT_EQ(commitsSoFar(), 1);

    // A press held on it does nothing until released; the release goes home wherever it is.
    scene.p().run("down 5 5\nwait 500");
    EXPECT_EQ(scene.nav().current, info);
    scene.p().run("up 230 260\nwait 10");
    EXPECT_EQ(scene.nav().current, scene.home());
    EXPECT_EQ(commitsSoFar(), 1); // leaving tells nobody

    // A second visit is a second commit; drawing puts the finish tag back too.
    finish();
    EXPECT_EQ(commitsSoFar(), 2);
    info->tag = -1;
    scene.app().drawFrame(scene.app().backBuffer().canvas());
    EXPECT_EQ(info->tag, ovFinishTag);
}

TEST_F(InfoDisplayJourney, AFailedCommitShowsItsTextForThatVisitOnly) {
    info->messageText =
        u"New contact has been added successfully. You may now tap the screen to return to the Home screen.";
    owner->failNext = true;
    finish();
    EXPECT_TRUE(info->failed());
    EXPECT_EQ(info->shownText(), u"The contact could not be saved: disk full.");
    scene.p().run("tap 100 100");

    owner->failNext = false;
    finish();
    EXPECT_FALSE(info->failed());
    EXPECT_EQ(info->shownText(), info->messageText.view());
}

TEST_F(InfoDisplayJourney, TextWrapsInItsRectangleFromTheTopOverItsShadow) {
    finish();
    ovApp& app = scene.app();
    const ovFramebuffer bare = [&] {
        info->messageText = u"";
        app.drawFrame(app.backBuffer().canvas());
        return app.backBuffer().frame();
    }();
    info->messageText = ovInfoDisplay::defaultText;
    app.drawFrame(app.backBuffer().canvas());
    const ovFramebuffer& frame = app.backBuffer().frame();

    // 240 x 268: the text rectangle is (7, 120, 232, 209). Of what the text changed,
    // the light pixels are the white text and the others its grey shadow.
    auto luma = [](ovColor c) { return ovRed(c) + 2 * ovGreen(c) + ovBlue(c); };
    int bright = 0, dark = 0, outside = 0, top = frame.height();
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x) {
            const ovColor now = frame.pixel(x, y);
            const ovColor was = bare.pixel(x, y);
            if (now == was)
                continue;
            if (x < 7 || x > 232 || y < 120 || y > 209)
                ++outside;
            top = std::min(top, y);
            (luma(now) > luma(0xA0A0A0) ? bright : dark)++;
        }
    EXPECT_EQ(outside, 0);
    EXPECT_LE(top, 125); // from the top of the rectangle, not centred in it
    ASSERT_GT(bright, 100);
    ASSERT_GT(dark, 20);
    // Several lines: the default text does not fit on one.
    int rowsWithText = 0;
    for (int y = 120; y <= 209; ++y)
        for (int x = 7; x <= 232; ++x)
            if (frame.pixel(x, y) != bare.pixel(x, y)) {
                ++rowsWithText;
                break;
            }
    EXPECT_GT(rowsWithText, 2 * ovFontSet::instance()->regular12->lineHeight());
}
