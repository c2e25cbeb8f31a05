#include "gfx/ovPngWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

// Our own decoder copy, static so that it cannot clash with the library's.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#include <stb_image.h>

namespace {

TEST(PngWriter, RoundTripKeepsEveryColourAndDropsTheTopByte) {
    const auto path =
        (std::filesystem::temp_directory_path() / ("ov_png_" + std::to_string(::getpid()) + ".png")).string();
    ovFramebuffer frame(3, 2, ovRgb(1, 2, 3));
    frame.row(0)[1] = 0xAB00FF00u; // green with junk in the unused byte
    frame.row(1)[2] = ovRgb(250, 128, 7);
    const ovResult<> written = ovWritePng(frame, path);
    ASSERT_TRUE(written.ok()) << written.reason();

    int w = 0, h = 0, channels = 0;
    unsigned char* rgb = stbi_load(path.c_str(), &w, &h, &channels, 0);
    std::filesystem::remove(path);
    ASSERT_NE(rgb, nullptr);
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(channels, 3) << "opaque RGB, no alpha channel";
    auto at = [&](int x, int y, int c) { return rgb[(y * w + x) * 3 + c]; };
    EXPECT_EQ(at(0, 0, 0), 1);
    EXPECT_EQ(at(0, 0, 1), 2);
    EXPECT_EQ(at(0, 0, 2), 3);
    EXPECT_EQ(at(1, 0, 0), 0);
    EXPECT_EQ(at(1, 0, 1), 255);
    EXPECT_EQ(at(1, 0, 2), 0);
    EXPECT_EQ(at(2, 1, 0), 250);
    EXPECT_EQ(at(2, 1, 1), 128);
    EXPECT_EQ(at(2, 1, 2), 7);
    stbi_image_free(rgb);
}

TEST(PngWriter, FailuresNameTheFile) {
    ovFramebuffer frame(2, 2);
    const ovResult<> missing = ovWritePng(frame, "/nonexistent/dir/shot.png");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.reason(), "cannot write /nonexistent/dir/shot.png: No such file or directory");
    const auto path =
        (std::filesystem::temp_directory_path() / ("ov_empty_" + std::to_string(::getpid()) + ".png"))
            .string();
    const ovResult<> empty = ovWritePng(ovFramebuffer(), path);
    ASSERT_FALSE(empty.ok());
    EXPECT_NE(empty.reason().find(path), std::string::npos) << empty.reason();
    EXPECT_FALSE(std::filesystem::exists(path));
}

} // namespace
