#include "pickers/ovContactPicker.h"
#include "ovPickerScene.h"
#include "pickers/ovContactPickerLayout.h"
#include "pickers/ovContactPickerSystem.h"
#include "pickers/ovKeyboardInput.h"
#include "pickers/ovKeyboardInputSystem.h"
#include "store/ovPoomSession.h"

#include <gtest/gtest.h>

// home > step > keyboard ("Enter Name partially") > contact picker > next, as the
// message wizard builds it.
class ContactPickerJourney : public ::testing::Test {
protected:
    ContactPickerJourney()
        : scene({[](ovApp&) { return std::make_unique<ovKeyboardInputSystem>(); },
                 [](ovApp&) { return std::make_unique<ovContactPickerSystem>(); }},
                [this](ovApp& app, ovHyperNode* home, ovRecordingOwner*) {
                    ovNavigator& nav = *app.navigator;
                    step = ovPickerScene::makeNode(app, u"To contact", 10);
                    kb = ovPickerScene::makePicker<ovKeyboardInput>(app, u"Name", 11, -1);
                    kb->promptText = u"Enter Name partially";
                    kb->capitalMode = 2;
                    picker = ovPickerScene::makePicker<ovContactPicker>(app, u"Contacts", 12, 919312);
                    next = ovPickerScene::makeNode(app, u"Next", 13);
                    nav.addChild(home, step);
                    nav.addChild(step, kb);
                    nav.addChild(kb, picker);
                    nav.addChild(picker, next);
                }) {}

    void addContact(std::u16string_view fileAs, std::u16string_view first, std::u16string_view email = u"") {
        ASSERT_TRUE(ovPoomSession::instance()->addContact(fileAs, first, u"", u"", u"", u"", email));
    }
    // Eight contacts with a name starting with "jo" in any case, and two without.
    void seedEight() {
        addContact(u"Jones", u"Ann");
        addContact(u"Smith", u"John");
        addContact(u"Brown", u"");
        for (std::u16string name : {u"Jobs", u"Joyce", u"Jordan", u"Jost", u"JONAS"})
            addContact(name, u"");
        addContact(u"", u"Josephine");
        addContact(u"Miller", u"Pete");
    }
    // Types the search text and confirms it, which enters the picker.
    void search(std::u16string_view text) {
        kb->inputText = text;
        scene.show(kb);
        tapFrac(0.85f, 0.94f); // OK
    }
    void tapFrac(float fx, float fy) { scene.tapAt(fx, fy); }
    void tapRow(int row) {
        const ovRect& s = scene.app().screenRect;
        const ovRect r = ovContactPickerLayout::rowRect(row, s.right, s.bottom);
        scene.p().run("tap " + std::to_string((r.left + r.right) / 2) + " " +
                      std::to_string((r.top + r.bottom) / 2));
    }
    void scrollDown() { tapFrac(0.88f, 0.9f); }
    void scrollUp() { tapFrac(0.88f, 0.24f); }

    ovHyperNode* step = nullptr;
    ovKeyboardInput* kb = nullptr;
    ovContactPicker* picker = nullptr;
    ovHyperNode* next = nullptr;
    ovPickerScene scene;
};

TEST_F(ContactPickerJourney, EightMatchesScrollFromOneSixToEightEight) {
    seedEight();
    search(u"jo");
    ASSERT_EQ(scene.nav().current, picker);
    EXPECT_EQ(picker->rangeText(), u"1-6");
    EXPECT_EQ(picker->countText(), u"8");
    EXPECT_EQ(picker->rowsDrawn, 6);
    scrollUp();
    EXPECT_EQ(picker->rangeText(), u"1-6"); // the top stays the top
    scrollDown();
    EXPECT_EQ(picker->rangeText(), u"2-7");
    scrollDown();
    EXPECT_EQ(picker->rangeText(), u"3-8");
    for (int i = 0; i < 8; ++i)
        scrollDown();
    EXPECT_EQ(picker->rangeText(), u"8-8");
    EXPECT_EQ(picker->rowsDrawn, 1);

    // Back to the keyboard, which still shows the text as typed; a new text searches
    // again from the top.
    tapFrac(0.9f, 0.06f);
    ASSERT_EQ(scene.nav().current, kb);
    EXPECT_EQ(kb->inputText, u"jo");
    search(u"jon");
    EXPECT_EQ(picker->firstShown, 0);
    EXPECT_EQ(picker->rangeText(), u"1-2");
    EXPECT_EQ(picker->countText(), u"2");
}

TEST_F(ContactPickerJourney, NoMatchShowsOneZeroAndIgnoresTaps) {
    seedEight();
    search(u"xyz");
    EXPECT_EQ(picker->rangeText(), u"1-0");
    EXPECT_EQ(picker->countText(), u"0");
    tapRow(0);
    scrollDown();
    EXPECT_EQ(picker->firstShown, 0);
    EXPECT_EQ(scene.nav().current, picker);
    EXPECT_FALSE(picker->chosenContact.has_value());
}

TEST_F(ContactPickerJourney, RowTextJoinsFileAsAndFirstName) {
    ovPimContact both, fileAsOnly, firstOnly, none;
    both.setFileAs(u"Smith");
    both.setFirstName(u"John");
    fileAsOnly.setFileAs(u"Brown");
    firstOnly.setFirstName(u"Josephine");
    EXPECT_EQ(ovContactPicker::rowText(both), u"Smith, John");
    EXPECT_EQ(ovContactPicker::rowText(fileAsOnly), u"Brown");
    EXPECT_EQ(ovContactPicker::rowText(firstOnly), u"Josephine");
    EXPECT_EQ(ovContactPicker::rowText(none), u"");
}

TEST_F(ContactPickerJourney, TappedRowIsChosenReportedAndOutlivesTheNextSearch) {
    addContact(u"Smith", u"John", u"john@example.org");
    addContact(u"Jones", u"Ann", u"ann@example.org");
    addContact(u"Jordan", u"", u"");
    search(u"j");
    ASSERT_EQ(picker->rowsDrawn, 3);
    // The rows follow the store's order; find the one showing Jones.
    int jones = 0;
    while (jones < 3 && picker->rowContacts[jones]->fileAs() != u"Jones")
        ++jones;
    ASSERT_LT(jones, 3);
    scene.owner()->finishedNodes.clear();
    tapRow(jones);
    ASSERT_EQ(scene.nav().current, next);
    ASSERT_EQ(scene.owner()->finishedNodes.size(), 1u);
    EXPECT_EQ(scene.owner()->finishedNodes[0], picker);
    ASSERT_TRUE(picker->chosenContact.has_value());
    EXPECT_EQ(picker->chosenContact->email1Address(), u"ann@example.org");
    EXPECT_NE(scene.p().system().debugText().find("Selected: Jones Ann\n"), std::string::npos);

    // A new search releases the list the row came from; the choice stays readable.
    search(u"smi");
    EXPECT_EQ(picker->chosenContact->fileAs(), u"Jones");
    EXPECT_EQ(picker->chosenContact->firstName(), u"Ann");

    // A band below the last drawn row does nothing.
    tapRow(3);
    EXPECT_EQ(scene.nav().current, picker);
}

TEST_F(ContactPickerJourney, BackAndRowsNeedExactlyOneChild) {
    addContact(u"Smith", u"John");
    scene.nav().addChild(picker, ovPickerScene::makeNode(scene.app(), u"Other", 14));
    search(u"");
    tapRow(0);
    EXPECT_EQ(scene.nav().current, picker);
    EXPECT_EQ(picker->chosenContact->fileAs(), u"Smith"); // chosen all the same
    tapFrac(0.9f, 0.06f);
    EXPECT_EQ(scene.nav().current, picker);
}
