// The pictures drawn for the display: drawn at the screen's own size and loaded in
// place of the shipped ones, never missing when the cache cannot be written, and drawn
// afresh when another version drew them.
#include "pictures/ovPictureCache.h"
#include "gfx/ovImage.h"
#include "pictures/ovPictureSet.h"
#include "shell/ovApp.h"
#include "support/ovTestProgram.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace fs = std::filesystem;

namespace {
class ovPictureCache : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "ovPictureCacheTest-XXXXXX").string();
        folder = mkdtemp(pattern.data());
        if (const char* old = std::getenv("XDG_CACHE_HOME"))
            savedCache = old;
    }
    void TearDown() override {
        if (savedCache.empty())
            unsetenv("XDG_CACHE_HOME");
        else
            setenv("XDG_CACHE_HOME", savedCache.c_str(), 1);
        fs::remove_all(folder);
    }
    // Every picture the program loaded at its first paint came out whole.
    static void expectEveryPictureLoaded(ovApp& app) {
        ASSERT_GT(app.bitmaps.pictures().count(), ovPictureCount / 2);
        for (const ovBitmap* picture : app.bitmaps.pictures())
            EXPECT_TRUE(picture->loaded() && picture->width > 0);
    }
    fs::path folder;
    std::string savedCache;
};
} // namespace

TEST_F(ovPictureCache, PicturesAreDrawnForTheScreenAndLoadedInsteadOfTheShippedOnes) {
    setenv("XDG_CACHE_HOME", folder.c_str(), 1);
    ovTestProgram program(720, 1440);
    program.run("wait 20");
    ovApp& app = program.app();
    const int width = app.screenRect.width(), height = app.screenRect.height();
    const fs::path drawn =
        folder / "orvida" / "pictures" / (std::to_string(width) + "x" + std::to_string(height));
    EXPECT_EQ(app.bitmaps.displayFolder(), drawn.string());
    expectEveryPictureLoaded(app);
    // The full-screen pictures have the screen's size, so nothing stretches them.
    ASSERT_TRUE(app.background != nullptr);
    EXPECT_EQ(app.background->width, width);
    EXPECT_EQ(app.background->height, height);
    for (const char* name : {"homeScreen.bmp", "inputkb.bmp", "timepicker.bmp", "calculator.bmp"}) {
        const ovResult<ovImage> picture = ovLoadBmpFile((drawn / name).string());
        ASSERT_TRUE(picture.ok()) << picture.reason();
        EXPECT_EQ(picture.value().width, width) << name;
        EXPECT_EQ(picture.value().height, height) << name;
    }
}

TEST_F(ovPictureCache, ACacheThatCannotBeWrittenStillGivesEveryPicture) {
    // A file where the cache folder would go.
    std::ofstream(folder / "orvida") << "not a folder";
    setenv("XDG_CACHE_HOME", folder.c_str(), 1);
    ovTestProgram program(720, 1440);
    program.run("wait 20");
    EXPECT_EQ(program.app().bitmaps.displayFolder(), "");
    expectEveryPictureLoaded(program.app());
    // The shipped background, stretched as before.
    EXPECT_EQ(program.app().background->width, 480);
}

TEST_F(ovPictureCache, PicturesOfAnotherVersionAreDrawnAfreshAndOfThisOneOnlyLoaded) {
    const ovPictureSize size{240, 268};
    const ovResult<std::string> first = ovPicturesForDisplay(folder.string(), size, "orvida 1");
    ASSERT_TRUE(first.ok()) << first.reason();
    const fs::path picture = fs::path(first.value()) / "homeScreen.bmp";
    std::ofstream(picture, std::ios::trunc) << "spoilt";

    // The same version finds its folder and draws nothing.
    const ovResult<std::string> again = ovPicturesForDisplay(folder.string(), size, "orvida 1");
    ASSERT_TRUE(again.ok()) << again.reason();
    EXPECT_EQ(again.value(), first.value());
    EXPECT_FALSE(ovLoadBmpFile(picture.string()).ok());

    // Another version draws them again.
    const ovResult<std::string> next = ovPicturesForDisplay(folder.string(), size, "orvida 2");
    ASSERT_TRUE(next.ok()) << next.reason();
    EXPECT_EQ(next.value(), first.value());
    const ovResult<ovImage> redrawn = ovLoadBmpFile(picture.string());
    ASSERT_TRUE(redrawn.ok()) << redrawn.reason();
    EXPECT_EQ(redrawn.value().width, 240);
    EXPECT_EQ(redrawn.value().height, 268);
}
