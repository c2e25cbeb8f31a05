// The pictures drawn for the display: drawn at the screen's own size and loaded in
// place of the shipped ones, never missing when the cache cannot be written, and drawn
// afresh when another version drew them.
#include "pictures/ovPictureCache.h"
#include "gfx/ovCanvas.h"
#include "gfx/ovImage.h"
#include "pictures/ovDisplayPictures.h"
#include "pictures/ovPictureSet.h"
#include "shell/ovApp.h"
#include "shell/ovPaths.h"
#include "support/ovTestProgram.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <thread>

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

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The program draws the pictures its first frame does not need beside it; this waits
// for the last of them.
bool waitForEveryPicture(const fs::path& drawn) {
    for (int i = 0; i < 2400; ++i) {
        bool all = true;
        for (const char* name : ovPictureNames)
            all = all && fs::is_regular_file(drawn / name);
        if (all)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}
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
    // The full-screen pictures have the screen's size, so nothing stretches them: also the
    // background, which the home screen does not show, drawn when it is first drawn.
    ASSERT_TRUE(app.background != nullptr);
    ovFramebuffer frame(width, height);
    ovCanvas canvas(frame);
    app.bitmaps.blit(app.background, canvas, 0, 0, width, height, ovColourKey, 255, 1.0f, 1.0f);
    ASSERT_TRUE(app.background->handle != nullptr);
    EXPECT_EQ(app.background->handle->width, width);
    EXPECT_EQ(app.background->handle->height, height);
    ASSERT_TRUE(waitForEveryPicture(drawn));
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

TEST_F(ovPictureCache, AStartEndedHalfwayLeavesAFolderTheNextStartCompletesKeepingWhatWasDrawn) {
    const ovPictureSize size{240, 268};
    const fs::path drawn = folder / "240x268";
    {
        auto first = ovDisplayPictures::open(folder.string(), size, "orvida 1");
        ASSERT_TRUE(first.ok()) << first.reason();
        ASSERT_TRUE(first.value()->draw("homeScreen.bmp"));
        ASSERT_TRUE(first.value()->draw("nodeStart.bmp"));
        EXPECT_FALSE(first.value()->complete());
    }
    // What a process killed while drawing leaves: its own folder with half a picture.
    fs::create_directory(drawn / ".drawing-999999999-1");
    std::ofstream(drawn / ".drawing-999999999-1" / "calculator.bmp") << "BM half";
    // Marked, to tell whether the next start draws it again.
    std::ofstream(drawn / "nodeStart.bmp", std::ios::app) << "kept";
    const std::string kept = contents(drawn / "nodeStart.bmp");

    // The half-drawn set is not taken for a whole one ...
    const ovResult<std::string> next = ovPicturesForDisplay(folder.string(), size, "orvida 1");
    ASSERT_TRUE(next.ok()) << next.reason();
    for (const char* name : ovPictureNames)
        EXPECT_TRUE(fs::is_regular_file(drawn / name)) << name;
    EXPECT_FALSE(fs::exists(drawn / ".drawing-999999999-1"));
    const ovResult<ovImage> calculator = ovLoadBmpFile((drawn / "calculator.bmp").string());
    ASSERT_TRUE(calculator.ok()) << calculator.reason();
    EXPECT_EQ(calculator.value().width, 240);
    // ... and what it had drawn is kept, not drawn again.
    EXPECT_TRUE(contents(drawn / "nodeStart.bmp") == kept) << "a picture already there was drawn again";

    // Now whole: a later start draws nothing.
    auto later = ovDisplayPictures::open(folder.string(), size, "orvida 1");
    ASSERT_TRUE(later.ok()) << later.reason();
    EXPECT_TRUE(later.value()->complete());

    // A half-drawn set of another version keeps nothing.
    {
        fs::remove(drawn / "calculator.bmp");
        auto again = ovDisplayPictures::open(folder.string(), size, "orvida 1");
        ASSERT_TRUE(again.ok());
        EXPECT_FALSE(again.value()->complete());
    }
    auto other = ovDisplayPictures::open(folder.string(), size, "orvida 2");
    ASSERT_TRUE(other.ok()) << other.reason();
    EXPECT_FALSE(fs::exists(drawn / "nodeStart.bmp"));
    EXPECT_FALSE(fs::exists(drawn / "homeScreen.bmp"));
}

TEST_F(ovPictureCache, APictureNotDrawnYetIsDrawnWhenFirstNeededAndShown) {
    ovTestProgram program(240, 320);
    // Not the shipped pictures' size, so that what is shown tells which one it is.
    const ovPictureSize size{360, 600};
    auto opened = ovDisplayPictures::open(folder.string(), size, "orvida 1");
    ASSERT_TRUE(opened.ok()) << opened.reason();
    ovDisplayPictures& pictures = *opened.value();
    const fs::path drawn = pictures.folder();
    ovBitmapStore store;
    int asked = 0;
    store.setDisplayFolder(drawn.string(), [&](const std::string& name) {
        ++asked;
        return pictures.draw(name);
    });

    // Loading draws nothing: a picture is drawn when it is first drawn.
    const ovBitmap* small = store.loadBitmap(program.system(), imagePath("nodeStart.bmp"), false);
    const ovBitmap* big = store.loadBitmap(program.system(), imagePath("calculator.bmp"), false);
    EXPECT_EQ(asked, 0);
    EXPECT_FALSE(fs::exists(drawn / "calculator.bmp"));
    EXPECT_TRUE(small->loaded() && big->loaded());

    ovFramebuffer frame(360, 600, 0x123456);
    ovCanvas canvas(frame);
    store.blit(big, canvas, 0, 0, 360, 600, ovColourKey, 255, 1.0f, 1.0f);
    EXPECT_EQ(asked, 1);
    store.blit(small, canvas, 0, 0, 10, 10, ovColourKey, 255, 1.0f, 1.0f);
    store.blit(big, canvas, 0, 0, 360, 600, ovColourKey, 255, 1.0f, 1.0f);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(fs::is_regular_file(drawn / "nodeStart.bmp"));
    const ovResult<ovImage> calculator = ovLoadBmpFile((drawn / "calculator.bmp").string());
    ASSERT_TRUE(calculator.ok()) << calculator.reason();
    // What is on the screen is the picture drawn, pixel for pixel.
    EXPECT_EQ(calculator.value().width, 360);
    for (int y = 0; y < 600; y += 7)
        for (int x = 0; x < 360; x += 5)
            ASSERT_EQ(frame.pixel(x, y) & 0xFFFFFF, calculator.value().at(x, y) & 0xFFFFFF) << x << "," << y;
}
