#include "shell/ovScreenGeometry.h"

#include <gtest/gtest.h>

TEST(ScreenFractions, SinglePrecisionProductTruncated) {
    EXPECT_EQ(ovFracOf(240, 0.41f), 98);
    EXPECT_EQ(ovFracOf(268, 0.072f), 19);
    EXPECT_EQ(ovFracOf(240, 0.003125f), 0);
    EXPECT_EQ(ovFracOf(240, 0.308f), 73);
    EXPECT_EQ(ovFracOf(240, 0.1042f), 25);
    EXPECT_EQ(ovFracOf(268, 0.1093f), 29);
    EXPECT_EQ(ovFracOf(480, 0.41f), 196);
    EXPECT_EQ(ovFracOf(536, 0.072f), 38);
}

TEST(PointInRect, IncludesAllFourEdges) {
    EXPECT_TRUE(pointInRect({10, 20}, 10, 20, 30, 40));
    EXPECT_TRUE(pointInRect({30, 40}, 10, 20, 30, 40));
    EXPECT_FALSE(pointInRect({9, 20}, 10, 20, 30, 40));
    EXPECT_FALSE(pointInRect({30, 41}, 10, 20, 30, 40));
    ovRect r{10, 20, 30, 40};
    EXPECT_EQ(r.width(), 20);
    EXPECT_TRUE(r.contains({30, 20}));
}

TEST(Bands, BoundaryBelongsToTheBandAbove) {
    EXPECT_EQ(rowAt(0, 0, 100, 100, 3, {50, 0}), 0);
    EXPECT_EQ(rowAt(0, 0, 100, 100, 3, {50, 33}), 0);
    EXPECT_EQ(rowAt(0, 0, 100, 100, 3, {50, 34}), 1);
    EXPECT_EQ(rowAt(0, 0, 100, 100, 3, {50, 99}), 2);
    EXPECT_EQ(rowAt(0, 0, 100, 100, 3, {50, 100}), 3); // the extra band of the last lines
    EXPECT_EQ(rowAt(0, 0, 100, 99, 3, {50, 99}), 2);
    EXPECT_EQ(rowAt(0, 0, 100, 100, 3, {101, 50}), -1);
    EXPECT_EQ(rowAt(0, 0, 100, 100, 3, {50, -1}), -1);
    EXPECT_EQ(columnAt(0, 0, 100, 100, 4, {25, 5}), 0);
    EXPECT_EQ(columnAt(0, 0, 100, 100, 4, {26, 5}), 1);
    EXPECT_EQ(columnAt(10, 0, 110, 100, 4, {110, 5}), 3);
}

TEST(Bands, TooManyBandsFindNothingInsteadOfLooping) {
    EXPECT_EQ(rowAt(0, 0, 100, 2, 3, {5, 1}), -1);
    EXPECT_EQ(columnAt(0, 0, 100, 100, 0, {5, 1}), -1);
}

#include "shell/ovApp.h"
#include "shell/ovNodeLayout.h"
#include "shell/ovShell.h"

#include <bit>
#include <cstdint>

TEST(ScreenFractions, LayoutConstantsHaveTheirExactBitPatterns) {
    using namespace ovNodeLayout;
    EXPECT_EQ(std::bit_cast<uint32_t>(wideWidth), 0x3ED1EB85u);
    EXPECT_EQ(std::bit_cast<uint32_t>(shortWidth), 0x3E9DB22Du);
    EXPECT_EQ(std::bit_cast<uint32_t>(buttonHeight), 0x3D9374BCu);
    EXPECT_EQ(std::bit_cast<uint32_t>(backStripLeft), 0x3D4CCCCDu);
    EXPECT_EQ(std::bit_cast<uint32_t>(backStripRight), 0x3C4CCCCDu);
    EXPECT_EQ(std::bit_cast<uint32_t>(backStripInset), 0x3B4CCCCDu);
    EXPECT_EQ(std::bit_cast<uint32_t>(stepX), 0x3DD566CFu);
    EXPECT_EQ(std::bit_cast<uint32_t>(stepY), 0x3DDFD8AEu);
    EXPECT_EQ(std::bit_cast<uint32_t>(ovApp::reservedShare), 0x3E266666u);
    EXPECT_EQ(std::bit_cast<uint32_t>(ovApp::longPressSeconds), 0x3FA66666u);
    EXPECT_EQ(std::bit_cast<uint32_t>(ovShell::secondsPerTick), 0x3A83126Fu);
}
