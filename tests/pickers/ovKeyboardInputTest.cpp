#include "pickers/ovKeyboardInput.h"
#include "ovPickerScene.h"
#include "pickers/ovKeyboardInputSystem.h"
#include "pickers/ovKeyboardLayout.h"

#include <gtest/gtest.h>

namespace {
// A point given as fractions of a 240 x 268 screen rectangle.
ovPoint at240(float fx, float fy) {
    return {ovFracOf(240, fx), ovFracOf(268, fy)};
}

ovKeyHit keyAt(float fx, float fy, int board) {
    return lookupKeyOn(at240(fx, fy), board, 240, 268);
}

// Types a string through the keys that carry its characters, capitals applied.
void type(ovKeyboardInput& kb, std::u16string_view keys) {
    for (char16_t c : keys) {
        ovKeyHit hit;
        hit.kind = c >= u'0' && c <= u'9' ? ovKeyNumberChar : ovKeyLetterChar;
        hit.code = 1;
        hit.keyText = std::u16string_view(&c, 1);
        kb.typeKey(hit);
    }
}
} // namespace

// ---- Lookup -------------------------------------------------------------------------

TEST(KeyLookup, LetterRowsSplitIntoEqualColumns) {
    // Top row on 240 x 268: 4..196, columns of 38 pixels; a shared edge belongs to the left key.
    const int top = ovFracOf(268, 0.2f);
    EXPECT_EQ(lookupKeyOn({4, top}, 1, 240, 268).keyText, u"q");
    EXPECT_EQ(lookupKeyOn({42, top}, 1, 240, 268).keyText, u"q");
    EXPECT_EQ(lookupKeyOn({43, top}, 1, 240, 268).keyText, u"w");
    EXPECT_EQ(keyAt(0.4f, 0.45f, 1).keyText, u"d");
    EXPECT_EQ(keyAt(0.9f, 0.45f, 1).keyText, u"?");
    EXPECT_EQ(keyAt(0.1f, 0.3f, 1).keyText, u":");
    EXPECT_EQ(keyAt(0.95f, 0.57f, 1).keyText, u";");
    EXPECT_EQ(keyAt(0.1f, 0.8f, 1).keyText, u"@");
    EXPECT_EQ(keyAt(0.95f, 0.8f, 1).keyText, u"/");

    const ovKeyHit z = keyAt(0.05f, 0.7f, 1);
    EXPECT_EQ(z.kind, ovKeyLetterChar);
    EXPECT_EQ(z.code, 25);
}

TEST(KeyLookup, TopRowWinsWhereItCoversTheSwitchKey) {
    // x = 0.72 of the width lies in the switch key's area and in the row's fifth column.
    const ovKeyHit t = keyAt(0.72f, 0.2f, 1);
    EXPECT_EQ(t.kind, ovKeyLetterChar);
    EXPECT_EQ(t.code, 5);
    EXPECT_EQ(t.keyText, u"t");
    // Right of the row only the switch key is left.
    const ovKeyHit toNumbers = keyAt(0.9f, 0.2f, 1);
    EXPECT_EQ(toNumbers.kind, ovKeyAction);
    EXPECT_EQ(toNumbers.code, ovKeyToNumbers);
    EXPECT_TRUE(toNumbers.keyText.empty());
    // The sliver the integer division leaves at the row's end (x = 195, 196) is no
    // column of the row: the switch key below it in the table takes it.
    EXPECT_EQ(lookupKeyOn({195, 40}, 1, 240, 268).code, ovKeyToNumbers);
    EXPECT_EQ(lookupKeyOn({194, 40}, 1, 240, 268).keyText, u"t");
}

TEST(KeyLookup, NumberBoardKeysAndItsSwitches) {
    EXPECT_EQ(keyAt(0.1f, 0.2f, 0).keyText, u"1");
    const ovKeyHit star = keyAt(0.9f, 0.2f, 0); // where the letter board's switch key is
    EXPECT_EQ(star.kind, ovKeyNumberChar);
    EXPECT_EQ(star.keyText, u"*");
    // Right of the number rows the switch to numbers is left, and acts as itself.
    EXPECT_EQ(lookupKeyOn({237, 50}, 0, 240, 268).code, ovKeyToNumbers);

    const ovKeyHit letters = keyAt(0.9f, 0.8f, 0);
    EXPECT_EQ(letters.kind, ovKeyAction);
    EXPECT_EQ(letters.code, ovKeyToLetters);
    EXPECT_EQ(keyAt(0.6f, 0.8f, 0).keyText, u"#");
    EXPECT_EQ(keyAt(0.4f, 0.8f, 0).keyText, u"0");
    EXPECT_EQ(keyAt(0.4f, 0.8f, 0).code, 32);

    const ovKeyHit space = keyAt(0.5f, 0.95f, 0);
    EXPECT_EQ(space.kind, ovKeyLetterChar);
    EXPECT_EQ(space.keyText, u" ");
    // The bottom keys lose their top lines to the fourth row, which comes first.
    EXPECT_EQ(keyAt(0.1f, 0.893f, 0).keyText, u"+");
    EXPECT_EQ(keyAt(0.1f, 0.95f, 0).code, ovKeyBack);
    EXPECT_EQ(keyAt(0.9f, 0.95f, 0).code, ovKeyOk);
    EXPECT_EQ(keyAt(0.9f, 0.05f, 0).code, ovKeyBackspace);
}

TEST(KeyLookup, NoKeyGivesCodeZero) {
    const ovKeyHit box = keyAt(0.3f, 0.05f, 1); // the text box
    EXPECT_EQ(box.kind, ovKeyAction);
    EXPECT_EQ(box.code, 0);
    EXPECT_EQ(keyAt(0.5f, 0.95f, 2).code, 0); // no such board
    EXPECT_EQ(keyAt(0.5f, 0.95f, -1).code, 0);
}

// ---- Capitals and the text field -----------------------------------------------------

TEST(KeyboardCapitals, FirstLetterByMode) {
    for (int mode : {0, 1, 2}) {
        ovKeyboardInput kb;
        kb.capitalMode = mode;
        type(kb, u"ab");
        EXPECT_EQ(kb.inputText, mode == 2 ? u"ab" : u"Ab") << "mode " << mode;
    }
    ovKeyboardInput digits;
    type(digits, u"1a");
    EXPECT_EQ(digits.inputText, u"1a");
}

TEST(KeyboardCapitals, SentenceStartsAfterStopsAndOneSpace) {
    ovKeyboardInput kb; // mode 1
    type(kb, u"hi. yes? no: ok! so.x");
    EXPECT_EQ(kb.inputText, u"Hi. Yes? No: Ok! So.X");

    ovKeyboardInput twoSpaces;
    type(twoSpaces, u"end.  next");
    EXPECT_EQ(twoSpaces.inputText, u"End.  next");
}

TEST(KeyboardCapitals, EveryWordAfterASpace) {
    ovKeyboardInput kb;
    kb.capitalMode = 0;
    type(kb, u"anna maria. x");
    EXPECT_EQ(kb.inputText, u"Anna Maria. X");
}

TEST(KeyboardCapitals, AKeyThatWouldPassTheFieldIsIgnored) {
    ovKeyboardInput kb;
    kb.capitalMode = 2;
    kb.inputText = std::u16string(510, u'x');
    type(kb, u"ab");
    EXPECT_EQ(kb.inputText.length(), 511u);
    EXPECT_EQ(kb.inputText.view().back(), u'a');
}

// ---- Driven through the application ------------------------------------------------

// home > step > keyboard > next
class KeyboardJourney : public ::testing::Test {
protected:
    KeyboardJourney()
        : scene({[](ovApp&) { return std::make_unique<ovKeyboardInputSystem>(); }},
                [this](ovApp& app, ovHyperNode* home, ovRecordingOwner*) {
                    ovNavigator& nav = *app.navigator;
                    step = ovPickerScene::makeNode(app, u"Subject", 10);
                    kb = ovPickerScene::makePicker<ovKeyboardInput>(app, u"Keyboard", 11, 1006);
                    next = ovPickerScene::makeNode(app, u"Next", 12);
                    nav.addChild(home, step);
                    nav.addChild(step, kb);
                    nav.addChild(kb, next);
                }) {
        scene.show(step); // passes straight into the keyboard
    }
    // Taps the key of the current board that carries `face`.
    void press(std::u16string_view face) {
        const ovKeyboardLayout::ovBoard keys = ovKeyboardLayout::board(kb->boardMode);
        const ovRect& screen = scene.app().screenRect;
        for (int i = 0; i < keys.count; ++i)
            for (int c = 0; c < keys.areas[i].count; ++c)
                if (face == keys.areas[i].keys[c].face) {
                    const ovRect r = ovKeyboardLayout::keyRect(keys.areas[i], c, screen.right, screen.bottom);
                    scene.p().run("tap " + std::to_string((r.left + r.right) / 2) + " " +
                                  std::to_string((r.top + r.bottom) / 2));
                    return;
                }
        FAIL() << "no such key";
    }

    ovHyperNode* step = nullptr;
    ovKeyboardInput* kb = nullptr;
    ovHyperNode* next = nullptr;
    ovPickerScene scene;
};

TEST_F(KeyboardJourney, TypeAndConfirmHandsTheTextToTheOwner) {
    ASSERT_EQ(scene.nav().current, kb);
    for (const char16_t* key : {u"h", u"i", u"space", u"Del", u".", u"space", u"o", u"k"})
        press(key);
    EXPECT_EQ(kb->inputText, u"Hi. Ok");
    scene.owner()->finishedNodes.clear();
    press(u"OK");
    EXPECT_EQ(scene.nav().current, next);
    ASSERT_EQ(scene.owner()->finishedNodes.size(), 1u);
    EXPECT_EQ(scene.owner()->finishedNodes[0], kb);
    EXPECT_EQ(kb->inputText, u"Hi. Ok"); // the keyboard never clears its text itself
}

TEST_F(KeyboardJourney, BackspaceDecidesCapitalsByTheNewEnd) {
    // After two spaces a letter stays small; once Backspace removed one, ". " is the end.
    for (const char16_t* key : {u"a", u".", u"space", u"space", u"Del", u"b"})
        press(key);
    EXPECT_EQ(kb->inputText, u"A. B");
    for (const char16_t* key : {u"Del", u"Del", u"Del", u"Del", u"Del", u"c"})
        press(key);
    EXPECT_EQ(kb->inputText, u"C"); // Backspace on the empty text did nothing
}

TEST_F(KeyboardJourney, BackLeavesToTheParentsParentAndTellsTheOwnerTwice) {
    press(u"x");
    scene.owner()->finishedNodes.clear();
    press(u"Back");
    EXPECT_EQ(scene.nav().current, scene.home());
    ASSERT_EQ(scene.owner()->finishedNodes.size(), 2u);
    EXPECT_EQ(scene.owner()->finishedNodes[0], kb);
    EXPECT_EQ(scene.owner()->finishedNodes[1], step);
    EXPECT_EQ(kb->inputText, u"X");
}

TEST_F(KeyboardJourney, BoardSwitchesTypeDigitsAndComeBack) {
    press(u"123");
    EXPECT_EQ(kb->boardMode, 0);
    press(u"4");
    press(u"space");
    press(u"abc");
    EXPECT_EQ(kb->boardMode, 1);
    press(u"z");
    EXPECT_EQ(kb->inputText, u"4 z");
}

TEST_F(KeyboardJourney, OnlyTheReleaseCountsAndOkNeedsExactlyOneChild) {
    const ovRect& s = scene.app().screenRect;
    // Press on "q", slide to "p", release there.
    scene.p().run("down " + std::to_string(ovFracOf(s.right, 0.05f)) + " " +
                  std::to_string(ovFracOf(s.bottom, 0.2f)) + "\nwait 100\nmove " +
                  std::to_string(ovFracOf(s.right, 0.95f)) + " " + std::to_string(ovFracOf(s.bottom, 0.3f)) +
                  "\nwait 20\nup " + std::to_string(ovFracOf(s.right, 0.95f)) + " " +
                  std::to_string(ovFracOf(s.bottom, 0.3f)) + "\nwait 10");
    EXPECT_EQ(kb->inputText, u"P");

    ovHyperNode* second = ovPickerScene::makeNode(scene.app(), u"Other", 13);
    scene.nav().addChild(kb, second);
    press(u"OK");
    press(u"Back");
    EXPECT_EQ(scene.nav().current, kb);
}
