// The board and list pictures against the tables the pickers hit-test with: at both
// screen sizes every key's and row's touch area has its own face under its centre and
// the board showing between neighbours. With ORVIDA_PICKER_SHOTS=FOLDER the screens
// are also written there as PNGs, to look at.
#include "ovPickerScene.h"
#include "pickers/ovContactPicker.h"
#include "pickers/ovContactPickerLayout.h"
#include "pickers/ovContactPickerSystem.h"
#include "pickers/ovInfoDisplay.h"
#include "pickers/ovInfoDisplaySystem.h"
#include "pickers/ovKeyboardInput.h"
#include "pickers/ovKeyboardInputSystem.h"
#include "pickers/ovKeyboardLayout.h"
#include "shell/ovBackBuffer.h"
#include "store/ovPoomSession.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {
struct ScreenSize {
    int width;
    int height;
};

class PickerPictures : public ::testing::TestWithParam<ScreenSize> {
protected:
    PickerPictures()
        : scene(
              {[](ovApp&) { return std::make_unique<ovKeyboardInputSystem>(); },
               [](ovApp&) { return std::make_unique<ovContactPickerSystem>(); },
               [](ovApp&) { return std::make_unique<ovInfoDisplaySystem>(); }},
              [this](ovApp& app, ovHyperNode* home, ovRecordingOwner*) {
                  ovNavigator& nav = *app.navigator;
                  kb = ovPickerScene::makePicker<ovKeyboardInput>(app, u"Keyboard", 10);
                  picker = ovPickerScene::makePicker<ovContactPicker>(app, u"Contacts", 11);
                  info = ovPickerScene::makePicker<ovInfoDisplay>(app, u"Finish", 12);
                  nav.addChild(home, kb);
                  nav.addChild(kb, picker);
                  nav.addChild(picker, info);
              },
              GetParam().width, GetParam().height) {}

    const ovFramebuffer& draw() {
        scene.app().drawFrame(scene.app().backBuffer().canvas());
        return scene.app().backBuffer().frame();
    }
    void shot(const std::string& name) {
        if (const char* folder = std::getenv("ORVIDA_PICKER_SHOTS"))
            scene.p().run("shot " + std::string(folder) + "/" + name + "-" +
                          std::to_string(GetParam().width) + ".png");
    }
    int W() { return scene.app().screenRect.right; }
    int H() { return scene.app().screenRect.bottom; }

    ovKeyboardInput* kb = nullptr;
    ovContactPicker* picker = nullptr;
    ovInfoDisplay* info = nullptr;
    ovPickerScene scene;
};

TEST_P(PickerPictures, EveryKeyHasItsFaceUnderItsTouchArea) {
    scene.show(kb);
    for (int boardMode : {1, 0}) {
        kb->boardMode = boardMode;
        const ovFramebuffer& frame = draw();
        const ovColor board = frame.pixel(0, 0);
        const ovKeyboardLayout::ovBoard keys = ovKeyboardLayout::board(boardMode);
        for (int i = 0; i < keys.count; ++i) {
            const ovKeyArea& area = keys.areas[i];
            if (!area.shown)
                continue;
            for (int c = 0; c < area.count; ++c) {
                const ovRect r = ovKeyboardLayout::keyRect(area, c, W(), H());
                const ovPoint centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
                const std::string what = "board " + std::to_string(boardMode) + " area " + std::to_string(i) +
                                         " key " + std::to_string(c);
                EXPECT_NE(frame.pixel(centre.x, centre.y), board) << what;
                EXPECT_EQ(lookupKey(centre.x, centre.y, boardMode).code, area.keys[c].code) << what;
                // Between a key and its neighbours in the row, and above and below it,
                // the board shows.
                if (area.count > 1) {
                    EXPECT_EQ(frame.pixel(r.left, centre.y), board) << what;
                    EXPECT_EQ(frame.pixel(r.right, centre.y), board) << what;
                }
                EXPECT_EQ(frame.pixel(centre.x, r.top), board) << what;
                EXPECT_EQ(frame.pixel(centre.x, r.bottom), board) << what;
            }
        }
        shot(boardMode == 1 ? "keyboard-letters" : "keyboard-numbers");
    }
    kb->inputText = u"Lunch with Bob at the harbour";
    draw();
    shot("keyboard-typed");
}

TEST_P(PickerPictures, EveryRowHasItsPlateAndItsTextOnIt) {
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(ovPoomSession::instance()->addContact(u"Person" + std::u16string(1, u'A' + i), u"Alex",
                                                          u"", u"", u"", u"", u""));
    scene.show(picker);
    picker->onEnter(scene.nav());
    const ovFramebuffer& frame = draw();
    const ovColor board = frame.pixel(0, 0);
    const ovRect list = ovContactPickerLayout::pixels(ovContactPickerLayout::listArea, W(), H());
    for (int i = 0; i < ovContactPickerLayout::rows; ++i) {
        const ovRect r = ovContactPickerLayout::rowRect(i, W(), H());
        const ovRect text = ovContactPickerLayout::rowTextRect(i, W(), H());
        // The face's left end, clear of the text that starts further right.
        const ovPoint probe{r.left + (text.left - r.left) / 2 + 2, (r.top + r.bottom) / 2};
        EXPECT_NE(frame.pixel(probe.x, probe.y), board) << "row " << i;
        EXPECT_EQ(frame.pixel(probe.x, r.top), board) << "row " << i;
        EXPECT_EQ(frame.pixel(probe.x, r.bottom), board) << "row " << i;
        // The row's text is centred on its own row's band.
        const ovPoint textCentre{probe.x, (text.top + text.bottom) / 2};
        EXPECT_EQ(rowAt(list.left, list.top, list.right, list.bottom, 6, textCentre), i);
        EXPECT_NE(frame.pixel(textCentre.x, textCentre.y), board) << "row " << i;
    }
    for (const ovFracRect& button :
         {ovContactPickerLayout::scrollUp, ovContactPickerLayout::scrollDown, ovContactPickerLayout::back}) {
        const ovRect r = ovContactPickerLayout::pixels(button, W(), H());
        EXPECT_NE(frame.pixel((r.left + r.right) / 2, (r.top + r.bottom) / 2 + 1), board);
    }
    shot("contact-picker");
    scene.p().run("tap " + std::to_string(W() * 9 / 10) + " " + std::to_string(H() * 9 / 10));
    shot("contact-picker-scrolled");
}

TEST_P(PickerPictures, ConfirmationScreen) {
    info->messageText = u"New appointment has been added successfully. You may now tap the screen to return "
                        u"to the Home screen.";
    scene.show(info);
    draw();
    shot("info-display");
    info->showFailure(
        u"The appointment could not be saved: the store refused it (disk full). Nothing was lost.");
    draw();
    shot("info-display-failed");
    SUCCEED();
}

INSTANTIATE_TEST_SUITE_P(Sizes, PickerPictures, ::testing::Values(ScreenSize{240, 320}, ScreenSize{480, 640}),
                         [](const ::testing::TestParamInfo<ScreenSize>& info) {
                             return std::to_string(info.param.width) + "x" +
                                    std::to_string(info.param.height);
                         });
} // namespace
