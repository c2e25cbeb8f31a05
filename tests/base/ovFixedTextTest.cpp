#include "base/ovFixedText.h"

#include <gtest/gtest.h>

TEST(FixedText, CutsAtTheFieldSize) {
    ovFixedText<8> text(u"abc");
    EXPECT_EQ(text.view(), u"abc");
    EXPECT_TRUE(text.append(u"defg"));
    EXPECT_FALSE(text.append(u"hij"));
    EXPECT_EQ(text.view(), u"abcdefg");
    EXPECT_EQ(text.c_str()[7], 0);
    text = u"0123456789";
    EXPECT_EQ(text.length(), 7u);
}

TEST(FixedText, NeverKeepsHalfASurrogatePair) {
    ovFixedText<4> text(u"ab\U0001F600");
    EXPECT_EQ(text.view(), u"ab");
    text.clear();
    EXPECT_TRUE(text.empty());
}
