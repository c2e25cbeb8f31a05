#include "gfx/ovCanvas.h"
#include "gfx/ovFont.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>

namespace {

constexpr ovColor kWhite = ovRgb(255, 255, 255);
constexpr ovColor kBlack = 0;
constexpr ovColor kRed = ovRgb(255, 0, 0);
const char* const kRegular = "/usr/share/wine/fonts/tahoma.ttf";
const char* const kBold = "/usr/share/wine/fonts/tahomabd.ttf";

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1; // inclusive ink bounds
    bool empty() const { return right < left; }
    int centreX2() const { return left + right; }
};

// Bounds of every pixel that is not the background, optionally only inside `area`.
Box inkBox(const ovFramebuffer& fb, ovColor background) {
    Box box;
    for (int y = 0; y < fb.height(); ++y)
        for (int x = 0; x < fb.width(); ++x)
            if (fb.pixel(x, y) != background) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

int inkRows(const ovFramebuffer& fb, ovColor background) {
    int rows = 0;
    for (int y = 0; y < fb.height(); ++y)
        for (int x = 0; x < fb.width(); ++x)
            if (fb.pixel(x, y) != background) {
                ++rows;
                break;
            }
    return rows;
}

class Text : public ::testing::Test {
protected:
    void SetUp() override {
        ovResult<std::unique_ptr<ovFont>> opened = ovFont::open(kRegular, 12);
        const std::string error = opened ? std::string() : opened.reason();
        font_ = opened ? opened.take() : nullptr;
        if (!font_)
            GTEST_SKIP() << "font not installed: " << error;
    }

    // Draws onto a fresh white framebuffer in black, transparent background.
    ovFramebuffer draw(std::u16string_view text, const ovRect& rect, unsigned format, int* height = nullptr,
                       int fbWidth = 200, int fbHeight = 100) {
        ovFramebuffer fb(fbWidth, fbHeight, kWhite);
        ovCanvas canvas(fb);
        canvas.selectFont(font_.get());
        canvas.setTextColor(kBlack);
        canvas.setBackgroundMode(ovTransparent);
        const int h = canvas.drawText(text, rect, format);
        if (height)
            *height = h;
        return fb;
    }

    std::unique_ptr<ovFont> font_;
};

TEST_F(Text, FontMetricsAndErrors) {
    EXPECT_EQ(font_->emPixels(), 12);
    EXPECT_GT(font_->ascent(), 8);
    EXPECT_GT(font_->descent(), 0);
    EXPECT_EQ(font_->lineHeight(), font_->ascent() + font_->descent());
    EXPECT_LE(font_->lineHeight(), 18);

    const auto missing = ovFont::open("/nonexistent/face.ttf", 12);
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.reason().find("/nonexistent/face.ttf"), std::string::npos) << missing.reason();
    const auto tiny = ovFont::open(kRegular, 0);
    ASSERT_FALSE(tiny.ok());
    EXPECT_NE(tiny.reason().find(kRegular), std::string::npos) << tiny.reason();

    auto opened = ovFont::open(kBold, 12);
    ASSERT_TRUE(opened.ok()) << opened.reason();
    auto bold = opened.take();
    EXPECT_GE(bold->advance(U'W'), font_->advance(U'W'));
}

TEST_F(Text, LeftCentredAndRightAlignment) {
    const ovRect rect{10, 10, 190, 40};
    const auto left = inkBox(draw(u"Hello", rect, ovTextLeft), kWhite);
    const auto centre = inkBox(draw(u"Hello", rect, ovTextCenter), kWhite);
    const auto right = inkBox(draw(u"Hello", rect, ovTextRight), kWhite);
    ASSERT_FALSE(left.empty());
    EXPECT_GE(left.left, 10);
    EXPECT_LE(left.left, 12);
    EXPECT_NEAR(centre.centreX2(), 10 + 190, 4);
    EXPECT_LE(right.right, 189);
    EXPECT_GE(right.right, 186);
    // Alignment moves the line without changing it.
    EXPECT_EQ(left.right - left.left, right.right - right.left);
    EXPECT_EQ(left.top, right.top);
    EXPECT_EQ(left.bottom, centre.bottom);
    // Top-aligned text hangs from the rectangle's top by its ascent.
    EXPECT_GE(left.top, 10);
    EXPECT_LT(left.top, 10 + font_->ascent());
    EXPECT_LE(left.bottom, 10 + font_->lineHeight());
}

TEST_F(Text, VerticalCentreMovesTheBlockByHalfTheSpareHeight) {
    const ovRect rect{0, 20, 200, 71};
    int h = 0;
    const auto top = inkBox(draw(u"Hello", rect, ovTextLeft, &h), kWhite);
    const auto centred = inkBox(draw(u"Hello", rect, ovTextVCenter), kWhite);
    EXPECT_EQ(h, font_->lineHeight());
    EXPECT_EQ(centred.top - top.top, (51 - font_->lineHeight()) / 2);

    // The whole wrapped block is centred, not each line.
    int blockHeight = 0;
    const ovRect narrow{0, 0, 40, 100};
    const auto wrappedTop = inkBox(draw(u"one two three four", narrow, ovTextWordWrap, &blockHeight), kWhite);
    const auto wrappedCentred =
        inkBox(draw(u"one two three four", narrow, ovTextWordWrap | ovTextVCenter), kWhite);
    ASSERT_GE(blockHeight, 2 * font_->lineHeight());
    EXPECT_EQ(wrappedCentred.top - wrappedTop.top, (100 - blockHeight) / 2);
}

TEST_F(Text, WordWrapStaysInsideItsRectangleOnSeveralLines) {
    const ovRect rect{20, 5, 90, 95};
    int h = 0;
    const ovFramebuffer fb =
        draw(u"The quick brown fox jumps over the lazy dog", rect, ovTextCenter | ovTextWordWrap, &h);
    const auto box = inkBox(fb, kWhite);
    ASSERT_FALSE(box.empty());
    EXPECT_GE(box.left, rect.left);
    EXPECT_LT(box.right, rect.right);
    EXPECT_GE(box.top, rect.top);
    EXPECT_LT(box.bottom, rect.bottom);
    EXPECT_GE(h, 3 * font_->lineHeight());
    EXPECT_EQ(h % font_->lineHeight(), 0);
    EXPECT_GT(box.bottom - box.top, 2 * font_->lineHeight());

    // Without wrapping the same text is one line, cut at the rectangle.
    int single = 0;
    const auto unwrapped =
        inkBox(draw(u"The quick brown fox jumps over the lazy dog", rect, ovTextLeft, &single), kWhite);
    EXPECT_EQ(single, font_->lineHeight());
    EXPECT_LT(unwrapped.right, rect.right);
    EXPECT_LT(unwrapped.bottom, rect.top + font_->lineHeight());
}

TEST_F(Text, WrapBreaksAtSpacesAndBreaksLongWordsWhereTheyMust) {
    ovFramebuffer fb(100, 100, kWhite);
    ovCanvas canvas(fb);
    canvas.selectFont(font_.get());
    const int lh = font_->lineHeight();
    const int twoWords = canvas.measureText(u"ab cd");
    // Exactly wide enough for "ab cd": one line; one pixel less: "ab" / "cd".
    EXPECT_EQ(canvas.drawText(u"ab cd", {0, 0, twoWords, 50}, ovTextWordWrap), lh);
    EXPECT_EQ(canvas.drawText(u"ab cd", {0, 0, twoWords - 1, 50}, ovTextWordWrap), 2 * lh);
    // The space run at a break is dropped, so it does not push a line of its own.
    EXPECT_EQ(canvas.drawText(u"ab      ab", {0, 0, canvas.measureText(u"ab") + 1, 50}, ovTextWordWrap),
              2 * lh);
    // A word wider than the line is broken; every line keeps at least one letter.
    const int w = canvas.measureText(u"MMMMMMMM");
    EXPECT_EQ(canvas.drawText(u"MMMMMMMM", {0, 0, w / 2, 50}, ovTextWordWrap), 2 * lh);
    EXPECT_EQ(canvas.drawText(u"MMM", {0, 0, 0, 50}, ovTextWordWrap), 3 * lh);
    // Line breaks start new lines with or without wrapping; a final one adds nothing.
    EXPECT_EQ(canvas.drawText(u"a\nb\r\nc", {0, 0, 100, 50}, ovTextLeft), 3 * lh);
    EXPECT_EQ(canvas.drawText(u"a\n\nb\n", {0, 0, 100, 50}, ovTextWordWrap), 3 * lh);
    EXPECT_EQ(canvas.drawText(u"", {0, 0, 100, 50}, ovTextLeft), 0);
}

TEST_F(Text, LongWordIsBrokenInsideItsRectangle) {
    const ovRect rect{30, 0, 60, 100};
    int h = 0;
    const auto fb = draw(u"Supercalifragilistic", rect, ovTextWordWrap, &h);
    const auto box = inkBox(fb, kWhite);
    EXPECT_GE(h, 2 * font_->lineHeight());
    EXPECT_GE(box.left, rect.left);
    EXPECT_LT(box.right, rect.right);
    EXPECT_GE(inkRows(fb, kWhite), font_->lineHeight() + 2) << "ink must reach the second line";
}

TEST_F(Text, ClippedToItsRectangleAndTheFramebuffer) {
    const ovRect rect{10, 10, 30, 16}; // shorter than a line and narrower than the text
    const auto box = inkBox(draw(u"Clipping text", rect, ovTextLeft), kWhite);
    ASSERT_FALSE(box.empty());
    EXPECT_GE(box.left, 10);
    EXPECT_LE(box.right, 29);
    EXPECT_GE(box.top, 10);
    EXPECT_LE(box.bottom, 15);

    // Rectangles hanging over every edge of a tiny framebuffer draw what fits.
    for (const ovRect& r : {ovRect{-20, -8, 10, 10}, ovRect{5, 2, 400, 300}, ovRect{-1000, -1000, 1000, 1000},
                            ovRect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}}) {
        const auto fb = draw(u"Wg\u00c9", r, ovTextCenter | ovTextVCenter | ovTextWordWrap, nullptr, 12, 8);
        EXPECT_EQ(fb.width(), 12);
    }
}

TEST_F(Text, GlyphsAreAntiAliasedAndDrawnInTheTextColour) {
    auto opened = ovFont::open(kRegular, 24);
    ASSERT_TRUE(opened.ok()) << opened.reason();
    const auto big = opened.take();
    ovFramebuffer fb(80, 40, kWhite);
    ovCanvas canvas(fb);
    canvas.selectFont(big.get());
    canvas.setTextColor(kRed);
    canvas.setBackgroundMode(ovTransparent);
    canvas.drawText(u"Oval", {0, 0, 80, 40}, ovTextLeft);
    int full = 0, partial = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 80; ++x) {
            const ovColor c = fb.pixel(x, y);
            if (c == kRed)
                ++full;
            else if (c != kWhite) {
                ++partial;
                EXPECT_EQ(ovRed(c), 255) << "a red text over white only lightens green and blue";
                EXPECT_EQ(ovGreen(c), ovBlue(c));
            }
        }
    EXPECT_GT(full, 5);
    EXPECT_GT(partial, 5);
}

// Every pixel of a text over a busy background is the rounded mix of the text colour and
// what was there, by the glyph's coverage, whether a glyph is drawn whole, cut by its
// rectangle, or ends at the framebuffer's right edge; no other pixel changes, not even
// its unused top byte.
TEST_F(Text, GlyphsMixByTheirCoverageAtEveryPixelAndTouchNothingElse) {
    auto opened = ovFont::open(kBold, 17); // glyphs wider than eight pixels too
    ASSERT_TRUE(opened.ok()) << opened.reason();
    const auto bold = opened.take();
    const std::u16string text = u"Wm@ ij%Q";
    const ovColor color = ovRgb(200, 30, 90);
    const int w = 61, h = 24;
    const ovRect rects[] = {{2, 1, w, h},          // whole glyphs
                            {9, 3, 40, 20},        // cut on both sides (right-aligned, overflowing)
                            {w - 30, 0, w + 9, h}, // running past the framebuffer's right edge
                            {-5, -4, w, h}};       // cut at the top and the left
    std::mt19937 random(11);
    for (const ovRect& rect : rects) {
        ovFramebuffer before(w, h);
        for (int i = 0; i < w * h; ++i)
            before.data()[i] = static_cast<uint32_t>(random());
        ovFramebuffer fb = before;
        ovCanvas canvas(fb);
        canvas.selectFont(bold.get());
        canvas.setTextColor(color);
        canvas.setBackgroundMode(ovTransparent);
        const unsigned format = rect.left == 9 ? ovTextRight : ovTextLeft;
        canvas.drawText(text, rect, format);

        ovFramebuffer expected = before;
        const ovRect clip{std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, w),
                          std::min(rect.bottom, h)};
        int pen = format == ovTextRight ? rect.right - canvas.measureText(text) : rect.left;
        const int baseline = rect.top + bold->ascent();
        for (char16_t c : text) {
            const ovGlyph& g = bold->glyph(c);
            for (int y = 0; y < g.height; ++y)
                for (int x = 0; x < g.width; ++x) {
                    const int px = pen + g.bearingX + x, py = baseline - g.bearingY + y;
                    const uint32_t a = g.coverage[static_cast<size_t>(y) * g.width + x];
                    if (a == 0 || px < clip.left || px >= clip.right || py < clip.top || py >= clip.bottom)
                        continue;
                    uint32_t& d = expected.row(py)[px];
                    uint32_t mixed = 0;
                    for (int k = 0; k < 24; k += 8)
                        mixed |= ((((color >> k) & 0xFF) * a + ((d >> k) & 0xFF) * (255 - a) + 127) / 255)
                                 << k;
                    d = mixed;
                }
            pen += g.advance;
        }
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(fb.row(y)[x], expected.row(y)[x])
                    << "rectangle " << rect.left << "," << rect.top << " at " << x << "," << y;
    }
}

TEST_F(Text, OpaqueModeFillsEachLineExtentFirst) {
    ovFramebuffer fb(100, 40, kWhite);
    ovCanvas canvas(fb);
    canvas.selectFont(font_.get());
    canvas.setTextColor(kBlack);
    canvas.setBackgroundColor(kRed);
    canvas.setBackgroundMode(ovOpaque);
    const int width = canvas.measureText(u"Hi");
    canvas.drawText(u"Hi", {5, 5, 95, 35}, ovTextLeft);
    EXPECT_EQ(fb.pixel(5, 5), kRed);
    EXPECT_EQ(fb.pixel(5 + width - 1, 5 + font_->lineHeight() - 1), kRed);
    EXPECT_EQ(fb.pixel(5 + width, 5), kWhite);
    EXPECT_EQ(fb.pixel(5, 5 + font_->lineHeight()), kWhite);
    EXPECT_EQ(fb.pixel(4, 5), kWhite);
}

TEST_F(Text, MeasureMatchesDrawingAndDecodesSurrogatePairs) {
    ovFramebuffer fb(200, 30, kWhite);
    ovCanvas canvas(fb);
    EXPECT_EQ(canvas.measureText(u"abc"), 0) << "no font, no width";
    EXPECT_EQ(canvas.drawText(u"abc", {0, 0, 200, 30}, 0), 0);
    EXPECT_EQ(inkBox(fb, kWhite).empty(), true);

    canvas.selectFont(font_.get());
    EXPECT_EQ(canvas.measureText(u"Hello"),
              font_->advance(U'H') + font_->advance(U'e') + 2 * font_->advance(U'l') + font_->advance(U'o'));
    // One code point from a pair; lone halves become the replacement character.
    EXPECT_EQ(canvas.measureText(u"A\U0001F600B"),
              font_->advance(U'A') + font_->advance(U'\U0001F600') + font_->advance(U'B'));
    const std::u16string lone{u'A', char16_t(0xD83D), u'B', char16_t(0xDE00)};
    EXPECT_EQ(canvas.measureText(lone),
              font_->advance(U'A') + font_->advance(U'B') + 2 * font_->advance(0xFFFD));
    EXPECT_EQ(canvas.measureText(u"ab\ncdef"), canvas.measureText(u"cdef"));

    // A right-aligned line ends at the rectangle's right edge by its measured width.
    const int width = canvas.measureText(u"Hello");
    const auto right = inkBox(draw(u"Hello", {0, 0, 150, 30}, ovTextRight), kWhite);
    const auto left = inkBox(draw(u"Hello", {150 - width, 0, 200, 30}, ovTextLeft), kWhite);
    EXPECT_EQ(right.left, left.left);
    EXPECT_EQ(right.right, left.right);
}

TEST_F(Text, SameInputGivesSamePixels) {
    const auto a = draw(u"Déjà vu 123", {3, 4, 150, 60}, ovTextCenter | ovTextVCenter | ovTextWordWrap);
    auto again = ovFont::open(kRegular, 12);
    ASSERT_TRUE(again.ok());
    font_ = again.take();
    const auto b = draw(u"Déjà vu 123", {3, 4, 150, 60}, ovTextCenter | ovTextVCenter | ovTextWordWrap);
    ASSERT_EQ(a.byteSize(), b.byteSize());
    EXPECT_EQ(0, std::memcmp(a.data(), b.data(), a.byteSize()));
}

} // namespace
