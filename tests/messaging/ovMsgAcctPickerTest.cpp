// The account picker in a small program of its own: its module, a stand-in home
// screen, the picker and one child after it, with accounts from a test msmtp file.
#include "messaging/ovMsgAcctPicker.h"
#include "messaging/ovMailManager.h"
#include "messaging/ovMsgAcctPickerLayout.h"
#include "messaging/ovMsgAcctPickerSystem.h"
#include "messaging/ovSmtpTestServer.h"
#include "shell/ovBackBuffer.h"
#include "shell/ovScreenGeometry.h"
#include "support/ovTestProgram.h"
#include "system/ovUtf.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace L = ovMsgAcctPickerLayout;

namespace {
constexpr int kPickerId = 900;
constexpr int kFinishId = 901;

ovAssembly pickerAssembly() {
    ovAssembly a;
    a.modules.push_back([](ovApp& app) { return std::make_unique<ovMsgAcctPickerSystem>(app); });
    a.buildTree = [](ovApp& app) {
        ovNavigator& nav = *app.navigator;
        // Labels come through a string so the compiler does not size them as literals.
        auto node = [&](ovHyperNode* n, const std::u16string& label, int id) {
            n->label = label;
            n->nodeId = id;
            n->valid = 1;
            return n;
        };
        ovHyperNode* home = node(app.makeNode<ovHyperNode>(), u"Home Screen", ovHomeScreenId);
        ovHyperNode* other = node(app.makeNode<ovHyperNode>(), u"Other", 902);
        ovHyperNode* picker = node(app.makeNode<ovMsgAcctPicker>(), u"Pick Account", kPickerId);
        ovHyperNode* finish = node(app.makeNode<ovHyperNode>(), u"Finish", kFinishId);
        nav.addChild(&nav.root, home);
        nav.addChild(home, picker);
        nav.addChild(home, other);
        nav.addChild(picker, finish);
        picker->parent = home;
        finish->parent = picker;
    };
    return a;
}

class AccountPicker : public ::testing::Test {
protected:
    // Accounts from $XDG_CONFIG_HOME/msmtp/config; "SMS" comes after them.
    void start(int emailAccounts) {
        std::string msmtp = "defaults\nhost 127.0.0.1\nfrom me@example.org\n";
        for (int i = 1; i <= emailAccounts; ++i)
            msmtp += "account account" + std::to_string(i) + "\n";
        ovWriteFile(scratch / "msmtp/config", msmtp);
        setenv("XDG_CONFIG_HOME", scratch.path().c_str(), 1);
        setenv("HOME", scratch.path().c_str(), 1);
        p = std::make_unique<ovTestProgram>(pickerAssembly());
        p->nav().buildOwner = nullptr;
        picker = static_cast<ovMsgAcctPicker*>(p->nav().findById(kPickerId));
        picker->owner = &owner;
        p->run("wait 20");
        p->nav().current = picker;
        picker->onEnter(p->nav());
        p->app().needsRepaint = true;
        p->run("wait 20");
    }
    std::string tapAt(const L::Frac& f) const {
        return "tap " + std::to_string(fracWidth((f.left + f.right) / 2)) + " " +
               std::to_string(fracHeight((f.top + f.bottom) / 2)) + "\n";
    }
    std::string tapRow(int r) const {
        const float band = (L::list.bottom - L::list.top) / L::rows;
        const L::Frac row{L::list.left, L::list.top + band * r, L::list.right, L::list.top + band * (r + 1)};
        return tapAt(row);
    }
    std::string shown() const {
        std::string rows;
        for (int j = 0; j < picker->rowsDrawn; ++j) {
            if (j > 0)
                rows += ',';
            rows += ovToUtf8(picker->rowText[j].view());
        }
        return std::to_string(picker->firstAtDraw + 1) + "-" + std::to_string(picker->endAtDraw) + " " + rows;
    }

    ovScratchFolder scratch;
    ovRecordingOwner owner;
    std::unique_ptr<ovTestProgram> p;
    ovMsgAcctPicker* picker = nullptr;
};
} // namespace

TEST_F(AccountPicker, ThreeAccountsAndATapOnAName) {
    start(2);
    EXPECT_EQ(shown(), "1-3 account1,account2,SMS");
    EXPECT_EQ(ovMailManager::instance()->accounts().count(), 3);

    p->run(tapRow(3)); // below the last name
    EXPECT_EQ(p->nav().current, picker);
    EXPECT_FALSE(picker->hasChoice);

    p->run(tapRow(1));
    EXPECT_TRUE(picker->hasChoice);
    EXPECT_EQ(picker->chosenAccount.view(), u"account2");
    EXPECT_EQ(p->nav().current->nodeId, kFinishId);
    ASSERT_EQ(owner.finishedNodes.size(), 1u);
    EXPECT_EQ(owner.finishedNodes[0], picker);
}

TEST_F(AccountPicker, EightAccountsScrollOneAtATime) {
    start(7);
    EXPECT_EQ(shown(), "1-6 account1,account2,account3,account4,account5,account6");
    p->run(tapAt(L::down) + tapAt(L::down));
    EXPECT_EQ(shown(), "3-8 account3,account4,account5,account6,account7,SMS");
    p->run(tapAt(L::down) + tapAt(L::down) + tapAt(L::down) + tapAt(L::down) + tapAt(L::down) +
           tapAt(L::down));
    EXPECT_EQ(shown(), "8-8 SMS");
    p->run(tapRow(0));
    EXPECT_EQ(picker->chosenAccount.view(), u"SMS");

    // Entering again shows the top; up taps stop there, and the column between the
    // arrows does nothing.
    p->nav().current = picker;
    picker->onEnter(p->nav());
    p->run(tapAt(L::up) + tapAt(L::up) + tapAt({0.8f, 0.4f, 0.95f, 0.7f}));
    EXPECT_EQ(shown(), "1-6 account1,account2,account3,account4,account5,account6");
}

TEST_F(AccountPicker, NoAccountsButSmsAndBackLeavesThePicker) {
    start(0);
    EXPECT_EQ(shown(), "1-1 SMS");
    p->run(tapAt(L::back));
    EXPECT_EQ(p->nav().current->nodeId, ovHomeScreenId);
    EXPECT_FALSE(picker->hasChoice);
}

TEST_F(AccountPicker, RowPlatesOfThePictureLieUnderTheTouchRows) {
    start(1);
    const ovFramebuffer& frame = p->app().backBuffer().frame();
    const ovRect area = p->app().screenRect;
    // Right of the names, inside the list: each touch band has a plate under its centre
    // and the board shows at the line between two bands, so what a finger sees as a row
    // is the row it picks.
    const int x = fracWidth(0.74f) - area.left;
    const ovRect list = ovContactPickerLayout::pixels(L::list, area.right, area.bottom);
    const int band = list.height() / L::rows;
    const ovColor plate = frame.pixel(x, list.top + band / 2 - area.top);
    for (int r = 0; r < L::rows; ++r) {
        EXPECT_EQ(frame.pixel(x, list.top + r * band + band / 2 - area.top), plate) << r;
        if (r > 0) {
            EXPECT_NE(frame.pixel(x, list.top + r * band - area.top), plate) << r;
        }
    }
    // The arrows are blue buttons; a name is drawn in white in the first row.
    const ovColor upColour = frame.pixel(fracWidth(0.79f), fracHeight(0.24f));
    EXPECT_GT((upColour >> 16) & 0xFF, upColour & 0xFF);
    bool white = false;
    for (int y = fracHeight(L::rowTop); y < fracHeight(L::rowBottom); ++y)
        for (int xx = fracWidth(L::rowLeft); xx < fracWidth(0.3f); ++xx)
            white = white || frame.pixel(xx, y) == 0xFFFFFF;
    EXPECT_TRUE(white);
}
