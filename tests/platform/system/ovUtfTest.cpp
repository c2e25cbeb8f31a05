#include "ovUtf.h"

#include <gtest/gtest.h>

TEST(Utf, RoundTripsEveryPlane) {
    const std::u16string text = u"Zoë – 日本 \U0001F600";
    EXPECT_EQ(ovToUtf16(ovToUtf8(text)), text);
    EXPECT_EQ(ovToUtf8(u"abc"), "abc");
}

TEST(Utf, BrokenInputBecomesReplacementCharacters) {
    EXPECT_EQ(ovToUtf16("a\xff"
                        "b"),
              u"a\uFFFDb");
    EXPECT_EQ(ovToUtf16("\xe6\x97"), u"\uFFFD\uFFFD"); // cut short
    EXPECT_EQ(ovToUtf16("\xc0\xaf"), u"\uFFFD\uFFFD"); // overlong '/'
    const char16_t lone[] = {u'x', 0xD800, u'y', 0};
    EXPECT_EQ(ovToUtf8(lone), "x\xef\xbf\xbdy");
}
