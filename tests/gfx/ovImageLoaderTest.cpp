#include "gfx/ovImage.h"
#include "ovBmpBytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

namespace {

using ovtest::makeBmp;
using ovtest::makePaletteBmp;
using ovtest::put16;
using ovtest::put32;

ovResult<ovImage> decode(const std::vector<uint8_t>& bytes, const std::string& name = "pic.bmp") {
    return ovDecodeBmp(bytes.data(), bytes.size(), name);
}

class TempDir {
public:
    TempDir() {
        path_ = std::filesystem::temp_directory_path() / ("ov_gfx_test_" + std::to_string(::getpid()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    std::string file(const std::string& name, const std::vector<uint8_t>& bytes) const {
        const auto p = path_ / name;
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return p.string();
    }
    std::string path(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// ---------------------------------------------------------------------------------
// Decoding

TEST(BmpDecode, TrueColourPicturesKeepOrientationAndGetOpaqueAlpha) {
    // BMP order 0xRRGGBB in, ovImage 0xAABBGGRR out.
    for (bool topDown : {false, true}) {
        const auto bytes =
            makeBmp(3, 2, 24, {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0x000000}, topDown);
        const ovResult<ovImage> r = decode(bytes);
        ASSERT_TRUE(r.ok()) << r.reason();
        EXPECT_EQ(r.value().width, 3);
        EXPECT_EQ(r.value().height, 2);
        EXPECT_EQ(r.value().bitsPerPixel, 24);
        EXPECT_EQ(r.value().at(0, 0), 0xFF0000FFu) << "red, top left";
        EXPECT_EQ(r.value().at(1, 0), 0xFF00FF00u);
        EXPECT_EQ(r.value().at(2, 0), 0xFFFF0000u);
        EXPECT_EQ(r.value().at(0, 1), 0xFF563412u);
        EXPECT_EQ(r.value().at(2, 1), 0xFF000000u);
    }
}

TEST(BmpDecode, ThirtyTwoBitPicturesKeepTheirPremultipliedAlpha) {
    const auto bytes = makeBmp(2, 1, 32, {0x80800000u /* red 128, alpha 128 */, 0xFF00FF00u});
    const ovResult<ovImage> r = decode(bytes);
    ASSERT_TRUE(r.ok()) << r.reason();
    EXPECT_EQ(r.value().bitsPerPixel, 32);
    EXPECT_EQ(r.value().at(0, 0), 0x80000080u);
    EXPECT_EQ(r.value().at(1, 0), 0xFF00FF00u);
}

TEST(BmpDecode, PaletteAndSixteenBitPictures) {
    const auto pal = makePaletteBmp(3, 2, {0x000000, 0x00FF00, 0xFF0000}, {1, 2, 0, 0, 0, 1});
    const ovResult<ovImage> p = decode(pal);
    ASSERT_TRUE(p.ok()) << p.reason();
    EXPECT_EQ(p.value().bitsPerPixel, 8);
    EXPECT_EQ(p.value().at(0, 0), 0xFF00FF00u);
    EXPECT_EQ(p.value().at(1, 0), 0xFF0000FFu);
    EXPECT_EQ(p.value().at(2, 1), 0xFF00FF00u);

    const auto sixteen = makeBmp(2, 1, 16, {0xFF0000, 0x00FF00});
    const ovResult<ovImage> s = decode(sixteen);
    ASSERT_TRUE(s.ok()) << s.reason();
    EXPECT_EQ(s.value().bitsPerPixel, 16);
    EXPECT_EQ(s.value().at(0, 0), 0xFF0000FFu);
    EXPECT_EQ(s.value().at(1, 0), 0xFF00FF00u);
}

TEST(BmpFile, TrueColourFilesAreReadRowByRowInEitherOrderAndAcrossReads) {
    // Big enough that its rows come in several reads, the last one short, and of a width
    // whose rows are padded.
    constexpr int kWidth = 301, kHeight = 300;
    std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            pixels[static_cast<size_t>(y) * kWidth + x] = static_cast<uint32_t>(x * 7919 + y * 104729);
    TempDir dir;
    for (bool topDown : {false, true}) {
        const std::string path = dir.file("big.bmp", makeBmp(kWidth, kHeight, 24, pixels, topDown));
        const ovResult<ovImage> r = ovLoadBmpFile(path);
        ASSERT_TRUE(r.ok()) << r.reason();
        ASSERT_EQ(r.value().pixels.size(), pixels.size());
        int wrong = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const uint32_t p = pixels[static_cast<size_t>(y) * kWidth + x];
                const uint32_t expected =
                    0xFF000000u | ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
                wrong += r.value().at(x, y) != expected;
            }
        EXPECT_EQ(wrong, 0) << (topDown ? "top-down" : "bottom-up");
    }

    // A file that ends inside its rows is refused as the whole file would be.
    auto cut = makeBmp(kWidth, kHeight, 24, pixels);
    cut.resize(cut.size() - 1);
    const std::string truncated = dir.file("cut.bmp", cut);
    EXPECT_EQ(ovLoadBmpFile(truncated).reason(), truncated + " is not a BMP picture (truncated pixel data)");
}

TEST(BmpFile, ThirtyTwoBitPicturesWithoutAnyAlphaAreOpaque) {
    // Programs that leave the fourth byte unused write zeros there: such a picture is
    // shown, not drawn as nothing. One non-zero alpha makes the zeros mean transparent.
    TempDir dir;
    const ovResult<ovImage> unused =
        ovLoadBmpFile(dir.file("unused.bmp", makeBmp(2, 2, 32, {0x00102030, 0x00405060, 0, 0x00FFFFFF})));
    ASSERT_TRUE(unused.ok()) << unused.reason();
    EXPECT_EQ(unused.value().at(0, 0), 0xFF302010u);
    EXPECT_EQ(unused.value().at(0, 1), 0xFF000000u);
    EXPECT_EQ(unused.value().at(1, 1), 0xFFFFFFFFu);

    const ovResult<ovImage> used =
        ovLoadBmpFile(dir.file("used.bmp", makeBmp(2, 2, 32, {0x00102030, 0x00405060, 0, 0x01010101})));
    ASSERT_TRUE(used.ok()) << used.reason();
    EXPECT_EQ(used.value().at(0, 0), 0x00302010u);
    EXPECT_EQ(used.value().at(1, 1), 0x01010101u);
}

// ---------------------------------------------------------------------------------
// Refusals: every message names the picture and none of them crashes

TEST(BmpErrors, MissingFileAndDirectoryNameThePath) {
    const ovResult<ovImage> missing = ovLoadBmpFile("/nonexistent/dir/pic.bmp");
    EXPECT_FALSE(missing.ok());
    EXPECT_EQ(missing.reason(), "cannot open /nonexistent/dir/pic.bmp: No such file or directory");

    TempDir dir;
    const ovResult<ovImage> directory = ovLoadBmpFile(dir.path(""));
    EXPECT_FALSE(directory.ok());
    EXPECT_NE(directory.reason().find(dir.path("")), std::string::npos) << directory.reason();
}

TEST(BmpErrors, FilesThatAreNotBmpPictures) {
    TempDir dir;
    const std::string garbage =
        dir.file("garbage.bmp", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});
    const ovResult<ovImage> g = ovLoadBmpFile(garbage);
    EXPECT_FALSE(g.ok());
    EXPECT_EQ(g.reason().rfind(garbage + " is not a BMP picture (", 0), 0u) << g.reason();

    const std::string empty = dir.file("empty.bmp", {});
    EXPECT_NE(ovLoadBmpFile(empty).reason().find(empty), std::string::npos);

    auto valid = makeBmp(2, 2, 24, {1, 2, 3, 4});
    const std::string good = dir.file("good.bmp", valid);
    const ovResult<ovImage> ok = ovLoadBmpFile(good);
    ASSERT_TRUE(ok.ok()) << ok.reason();
    EXPECT_EQ(ok.value().bitsPerPixel, 24);

    const std::string shortHeader = dir.file("short.bmp", {valid.begin(), valid.begin() + 30});
    const ovResult<ovImage> s = ovLoadBmpFile(shortHeader);
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.reason().find(shortHeader), std::string::npos);
    EXPECT_NE(s.reason().find("truncated"), std::string::npos) << s.reason();
}

TEST(BmpErrors, HeaderFieldsThatCannotBeTrusted) {
    const auto valid = makeBmp(4, 3, 24, std::vector<uint32_t>(12, 0x808080));
    struct Case {
        const char* what;
        size_t at;
        uint32_t value;
        bool wide;
        const char* expect;
    } cases[] = {
        {"huge picture", 18, 100000, true, "too large"},
        {"negative width", 18, 0xFFFFFFFFu, true, "invalid size"},
        {"zero height", 22, 0, true, "invalid size"},
        {"most negative height", 22, 0x80000000u, true, "invalid size"},
        {"odd depth", 28, 7, false, "bits per pixel"},
        {"run-length compression", 30, 1, true, "compression"},
        {"pixel data beyond the end", 10, 0xFFFFFF00u, true, "offset"},
        {"pixel data inside the header", 10, 20, true, "offset"},
        {"unknown header", 14, 41, true, "header"},
        {"two planes", 26, 2, false, "plane"},
    };
    for (const Case& c : cases) {
        auto bytes = valid;
        if (c.wide)
            put32(bytes, c.at, c.value);
        else
            put16(bytes, c.at, c.value);
        if (c.at == 18 && c.value == 100000)
            put32(bytes, 22, 100000);
        const ovResult<ovImage> r = decode(bytes, "/pics/bad.bmp");
        EXPECT_FALSE(r.ok()) << c.what;
        EXPECT_NE(r.reason().find("/pics/bad.bmp"), std::string::npos) << c.what << ": " << r.reason();
        EXPECT_NE(r.reason().find(c.expect), std::string::npos) << c.what << ": " << r.reason();
    }

    auto truncated = valid;
    truncated.resize(truncated.size() - 5);
    EXPECT_NE(decode(truncated).reason().find("truncated pixel data"), std::string::npos);

    auto badIndex = makePaletteBmp(2, 1, {0x000000, 0xFFFFFF}, {1, 5});
    EXPECT_NE(decode(badIndex).reason().find("palette"), std::string::npos);

    EXPECT_FALSE(ovDecodeBmp(nullptr, 0, "null.bmp").ok());
}

TEST(BmpErrors, EveryTruncationAndRandomDamageIsRefusedOrDecoded) {
    // Run under the sanitizers this walks the parser over many broken files; here it
    // checks that each answer is either a sound picture or an error naming the file.
    const std::vector<std::vector<uint8_t>> seeds = {
        makeBmp(5, 3, 24, std::vector<uint32_t>(15, 0x00FF00)),
        makeBmp(3, 3, 32, std::vector<uint32_t>(9, 0x80402010)),
        makeBmp(7, 2, 16, std::vector<uint32_t>(14, 0xFFFFFF)),
        makePaletteBmp(5, 2, {0, 0xFF, 0xFF00}, {0, 1, 2, 1, 0, 2, 2, 1, 0, 0}),
    };
    auto check = [](const std::vector<uint8_t>& bytes) {
        const ovResult<ovImage> r = ovDecodeBmp(bytes.data(), bytes.size(), "fuzz.bmp");
        if (r.ok()) {
            ASSERT_GT(r.value().width, 0);
            ASSERT_GT(r.value().height, 0);
            ASSERT_EQ(r.value().pixels.size(), static_cast<size_t>(r.value().width) * r.value().height);
        } else {
            ASSERT_NE(r.reason().find("fuzz.bmp"), std::string::npos) << r.reason();
        }
    };
    std::mt19937 random(12345);
    for (const auto& seed : seeds) {
        for (size_t n = 0; n < seed.size(); ++n)
            check({seed.begin(), seed.begin() + static_cast<ptrdiff_t>(n)});
        for (int round = 0; round < 2000; ++round) {
            auto bytes = seed;
            const int flips = 1 + static_cast<int>(random() % 4);
            for (int f = 0; f < flips; ++f)
                bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
            check(bytes);
        }
    }
}

} // namespace
