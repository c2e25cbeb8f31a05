#include "support/ovTestProgram.h"

#include <gtest/gtest.h>

// A parent at the top-left corner with three children: on a 240 x 268 screen
// rectangle they land at (25, 29), (50, 58) and (75, 87).
class Navigation : public ::testing::Test {
protected:
    void SetUp() override {
        owner = p.app().makeNode<ovRecordingOwner>();
        p.nav().buildOwner = owner;
        parent = p.makeNode(u"Parent", 100);
        ovHyperNode* home = p.nav().findById(ovHomeScreenId);
        ASSERT_TRUE(p.nav().addChild(home, parent));
        for (int i = 0; i < 3; ++i) {
            children[i] = p.makeNode(u"Child", 101 + i);
            ASSERT_TRUE(p.nav().addChild(parent, children[i]));
        }
        p.nav().current = parent;
        p.run("wait 10");
    }
    ovHyperNode* current() { return p.nav().current; }

    ovTestProgram p;
    ovRecordingOwner* owner = nullptr;
    ovHyperNode* parent = nullptr;
    ovHyperNode* children[3] = {};
};

TEST_F(Navigation, LayoutValuesOnTheSmallScreen) {
    EXPECT_EQ(p.nav().wideButtonRect, (ovRect{0, 0, 98, 19}));
    EXPECT_EQ(p.nav().shortButtonRect, (ovRect{0, 0, 73, 19}));
    EXPECT_EQ(p.nav().backStripOffsets, (ovRect{-12, 0, 3, 0}));
    EXPECT_EQ(p.nav().childStep, (ovPoint{25, 29}));
}

TEST_F(Navigation, StaircaseTurnsDownwardAtTheTop) {
    ovHyperNode* fourth = p.makeNode(u"Fourth", 104);
    p.nav().addChild(parent, fourth);
    parent->layoutChildren(p.nav());
    EXPECT_EQ((ovPoint{children[0]->x, children[0]->y}), (ovPoint{25, 29}));
    EXPECT_EQ((ovPoint{children[1]->x, children[1]->y}), (ovPoint{50, 58}));
    EXPECT_EQ((ovPoint{children[2]->x, children[2]->y}), (ovPoint{75, 87}));
    EXPECT_EQ((ovPoint{fourth->x, fourth->y}), (ovPoint{100, 116}));
}

TEST_F(Navigation, StaircaseStaysOnScreenFromTheOtherCorner) {
    parent->x = 140;
    parent->y = 249;
    parent->layoutChildren(p.nav());
    for (ovHyperNode* child : children) {
        EXPECT_GE(child->x, 0);
        EXPECT_LE(child->x + 98, 240);
        EXPECT_GE(child->y, 0);
        EXPECT_LE(child->y + 19, 268);
    }
    EXPECT_LT(children[0]->x, parent->x); // right half: children step to the left
}

TEST_F(Navigation, TenCharacterLabelsAreWide) {
    ovHyperNode* node = p.makeNode(u"0123456789", 200);
    EXPECT_EQ(node->buttonRect(p.nav()), (ovRect{0, 0, 98, 19}));
    node->label = u"012345678";
    EXPECT_EQ(node->buttonRect(p.nav()), (ovRect{0, 0, 73, 19}));
    EXPECT_EQ(node->backStripRect(p.nav()), (ovRect{-12, 0, 3, 19}));
}

TEST_F(Navigation, TapEntersAndTellsTheOwner) {
    p.run("tap 60 35");
    EXPECT_EQ(current(), children[0]);
    ASSERT_EQ(owner->finishedNodes.size(), 1u);
    EXPECT_EQ(owner->finishedNodes[0], parent);
}

TEST_F(Navigation, PressHighlightsButOnlyTheReleaseEnters) {
    p.run("down 60 35\nwait 100");
    EXPECT_EQ(p.nav().focused, children[0]);
    EXPECT_EQ(current(), parent);
    p.run("up 60 35");
    EXPECT_EQ(current(), children[0]);
}

TEST_F(Navigation, SlidingOffCancels) {
    p.run("down 60 35\nwait 50\nmove 200 200\nwait 20\nup 200 200\nwait 10");
    EXPECT_EQ(current(), parent);
    EXPECT_EQ(p.nav().focused, nullptr);
    EXPECT_TRUE(owner->finishedNodes.empty());
}

TEST_F(Navigation, SlidingToASecondChildEntersIt) {
    p.run("down 60 35\nwait 50\nmove 90 64\nwait 50");
    EXPECT_EQ(p.nav().focused, children[1]);
    p.run("up 90 64\nwait 10");
    EXPECT_EQ(current(), children[1]);
}

TEST_F(Navigation, OwnButtonAndBackStripGoBack) {
    p.run("tap 50 10");
    EXPECT_EQ(current(), p.nav().findById(ovHomeScreenId));
    ASSERT_EQ(owner->finishedNodes.size(), 1u);
    EXPECT_EQ(owner->finishedNodes[0], parent);

    p.nav().current = parent;
    parent->x = 40; // so that the whole back strip is on screen
    parent->y = 0;  // (the home node laid it out as its child meanwhile)
    p.run("tap 29 10");
    EXPECT_EQ(current()->nodeId, ovHomeScreenId);
    EXPECT_EQ(owner->finishedNodes.size(), 2u);
}

TEST_F(Navigation, BackStripHoverFollowsTheFinger) {
    p.run("down 50 10\nwait 20");
    EXPECT_TRUE(p.nav().backHover);
    p.run("move 200 200\nwait 20");
    EXPECT_FALSE(p.nav().backHover);
    p.run("up 200 200\nwait 10");
    EXPECT_EQ(current(), parent);
}

TEST_F(Navigation, AChildsBackStripIsNotItsButton) {
    // (26, 35) lies on the first child's back strip, which overlaps its button.
    p.run("tap 26 35");
    EXPECT_EQ(current(), parent);
}

TEST_F(Navigation, GoBackWithoutParentReentersHome) {
    ovHyperNode* orphan = p.makeNode(u"Orphan", 400);
    p.nav().current = orphan;
    orphan->goBack(p.nav());
    EXPECT_EQ(current()->nodeId, ovHomeScreenId);
}

TEST_F(Navigation, OnlyFullScreenChildIsPassedInto) {
    ovHyperNode* step = p.makeNode(u"Step", 500);
    ovHyperNode* picker = p.makeNode(u"Picker", 501);
    picker->fullScreen = true;
    p.nav().addChild(children[0], step);
    children[0]->children.clear();
    p.nav().addChild(children[0], picker);
    p.run("down 60 35\nwait 50\nup 60 35");
    EXPECT_EQ(current(), children[0]);
    p.run("wait 10"); // shown for at most one frame
    EXPECT_EQ(current(), picker);
    EXPECT_EQ(owner->finishedNodes.back(), children[0]);
    // Going back from the picker lands on the skipped node, which passes in again.
    picker->goBack(p.nav());
    EXPECT_EQ(current(), children[0]);
    p.run("wait 10");
    EXPECT_EQ(current(), picker);
}

TEST_F(Navigation, EnterChildAndEnterNodeIgnoreStrangers) {
    parent->enterChild(p.nav(), 3);
    parent->enterChild(p.nav(), -1);
    ovHyperNode* stranger = p.makeNode(u"Stranger", 600);
    parent->enterNode(p.nav(), stranger);
    parent->enterNode(p.nav(), nullptr);
    EXPECT_EQ(current(), parent);
    parent->enterNode(p.nav(), children[2]);
    EXPECT_EQ(current(), children[2]);
    EXPECT_TRUE(owner->finishedNodes.empty()); // entering by node does not tell the owner
}

TEST_F(Navigation, AddChildRefusesUnbuiltNodes) {
    ovHyperNode* unbuilt = p.app().makeNode<ovHyperNode>();
    unbuilt->valid = 1;
    EXPECT_FALSE(p.nav().addChild(parent, unbuilt)); // nodeId 0
    unbuilt->nodeId = 7;
    unbuilt->valid = 0;
    EXPECT_FALSE(p.nav().addChild(parent, unbuilt));
    EXPECT_FALSE(p.nav().addChild(parent, &p.nav().root));
    EXPECT_EQ(parent->children.count(), 3);
    EXPECT_EQ(children[1]->owner, owner);
    EXPECT_EQ(children[1]->parent, parent);
}

TEST_F(Navigation, FindByIdSearchesDepthFirstInChildOrder) {
    ovHyperNode* deep = p.makeNode(u"Deep", 900);
    ovHyperNode* twin = p.makeNode(u"Twin", 900);
    p.nav().addChild(children[0], deep);
    p.nav().addChild(children[1], twin);
    EXPECT_EQ(p.nav().findById(900), deep);
    EXPECT_EQ(p.nav().findById(900, children[1]), twin);
    EXPECT_EQ(p.nav().findById(103), children[2]);
    EXPECT_EQ(p.nav().findById(12345), nullptr);
    EXPECT_EQ(p.nav().findById(0), &p.nav().root);
}
