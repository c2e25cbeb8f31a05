#include "support/ovTestProgram.h"

#include "shell/ovBackBuffer.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

TEST(MissingPictures, EachIsReportedOnceAndTheProgramGoesOn) {
    const fs::path empty = fs::temp_directory_path() / "orvida-no-pictures";
    fs::create_directories(empty);
    // No pictures beside the executable, and none drawn for the display: the cache is a
    // file, so nothing can be kept there.
    const char* saved = std::getenv("XDG_CACHE_HOME");
    const std::string savedCache = saved != nullptr ? saved : "";
    std::ofstream(empty / "cache") << "not a folder";
    setenv("XDG_CACHE_HOME", (empty / "cache").c_str(), 1);
    ovTestProgram p(240, 320, (empty / "orvida").string());
    if (savedCache.empty())
        unsetenv("XDG_CACHE_HOME");
    else
        setenv("XDG_CACHE_HOME", savedCache.c_str(), 1);
    // background, the five node pictures of the navigator, then each module's pictures
    const auto& messages = p.system().messages();
    const size_t reported = messages.size();
    ASSERT_GE(reported, 6u);
    ASSERT_EQ(reported, static_cast<size_t>(p.app().bitmaps.pictures().count()));
    for (const auto& m : messages)
        EXPECT_EQ(m.caption, "Error");
    EXPECT_NE(messages[0].text.find("background.bmp"), std::string::npos);
    EXPECT_NE(messages[1].text.find("nodeStart.bmp"), std::string::npos);
    // the modules' own pictures come after the application's and the navigator's
    auto reportedAfterNavigator = [&](const char* name) {
        for (size_t i = 6; i < messages.size(); ++i)
            if (messages[i].text.find(name) != std::string::npos)
                return true;
        return false;
    };
    EXPECT_TRUE(reportedAfterNavigator("HyperbarPlugin1.bmp"));
    EXPECT_TRUE(reportedAfterNavigator("homeScreen.bmp"));
    EXPECT_TRUE(reportedAfterNavigator("inputkb.bmp"));

    const int repaints = p.app().repaintCount;
    p.run("wait 100\ntap 140 114\nwait 100");
    EXPECT_EQ(messages.size(), reported); // not again at later frames
    EXPECT_GT(p.app().repaintCount, repaints);
    EXPECT_EQ(p.nav().current->nodeId, ovHomeScreenId);
}

TEST(MissingPictures, ABigPictureDecodedOnlyWhenDrawnIsStillReportedAtTheFirstPaint) {
    // Pictures only in the cache, drawn for 480x640: there their backgrounds are big
    // enough to be decoded only when their screens are drawn.
    const fs::path folder = fs::temp_directory_path() / "orvida-spoilt-pictures";
    fs::remove_all(folder);
    fs::create_directories(folder / "bin");
    const char* saved = std::getenv("XDG_CACHE_HOME");
    const std::string savedCache = saved != nullptr ? saved : "";
    setenv("XDG_CACHE_HOME", (folder / "cache").c_str(), 1);
    const std::string exe = (folder / "bin" / "orvida").string();
    std::string drawn;
    {
        ovTestProgram first(480, 640, exe);
        ASSERT_TRUE(first.system().messages().empty());
        drawn = first.app().bitmaps.displayFolder();
    }
    ASSERT_FALSE(drawn.empty());
    // The home screen cut short (its headers intact), the keyboard's headers spoilt; the
    // shipped ones, which are looked for next, spoilt alike.
    const fs::path shipped = folder / "bin" / "images" / "wm5";
    fs::create_directories(shipped);
    const fs::path home = fs::path(drawn) / "homeScreen.bmp", keyboard = fs::path(drawn) / "inputkb.bmp";
    fs::resize_file(home, fs::file_size(home) - 480);
    std::fstream(keyboard, std::ios::in | std::ios::out | std::ios::binary) << "XX";
    fs::copy_file(home, shipped / "homeScreen.bmp");
    fs::copy_file(keyboard, shipped / "inputkb.bmp");

    ovTestProgram p(480, 640, exe);
    if (savedCache.empty())
        unsetenv("XDG_CACHE_HOME");
    else
        setenv("XDG_CACHE_HOME", savedCache.c_str(), 1);
    const auto& messages = p.system().messages();
    ASSERT_EQ(messages.size(), 2u);
    const std::string said = messages[0].text + "\n" + messages[1].text;
    EXPECT_NE(said.find("homeScreen.bmp is not a BMP picture (truncated pixel data)"), std::string::npos)
        << said;
    EXPECT_NE(said.find("inputkb.bmp is not a BMP picture (no BM signature)"), std::string::npos) << said;
    // The rest are whole, and going home draws without a word more.
    p.run("wait 100\ntap 280 228\nwait 100");
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(p.nav().current->nodeId, ovHomeScreenId);
    fs::remove_all(folder);
}

namespace {
bool isLightButton(ovColor c) {
    return ovRed(c) > 0xA0 && ovBlue(c) > 0xB0 && ovBlue(c) >= ovRed(c);
}
bool isFocusButton(ovColor c) {
    return ovRed(c) > 0xE0 && ovBlue(c) < 0x90;
}
bool isDarkBackground(ovColor c) {
    return ovRed(c) < 0x50 && ovGreen(c) < 0x50 && ovBlue(c) < 0x60;
}

// A plain node under the root, so that the root draws it as a button.
ovAssembly plainChildAssembly() {
    ovAssembly assembly;
    assembly.buildTree = [](ovApp& app) {
        ovHyperNode* child = app.makeNode<ovHyperNode>();
        child->x = child->y = 0;
        const std::u16string label = u"Home Screen";
        child->label = label;
        child->nodeId = ovHomeScreenId;
        child->valid = 1;
        app.navigator->addChild(&app.navigator->root, child);
    };
    return assembly;
}
} // namespace

TEST(Frame, ButtonsShowFocusAndTheBackgroundShowsAround) {
    ovTestProgram p(plainChildAssembly(), 240, 320);
    ASSERT_TRUE(p.system().messages().empty()) << p.system().messages()[0].text;
    p.run("wait 10"); // the first tick lays the children out and draws them there
    const ovFramebuffer& frame = p.app().backBuffer().frame();
    ASSERT_EQ(frame.width(), 240);
    ASSERT_EQ(frame.height(), 268);
    // The root "Start" sits at (120, 134); its only child was laid out at (95, 105).
    ovHyperNode* home = p.nav().root.children[0];
    ASSERT_EQ((ovPoint{home->x, home->y}), (ovPoint{95, 105}));
    EXPECT_TRUE(isLightButton(frame.pixel(190, 114))) << std::hex << frame.pixel(190, 114);
    EXPECT_TRUE(isFocusButton(frame.pixel(190, 143))) << std::hex << frame.pixel(190, 143); // current node
    EXPECT_TRUE(isDarkBackground(frame.pixel(10, 250)));
    EXPECT_TRUE(isDarkBackground(frame.pixel(230, 5)));

    p.run("down 140 114\nwait 20");
    EXPECT_TRUE(isFocusButton(frame.pixel(190, 114))) << std::hex << frame.pixel(190, 114);
    p.run("move 5 5\nwait 20");
    EXPECT_TRUE(isLightButton(frame.pixel(190, 114)));
    // Some label ink: dark pixels inside the child's button.
    int ink = 0;
    for (int x = 96; x < 193; ++x)
        for (int y = 106; y < 124; ++y)
            ink += ovRed(frame.pixel(x, y)) < 0x40 ? 1 : 0;
    EXPECT_GT(ink, 20);
}

TEST(Frame, IdleTicksDrawNothing) {
    ovTestProgram p;
    p.run("wait 20");
    const int repaints = p.app().repaintCount;
    p.run("wait 500");
    EXPECT_EQ(p.app().repaintCount, repaints);
}
