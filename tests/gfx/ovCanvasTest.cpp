#include "gfx/ovCanvas.h"
#include "ovBmpBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

constexpr ovColor kGreen = ovRgb(0, 255, 0);
constexpr ovColor kRed = ovRgb(255, 0, 0);
constexpr ovColor kBlue = ovRgb(0, 0, 255);
constexpr ovColor kWhite = ovRgb(255, 255, 255);
constexpr ovColor kBlack = 0;
constexpr ovColor kGrey = ovRgb(128, 128, 128);

// Pixels given as 0x00BBGGRR colours; alpha is set opaque unless given.
ovImage makeImage(int width, int height, std::vector<uint32_t> pixels, uint16_t bpp = 24) {
    ovImage image;
    image.width = width;
    image.height = height;
    image.bitsPerPixel = bpp;
    image.pixels = std::move(pixels);
    if (bpp != 32)
        for (auto& p : image.pixels)
            p |= 0xFF000000u;
    return image;
}

// A picture whose every pixel names its own coordinates, to check sampling.
ovImage coordinateImage(int width, int height) {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(ovRgb(static_cast<uint8_t>(x), static_cast<uint8_t>(y), 7));
    return makeImage(width, height, pixels);
}

std::vector<ovPoint> drawnPixels(const ovFramebuffer& fb, ovColor background) {
    std::vector<ovPoint> out;
    for (int y = 0; y < fb.height(); ++y)
        for (int x = 0; x < fb.width(); ++x)
            if (fb.pixel(x, y) != background)
                out.push_back({x, y});
    return out;
}

// ---------------------------------------------------------------------------------
// Colour-keyed stretch

TEST(KeyedBlit, PureGreenIsLeftOutOfAnInMemoryPicture) {
    ovFramebuffer fb(4, 4, kRed);
    ovCanvas canvas(fb);
    const ovImage image = makeImage(2, 2, {kBlue, kGreen, kWhite, ovRgb(0, 254, 0)});
    canvas.stretchBlitKeyed(image, 1, 1, 2, 2, kGreen);
    EXPECT_EQ(fb.pixel(1, 1), kBlue);
    EXPECT_EQ(fb.pixel(2, 1), kRed) << "the key colour must stay transparent";
    EXPECT_EQ(fb.pixel(1, 2), kWhite);
    EXPECT_EQ(fb.pixel(2, 2), ovRgb(0, 254, 0)) << "only the exact key is transparent";
    EXPECT_EQ(fb.pixel(0, 0), kRed);
    EXPECT_EQ(fb.pixel(3, 3), kRed);
}

TEST(KeyedBlit, PureGreenIsLeftOutOfADecodedStretchedBmp) {
    // BMP pixels are 0xRRGGBB; pure green reads the same either way round.
    const auto bytes = ovtest::makeBmp(2, 1, 24, {0x0000FF /* blue */, 0x00FF00});
    const ovResult<ovImage> decoded = ovDecodeBmp(bytes.data(), bytes.size(), "keyed.bmp");
    ASSERT_TRUE(decoded.ok()) << decoded.reason();
    ASSERT_EQ(decoded.value().bitsPerPixel, 24);

    ovFramebuffer fb(6, 3, kRed);
    ovCanvas canvas(fb);
    canvas.stretchBlitKeyed(decoded.value(), 1, 0, 4, 2, kGreen);
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(fb.pixel(0, y), kRed);
        EXPECT_EQ(fb.pixel(1, y), kBlue);
        EXPECT_EQ(fb.pixel(2, y), kBlue);
        EXPECT_EQ(fb.pixel(3, y), kRed) << "stretched green must stay transparent";
        EXPECT_EQ(fb.pixel(4, y), kRed);
        EXPECT_EQ(fb.pixel(5, y), kRed);
    }
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(fb.pixel(x, 2), kRed);
}

TEST(KeyedBlit, KeyComparesColourOnlyNotTheTopByte) {
    ovFramebuffer fb(2, 1, kRed);
    ovCanvas canvas(fb);
    ovImage image = makeImage(2, 1, {kGreen, kBlue});
    image.pixels[0] = 0x7F00FF00u; // green with some other top byte
    canvas.stretchBlitKeyed(image, 0, 0, 2, 1, kGreen | 0xAB000000u);
    EXPECT_EQ(fb.pixel(0, 0), kRed);
    EXPECT_EQ(fb.pixel(1, 0), kBlue);
}

TEST(Stretch, EveryDestinationPixelSamplesItsScaledSource) {
    // Up- and down-scaling in both directions, odd ratios included: destination (dx, dy)
    // shows source (dx * srcW / dstW, dy * srcH / dstH).
    const struct {
        int srcW, srcH, dstW, dstH;
    } cases[] = {{3, 2, 7, 5}, {7, 5, 3, 2}, {5, 5, 2, 2}, {4, 3, 4, 9}, {9, 1, 4, 1}, {1, 1, 5, 3}};
    for (const auto& c : cases) {
        const ovImage image = coordinateImage(c.srcW, c.srcH);
        ovFramebuffer fb(c.dstW, c.dstH, kBlack);
        ovCanvas canvas(fb);
        canvas.stretchBlitKeyed(image, 0, 0, c.dstW, c.dstH, kGreen);
        for (int y = 0; y < c.dstH; ++y)
            for (int x = 0; x < c.dstW; ++x)
                ASSERT_EQ(fb.pixel(x, y), ovRgb(static_cast<uint8_t>(x * c.srcW / c.dstW),
                                                static_cast<uint8_t>(y * c.srcH / c.dstH), 7))
                    << c.srcW << "x" << c.srcH << " -> " << c.dstW << "x" << c.dstH << " at " << x << ","
                    << y;
    }
}

TEST(Stretch, CornersMapToCorners) {
    const ovImage image = coordinateImage(3, 3);
    ovFramebuffer fb(12, 10, kBlack);
    ovCanvas canvas(fb);
    canvas.stretchBlitKeyed(image, 1, 1, 10, 8, kGreen);
    EXPECT_EQ(fb.pixel(1, 1), ovRgb(0, 0, 7));
    EXPECT_EQ(fb.pixel(10, 1), ovRgb(2, 0, 7));
    EXPECT_EQ(fb.pixel(1, 8), ovRgb(0, 2, 7));
    EXPECT_EQ(fb.pixel(10, 8), ovRgb(2, 2, 7));
    // Nothing outside the destination rectangle.
    EXPECT_EQ(fb.pixel(0, 0), kBlack);
    EXPECT_EQ(fb.pixel(11, 9), kBlack);
    EXPECT_EQ(fb.pixel(11, 1), kBlack);
    EXPECT_EQ(fb.pixel(1, 9), kBlack);
}

TEST(Stretch, ClippedBlitShowsTheSamePixelsAsAnUnclippedOne) {
    // Drawing onto a small framebuffer must give exactly the window of the same blit
    // drawn onto a large one, whichever edges are cut.
    const ovImage image = coordinateImage(5, 4);
    const int offsets[][2] = {{-7, -3}, {2, -5}, {-4, 3}, {3, 2}};
    for (const auto& o : offsets) {
        ovFramebuffer big(40, 40, kBlack);
        ovCanvas bigCanvas(big);
        bigCanvas.stretchBlitKeyed(image, 20 + o[0], 20 + o[1], 13, 11, kGreen);
        ovFramebuffer small(8, 8, kBlack);
        ovCanvas smallCanvas(small);
        smallCanvas.stretchBlitKeyed(image, o[0], o[1], 13, 11, kGreen);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(small.pixel(x, y), big.pixel(20 + x, 20 + y))
                    << o[0] << "," << o[1] << " at " << x << "," << y;
    }
}

TEST(Stretch, DegenerateInputDrawsNothing) {
    ovFramebuffer fb(4, 4, kRed);
    ovCanvas canvas(fb);
    const ovImage image = makeImage(2, 2, {kBlue, kBlue, kBlue, kBlue});
    canvas.stretchBlitKeyed(image, 0, 0, 0, 4, kGreen);
    canvas.stretchBlitKeyed(image, 0, 0, -3, 4, kGreen);
    canvas.stretchBlitKeyed(image, 4, 0, 2, 2, kGreen);
    canvas.stretchBlitKeyed(image, -2, -2, 2, 2, kGreen);
    canvas.stretchBlitKeyed(ovImage{}, 0, 0, 4, 4, kGreen);
    ovImage lying = image; // claims more pixels than it holds
    lying.width = 100;
    canvas.stretchBlitKeyed(lying, 0, 0, 4, 4, kGreen);
    canvas.alphaBlend(lying, 0, 0, 4, 4, 255);
    canvas.stretchBlitKeyed(image, 2147483000, 2147483000, 2000, 2000, kGreen);
    EXPECT_TRUE(drawnPixels(fb, kRed).empty());
}

// ---------------------------------------------------------------------------------
// Alpha blend

TEST(AlphaBlend, PremultipliedPictureBlendsAndItsGreenIsDrawn) {
    ovFramebuffer fb(4, 1, kBlue);
    ovCanvas canvas(fb);
    const ovImage image = makeImage(4, 1,
                                    {
                                        0xFF00FF00u, // opaque green: drawn like any colour
                                        0x80000080u, // red at alpha 128, premultiplied
                                        0x00000000u, // fully transparent
                                        0x40404040u, // grey at alpha 64, premultiplied
                                    },
                                    32);
    canvas.alphaBlend(image, 0, 0, 4, 1, 255);
    EXPECT_EQ(fb.pixel(0, 0), kGreen);
    // red 128 + 0; blue 0 + 255 * 127 / 255
    EXPECT_EQ(fb.pixel(1, 0), ovRgb(128, 0, 127));
    EXPECT_EQ(fb.pixel(2, 0), kBlue);
    // 64 + 255 * 191 / 255 = 255 for blue, 64 for red and green
    EXPECT_EQ(fb.pixel(3, 0), ovRgb(64, 64, 255));
}

TEST(AlphaBlend, ConstantOpacityScalesSourceAndAlpha) {
    ovFramebuffer fb(2, 1, kBlack);
    ovCanvas canvas(fb);
    fb.row(0)[1] = kWhite;
    const ovImage image = makeImage(2, 1, {0xFFFFFFFFu, 0xFF0000FFu}, 32);
    canvas.alphaBlend(image, 0, 0, 2, 1, 128);
    // white at 128/255 over black
    EXPECT_EQ(fb.pixel(0, 0), ovRgb(128, 128, 128));
    // red: 128 + 255 * 127 / 255 = 255; green, blue: 0 + 127
    EXPECT_EQ(fb.pixel(1, 0), ovRgb(255, 127, 127));
}

TEST(AlphaBlend, ColoursThatAreNotPremultipliedSaturate) {
    ovFramebuffer fb(1, 1, kWhite);
    ovCanvas canvas(fb);
    const ovImage image = makeImage(1, 1, {0x10FFFFFFu}, 32); // white claiming alpha 16
    canvas.alphaBlend(image, 0, 0, 1, 1, 255);
    EXPECT_EQ(fb.pixel(0, 0), kWhite) << "channels must not wrap around";
}

TEST(AlphaBlend, StretchesNearestNeighbour) {
    ovFramebuffer fb(4, 2, kBlack);
    ovCanvas canvas(fb);
    const ovImage image = makeImage(2, 1, {0xFF0000FFu, 0xFFFF0000u}, 32);
    canvas.alphaBlend(image, 0, 0, 4, 2, 255);
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(fb.pixel(0, y), kRed);
        EXPECT_EQ(fb.pixel(1, y), kRed);
        EXPECT_EQ(fb.pixel(2, y), kBlue);
        EXPECT_EQ(fb.pixel(3, y), kBlue);
    }
}

TEST(Blits, WideRowsFollowTheFormulaAtEveryPixel) {
    // Wide enough that the four-at-a-time row code and the pixel-by-pixel tail both
    // run, at 1:1 and stretched, against the rounded formulas written out here.
    std::mt19937 random(7);
    const int w = 37, h = 3;
    ovImage keyed = makeImage(w, h, {});
    ovImage premultiplied = makeImage(w, h, {}, 32);
    for (int i = 0; i < w * h; ++i) {
        keyed.pixels.push_back(random() % 3 == 0 ? 0xFF00FF00u : (random() | 0xFF000000u));
        const uint32_t a = i % 5 == 0 ? 255 : i % 7 == 0 ? 0 : random() % 256;
        uint32_t p = a << 24;
        for (int c = 0; c < 3; ++c)
            p |= (a == 0 ? 0 : random() % (a + 1)) << (8 * c);
        premultiplied.pixels.push_back(p);
    }
    auto round255 = [](uint32_t v) { return (v + 127) / 255; };
    for (int scale : {1, 2}) {
        ovFramebuffer background(w * scale, h * scale);
        for (int i = 0; i < w * scale * h * scale; ++i)
            background.data()[i] = random() & 0xFFFFFF;

        ovFramebuffer fb = background;
        ovCanvas canvas(fb);
        canvas.stretchBlitKeyed(keyed, 0, 0, w * scale, h * scale, kGreen);
        for (int y = 0; y < h * scale; ++y)
            for (int x = 0; x < w * scale; ++x) {
                const uint32_t src = keyed.at(x / scale, y / scale) & 0xFFFFFF;
                ASSERT_EQ(fb.pixel(x, y), src == kGreen ? background.pixel(x, y) : src) << x << "," << y;
            }

        for (uint32_t opacity : {255u, 128u, 1u}) {
            ovFramebuffer blended = background;
            ovCanvas blendCanvas(blended);
            blendCanvas.alphaBlend(premultiplied, 0, 0, w * scale, h * scale, static_cast<uint8_t>(opacity));
            for (int y = 0; y < h * scale; ++y)
                for (int x = 0; x < w * scale; ++x) {
                    const uint32_t src = premultiplied.at(x / scale, y / scale);
                    const uint32_t alpha = round255((src >> 24) * opacity);
                    ovColor expected = 0;
                    for (int c = 0; c < 3; ++c) {
                        const uint32_t s = (src >> (8 * c)) & 0xFF;
                        const uint32_t d = (background.pixel(x, y) >> (8 * c)) & 0xFF;
                        expected |= std::min(255u, round255(s * opacity) + round255(d * (255 - alpha)))
                                    << (8 * c);
                    }
                    ASSERT_EQ(blended.pixel(x, y), expected)
                        << "opacity " << opacity << " at " << x << "," << y;
                }
        }
    }
}

// ---------------------------------------------------------------------------------
// Rectangles, pens and lines

TEST(Rectangle, OutlineOnOuterPixelsAndBrushInside) {
    ovFramebuffer fb(8, 7, kGrey);
    ovCanvas canvas(fb);
    canvas.selectPen({ovPen::Solid, 1, kBlack});
    canvas.selectBrush({ovBrush::Solid, kWhite});
    canvas.rectangle(1, 1, 6, 5);
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 8; ++x) {
            ovColor expected = kGrey;
            const bool inside = x >= 1 && x <= 5 && y >= 1 && y <= 4;
            if (inside)
                expected = (x == 1 || x == 5 || y == 1 || y == 4) ? kBlack : kWhite;
            EXPECT_EQ(fb.pixel(x, y), expected) << x << "," << y;
        }
    }
}

TEST(Rectangle, HollowBrushNonePenAndReversedCorners) {
    ovFramebuffer fb(6, 6, kGrey);
    ovCanvas canvas(fb);
    canvas.selectPen({ovPen::Solid, 1, kBlack});
    canvas.selectBrush({ovBrush::Hollow, kWhite});
    canvas.rectangle(4, 4, 1, 1); // corners given the other way round
    EXPECT_EQ(fb.pixel(1, 1), kBlack);
    EXPECT_EQ(fb.pixel(3, 3), kBlack);
    EXPECT_EQ(fb.pixel(2, 2), kGrey) << "a hollow brush leaves the inside alone";
    EXPECT_EQ(fb.pixel(4, 4), kGrey);

    ovFramebuffer fb2(6, 6, kGrey);
    ovCanvas canvas2(fb2);
    canvas2.selectPen({ovPen::None, 1, kBlack});
    canvas2.selectBrush({ovBrush::Solid, kWhite});
    canvas2.rectangle(1, 1, 4, 4);
    EXPECT_EQ(drawnPixels(fb2, kGrey).size(), 9u);
    EXPECT_EQ(fb2.pixel(1, 1), kWhite);
    EXPECT_EQ(fb2.pixel(3, 3), kWhite);
}

TEST(Rectangle, DashedOutlineRunsFourOnTwoOffClockwiseAndBrushFillsInside) {
    const int l = 1, t = 1, r = 13, b = 9; // outline on x 1..12, y 1..8
    ovFramebuffer fb(15, 11, kGrey);
    ovCanvas canvas(fb);
    canvas.selectPen({ovPen::Dash, 1, kBlack});
    canvas.selectBrush({ovBrush::Solid, kWhite});
    canvas.rectangle(l, t, r, b);

    std::vector<ovPoint> path;
    for (int x = l; x < r - 1; ++x)
        path.push_back({x, t});
    for (int y = t; y < b - 1; ++y)
        path.push_back({r - 1, y});
    for (int x = r - 1; x > l; --x)
        path.push_back({x, b - 1});
    for (int y = b - 1; y > t; --y)
        path.push_back({l, y});
    ASSERT_EQ(path.size(), 2u * (12 - 1) + 2u * (8 - 1));
    for (size_t i = 0; i < path.size(); ++i) {
        const ovColor expected = i % 6 < 4 ? kBlack : kGrey;
        EXPECT_EQ(fb.pixel(path[i].x, path[i].y), expected) << "outline step " << i;
    }
    for (int y = t + 1; y < b - 1; ++y)
        for (int x = l + 1; x < r - 1; ++x)
            ASSERT_EQ(fb.pixel(x, y), kWhite) << x << "," << y;
    EXPECT_EQ(fb.pixel(r, t), kGrey);
    EXPECT_EQ(fb.pixel(l, b), kGrey);
}

TEST(Rectangle, ThinAndClippedRectangles) {
    ovFramebuffer fb(6, 4, kGrey);
    ovCanvas canvas(fb);
    canvas.selectPen({ovPen::Solid, 1, kBlack});
    canvas.selectBrush({ovBrush::Solid, kWhite});
    canvas.rectangle(1, 1, 5, 2); // one row high: only outline
    EXPECT_EQ(drawnPixels(fb, kGrey).size(), 4u);
    canvas.rectangle(2, 2, 2, 4); // zero width: nothing
    EXPECT_EQ(drawnPixels(fb, kGrey).size(), 4u);

    ovFramebuffer clipped(4, 4, kGrey);
    ovCanvas clippedCanvas(clipped);
    clippedCanvas.selectPen({ovPen::Solid, 1, kBlack});
    clippedCanvas.selectBrush({ovBrush::Solid, kWhite});
    clippedCanvas.rectangle(-1000000000, -3, 2, 1000000000);
    EXPECT_EQ(clipped.pixel(0, 0), kWhite);
    EXPECT_EQ(clipped.pixel(1, 3), kBlack) << "right edge of the outline";
    EXPECT_EQ(clipped.pixel(2, 0), kGrey);
}

TEST(Line, LineToLeavesOutItsEndPoint) {
    ovFramebuffer fb(8, 8, kWhite);
    ovCanvas canvas(fb);
    canvas.selectPen({ovPen::Solid, 1, kBlack});
    canvas.moveTo(1, 1);
    canvas.lineTo(5, 1);
    EXPECT_EQ(drawnPixels(fb, kWhite), (std::vector<ovPoint>{{1, 1}, {2, 1}, {3, 1}, {4, 1}}));
    EXPECT_EQ(canvas.position(), (ovPoint{5, 1}));

    ovFramebuffer diag(8, 8, kWhite);
    ovCanvas diagCanvas(diag);
    diagCanvas.selectPen({ovPen::Solid, 1, kBlack});
    diagCanvas.moveTo(6, 6);
    diagCanvas.lineTo(2, 2);
    EXPECT_EQ(drawnPixels(diag, kWhite), (std::vector<ovPoint>{{3, 3}, {4, 4}, {5, 5}, {6, 6}}));

    ovFramebuffer none(4, 4, kWhite);
    ovCanvas noneCanvas(none);
    noneCanvas.selectPen({ovPen::Solid, 1, kBlack});
    noneCanvas.moveTo(2, 2);
    noneCanvas.lineTo(2, 2);
    EXPECT_TRUE(drawnPixels(none, kWhite).empty()) << "a line to its own start draws nothing";
}

TEST(Line, SteepLineHasOnePixelPerRowAndStaysConnected) {
    ovFramebuffer fb(10, 20, kWhite);
    ovCanvas canvas(fb);
    canvas.selectPen({ovPen::Solid, 1, kBlack});
    canvas.moveTo(1, 0);
    canvas.lineTo(8, 19);
    const auto pixels = drawnPixels(fb, kWhite);
    ASSERT_EQ(pixels.size(), 19u);
    for (size_t i = 0; i < pixels.size(); ++i) {
        EXPECT_EQ(pixels[i].y, static_cast<int>(i));
        if (i > 0) {
            EXPECT_LE(pixels[i].x - pixels[i - 1].x, 1);
        }
    }
    EXPECT_EQ(pixels.front().x, 1);
    EXPECT_GE(pixels.back().x, 7);
}

TEST(Line, DashPatternContinuesAcrossLineToAndRestartsAtMoveTo) {
    ovFramebuffer fb(12, 2, kWhite);
    ovCanvas canvas(fb);
    canvas.selectPen({ovPen::Dash, 1, kBlack});
    canvas.moveTo(0, 0);
    canvas.lineTo(3, 0);
    canvas.lineTo(12, 0);
    canvas.moveTo(0, 1);
    canvas.lineTo(12, 1);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(fb.pixel(x, y), x % 6 < 4 ? kBlack : kWhite) << x << "," << y;
}

TEST(Line, ClippedLinesMatchTheSameLineDrawnUnclipped) {
    // The clipped path skips the steps off the framebuffer; it must land on exactly the
    // pixels (and dash phase) the full walk would.
    const int lines[][4] = {{-50, -20, 90, 37}, {30, -41, -9, 60}, {-3, 12, 40, -7}, {-60, 5, 70, 6}};
    for (int style : {int(ovPen::Solid), int(ovPen::Dash)}) {
        for (const auto& l : lines) {
            ovFramebuffer big(300, 300, kWhite);
            ovCanvas bigCanvas(big);
            bigCanvas.selectPen({style, 1, kBlack});
            bigCanvas.moveTo(l[0] + 100, l[1] + 100);
            bigCanvas.lineTo(l[2] + 100, l[3] + 100);
            ovFramebuffer small(16, 16, kWhite);
            ovCanvas smallCanvas(small);
            smallCanvas.selectPen({style, 1, kBlack});
            smallCanvas.moveTo(l[0], l[1]);
            smallCanvas.lineTo(l[2], l[3]);
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    ASSERT_EQ(small.pixel(x, y), big.pixel(x + 100, y + 100))
                        << "style " << style << " line " << l[0] << "," << l[1] << " at " << x << "," << y;
        }
    }
}

TEST(Line, FarAwayEndPointsAreClippedWithoutWalkingThem) {
    ovFramebuffer fb(8, 4, kWhite);
    ovCanvas canvas(fb);
    canvas.selectPen({ovPen::Solid, 1, kBlack});
    canvas.moveTo(-2000000000, 2);
    canvas.lineTo(2000000000, 2);
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(fb.pixel(x, 2), kBlack);
    EXPECT_EQ(drawnPixels(fb, kWhite).size(), 8u);
    canvas.moveTo(-2147483647, -2147483647);
    canvas.lineTo(2147483647, 2147483647);
    EXPECT_EQ(fb.pixel(3, 3), kBlack);
}

TEST(Line, NonePenDrawsNothingAndWidePenIsThicker) {
    ovFramebuffer fb(8, 8, kWhite);
    ovCanvas canvas(fb);
    canvas.selectPen({ovPen::None, 1, kBlack});
    canvas.moveTo(0, 4);
    canvas.lineTo(8, 4);
    EXPECT_TRUE(drawnPixels(fb, kWhite).empty());
    canvas.selectPen({ovPen::Solid, 3, kBlack});
    canvas.moveTo(0, 4);
    canvas.lineTo(8, 4);
    EXPECT_EQ(fb.pixel(4, 3), kBlack);
    EXPECT_EQ(fb.pixel(4, 4), kBlack);
    EXPECT_EQ(fb.pixel(4, 5), kBlack);
    EXPECT_EQ(fb.pixel(4, 6), kWhite);
}

// ---------------------------------------------------------------------------------
// Plain fills and copies

TEST(FillAndCopy, ClipToTheFramebuffer) {
    ovFramebuffer fb(4, 3, kWhite);
    ovCanvas canvas(fb);
    canvas.fillRect({-5, -5, 2, 1}, kRed);
    canvas.fillRect({3, 2, 100, 100}, kBlue);
    canvas.fillRect({3, 0, 1, 2}, kBlack); // inverted: empty
    EXPECT_EQ(drawnPixels(fb, kWhite), (std::vector<ovPoint>{{0, 0}, {1, 0}, {3, 2}}));
    EXPECT_EQ(fb.pixel(0, 0), kRed);
    EXPECT_EQ(fb.pixel(3, 2), kBlue);

    ovFramebuffer source(3, 2, kGreen);
    source.row(1)[2] = kBlack;
    ovFramebuffer dest(4, 3, kWhite);
    ovCanvas destCanvas(dest);
    destCanvas.copyFrom(source, 2, 1);
    EXPECT_EQ(dest.pixel(1, 1), kWhite);
    EXPECT_EQ(dest.pixel(2, 1), kGreen);
    EXPECT_EQ(dest.pixel(3, 2), kGreen);
    destCanvas.copyFrom(source, -2, -1);
    EXPECT_EQ(dest.pixel(0, 0), kBlack);
    EXPECT_EQ(dest.pixel(1, 0), kWhite);
}

} // namespace

namespace {
TEST(CanvasShapes, RoundRectCutsItsCornersAndDimKeepsAShareOfEachChannel) {
    ovFramebuffer f(12, 8, ovRgb(0, 0, 0));
    ovCanvas canvas(f);
    const ovColor blue = ovRgb(40, 80, 200);
    canvas.fillRoundRect({1, 1, 11, 7}, 3, blue);
    EXPECT_EQ(f.pixel(1, 1), ovRgb(0, 0, 0)) << "the corner is cut";
    EXPECT_EQ(f.pixel(10, 6), ovRgb(0, 0, 0));
    EXPECT_EQ(f.pixel(1, 4), blue) << "the middle rows reach both edges";
    EXPECT_EQ(f.pixel(10, 4), blue);
    EXPECT_EQ(f.pixel(6, 1), blue) << "the top row is there between the corners";
    EXPECT_EQ(f.pixel(11, 4), ovRgb(0, 0, 0)) << "filled up to, not including, the right edge";

    // Half of each channel, red in the low byte as everywhere.
    canvas.dim({0, 0, 6, 8}, 128);
    EXPECT_EQ(f.pixel(1, 4), ovRgb(20, 40, 100));
    EXPECT_EQ(f.pixel(10, 4), blue) << "outside the dimmed rectangle";
    EXPECT_EQ(ovDimmed(ovRgb(255, 255, 255), 96), ovRgb(95, 95, 95));
    // A rectangle hanging over the edges dims what lies inside the framebuffer.
    canvas.dim({-5, -5, 100, 100}, 0);
    EXPECT_EQ(f.pixel(10, 4), ovRgb(0, 0, 0));
}
} // namespace
