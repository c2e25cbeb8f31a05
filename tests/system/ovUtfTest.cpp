#include "system/ovUtf.h"

#include <gtest/gtest.h>

TEST(ovUtf, RoundTripsEveryPlane) {
    const std::u16string text = u"Ascii é ß Ж σ 中文 😀 end";
    const std::string utf8 = ovToUtf8(text);
    EXPECT_EQ(utf8,
              "Ascii \xC3\xA9 \xC3\x9F \xD0\x96 \xCF\x83 \xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80 end");
    EXPECT_TRUE(ovIsValidUtf8(utf8));
    EXPECT_EQ(ovToUtf16(utf8), text);
}

TEST(ovUtf, LoneSurrogatesBecomeReplacementCharacters) {
    const std::u16string broken = {u'a', 0xD83D, u'b', 0xDE00, 0xD800};
    EXPECT_EQ(ovToUtf8(broken), "a\xEF\xBF\xBD"
                                "b\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(ovUtf, MalformedUtf8IsReplacedByteByByte) {
    struct Case {
        std::string bytes;
        std::u16string expected;
    };
    const Case cases[] = {
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                     // overlong '/'
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},           // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, // above U+10FFFF
        {"ab\xE2\x82", u"ab\uFFFD\uFFFD"},                 // cut short at the end
        {"\xFFx", u"\uFFFDx"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(ovIsValidUtf8(c.bytes));
        EXPECT_EQ(ovToUtf16(c.bytes), c.expected);
    }
}

TEST(ovUtf, FoldCaseMapsCapitalsOfLatinGreekAndCyrillic) {
    EXPECT_EQ(ovFoldCase(u"JoHN Ÿ ÉLODIE ŁÓDŹ ΣΟΦΊΑ ς ЖЁЛТЫЙ Ґ"), u"john ÿ élodie łódź σοφία σ жёлтый ґ");
    // Not letters, or letters without a lower case of one unit: unchanged.
    EXPECT_EQ(ovFoldCase(u"× ß 1@[ 中"), u"× ß 1@[ 中");
    const std::u16string astral = u"😀";
    EXPECT_EQ(ovFoldCase(astral), astral);
}
