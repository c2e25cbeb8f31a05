// The resources the window is built from: soft keys, menu, accelerators, About box.
#include "resources/ovResources.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

TEST(Resources, MenuBarGivesExitThenOptionsWithItsPopUp) {
    std::array<ovSoftKey, 4> keys{};
    ASSERT_EQ(ovParseMenuBar(ovLoadMenuBarData(ovIdMenu), keys), 2);
    EXPECT_EQ(keys[0].command, ovCmdExit);
    EXPECT_EQ(ovLoadString(keys[0].stringId), u"Exit");
    EXPECT_FALSE(keys[0].dropDown);
    EXPECT_EQ(keys[0].subMenu, -1);
    EXPECT_EQ(keys[1].command, ovCmdOptions);
    EXPECT_EQ(ovLoadString(keys[1].stringId), u"Options");
    EXPECT_TRUE(keys[1].dropDown);
    ASSERT_EQ(keys[1].subMenu, 0);
    EXPECT_TRUE(keys[0].enabled && keys[1].enabled);

    const ovMenuPopup& popup = ovLoadMenu(ovIdMenu)[keys[1].subMenu];
    ASSERT_EQ(popup.items.size(), 2u);
    EXPECT_EQ(popup.items[0].text, u"About");
    EXPECT_EQ(popup.items[0].command, ovCmdAbout);
    EXPECT_EQ(popup.items[1].text, u"Toggle Sounds");
    EXPECT_EQ(popup.items[1].command, ovCmdToggleSounds);
}

TEST(Resources, MalformedMenuBarWordsAreRefused) {
    const std::span<const uint16_t> good = ovLoadMenuBarData(ovIdMenu);
    std::array<ovSoftKey, 4> keys{};
    // Cut short, one word too many, a count that claims a third button.
    std::vector<uint16_t> words(good.begin(), good.end() - 1);
    EXPECT_EQ(ovParseMenuBar(words, keys), -1);
    words.assign(good.begin(), good.end());
    words.push_back(0);
    EXPECT_EQ(ovParseMenuBar(words, keys), -1);
    words.assign(good.begin(), good.end());
    words[1] = 3;
    EXPECT_EQ(ovParseMenuBar(words, keys), -1);
    // A drop-down naming a pop-up the menu does not have.
    words.assign(good.begin(), good.end());
    words.back() = 5;
    EXPECT_EQ(ovParseMenuBar(words, keys), -1);
    EXPECT_EQ(ovParseMenuBar({}, keys), -1);
    // Room for fewer keys than the bar has: the first ones, no overrun.
    std::array<ovSoftKey, 1> one{};
    EXPECT_EQ(ovParseMenuBar(good, one), 1);
    EXPECT_EQ(one[0].command, ovCmdExit);
}

TEST(Resources, AcceleratorsNeedExactlyControl) {
    const auto table = ovLoadAccelerators(ovIdAccelerators);
    EXPECT_EQ(ovTranslateAccelerator(table, 'Q', true, false, false), ovCmdExit);
    EXPECT_EQ(ovTranslateAccelerator(table, 'q', true, false, false), ovCmdExit);
    EXPECT_EQ(ovTranslateAccelerator(table, 'A', true, false, false), ovCmdAbout);
    EXPECT_EQ(ovTranslateAccelerator(table, 'Q', false, false, false), 0);
    EXPECT_EQ(ovTranslateAccelerator(table, 'Q', true, true, false), 0);
    EXPECT_EQ(ovTranslateAccelerator(table, 'Q', true, false, true), 0);
    EXPECT_EQ(ovTranslateAccelerator(table, 'W', true, false, false), 0);
}

TEST(Resources, StringsDialogAndMarker) {
    EXPECT_EQ(ovLoadString(ovIdsAppTitle), u"Orvida");
    EXPECT_EQ(ovLoadString(ovIdsWindowClass), u"Orvida");
    EXPECT_TRUE(ovLoadString(999).empty());
    const ovDialogTemplate* about = ovLoadDialog(ovIdAboutDialog);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->title, u"Orvida v1.0");
    EXPECT_EQ(about->okCommand, ovIdOk);
    EXPECT_NE(about->exStyle & ovDialogCaptionOkButton, 0u);
    EXPECT_FALSE(about->lines.empty());
    EXPECT_EQ(ovLoadDialog(106), nullptr);
    EXPECT_EQ(ovHighResolutionMarker().type, "CEUX");
    EXPECT_EQ(ovHighResolutionMarker().name, "HI_RES_AWARE");
    EXPECT_TRUE(ovHighResolutionAware());
}
