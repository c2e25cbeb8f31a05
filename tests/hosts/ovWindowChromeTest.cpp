// The window around the program, on the headless host: what the bars, the pop-up and
// the About box show, and where a touch goes.
#include "hosts/common/ovWindowTheme.h"
#include "hosts/headless/ovHeadlessHost.h"
#include "shell/ovBackBuffer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace fs = std::filesystem;

namespace {
class WindowChrome : public ::testing::Test {
protected:
    void open(int width, int height, const char* now = "2026-12-09T10:42:00") {
        ovOptions options;
        options.headless = true;
        options.screenWidth = width;
        options.screenHeight = height;
        options.now = ovParseIsoLocal(now);
        // One program at a time, as in a process.
        host.reset();
        host = std::make_unique<ovHeadlessHost>(options, ORVIDA_BIN_DIR "/orvida");
    }
    void SetUp() override { open(240, 320); }

    // Runs script lines; returns what `state` lines printed.
    std::string run(const std::string& lines) {
        std::istringstream in(lines);
        std::ostringstream out;
        EXPECT_EQ(host->run(in, "test", out), 0);
        return out.str();
    }
    ovWindowChrome& chrome() { return host->chrome(); }
    ovApp& app() { return host->program().app(); }
    // A script tap at the centre of a window rectangle (scripts speak screen pixels).
    std::string tapAt(const ovRect& r) {
        const int x = (r.left + r.right) / 2 - chrome().screenArea().left;
        const int y = (r.top + r.bottom) / 2 - chrome().screenArea().top;
        return "tap " + std::to_string(x) + " " + std::to_string(y) + "\n";
    }
    // Options, then Toggle Sounds, as a finger does it.
    void toggleSounds() {
        run(tapAt(chrome().softKeyRect(1)));
        ASSERT_TRUE(chrome().menuOpen());
        run(tapAt(chrome().menuItemRect(1)));
    }
    // A spot of the program's screen where no button lies.
    const std::string tapEmpty = "tap 10 10\n";

    std::unique_ptr<ovHeadlessHost> host;
};

ovColor at(const ovFramebuffer& f, int x, int y) {
    return f.pixel(x, y);
}

bool anyPixelOtherThan(const ovFramebuffer& f, const ovRect& r, ovColor c) {
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (at(f, x, y) != c)
                return true;
    return false;
}
} // namespace

TEST_F(WindowChrome, BarsShareTheReservedHeightAroundTheScreenRectangle) {
    for (auto [w, h] : {std::pair{240, 320}, std::pair{480, 640}}) {
        open(w, h);
        const int reserved = app().reservedHeight;
        EXPECT_EQ(chrome().width(), w);
        EXPECT_EQ(chrome().height(), h);
        EXPECT_EQ(chrome().topBar().height() + chrome().bottomBar().height(), reserved);
        EXPECT_EQ(chrome().topBar().top, 0);
        EXPECT_EQ(chrome().screenArea().top, chrome().topBar().bottom);
        EXPECT_EQ(chrome().screenArea().width(), app().screenRect.width());
        EXPECT_EQ(chrome().screenArea().height(), app().screenRect.height());
        EXPECT_EQ(chrome().bottomBar().top, chrome().screenArea().bottom);
        EXPECT_EQ(chrome().bottomBar().bottom, h);
        ASSERT_EQ(chrome().softKeyCount(), 2);
        EXPECT_EQ(chrome().softKeyRect(0).left, 0);
        EXPECT_EQ(chrome().softKeyRect(0).right, chrome().softKeyRect(1).left);
        EXPECT_EQ(chrome().softKeyRect(1).right, w);
    }
}

TEST_F(WindowChrome, WindowShowsTheBackBufferBetweenTheBars) {
    run(tapEmpty + "wait 100\n");
    const ovFramebuffer& back = app().backBuffer().frame();
    const ovFramebuffer& window = chrome().compose();
    const ovRect area = chrome().screenArea();
    ASSERT_EQ(back.width(), area.width());
    ASSERT_EQ(back.height(), area.height());
    for (int y = 0; y < back.height(); ++y)
        for (int x = 0; x < back.width(); ++x)
            ASSERT_EQ(at(window, x, area.top + y), back.pixel(x, y)) << x << "," << y;

    // The bars reach exactly to the screen: slate up to their edge lines, which touch it.
    const int mid = chrome().width() / 2;
    EXPECT_EQ(at(window, mid, 0), ovWindowTheme::barColor);
    EXPECT_EQ(at(window, mid, area.top - 2), ovWindowTheme::barColor);
    EXPECT_EQ(at(window, mid, area.top - 1), ovWindowTheme::edgeColor);
    EXPECT_EQ(at(window, 0, area.bottom), ovWindowTheme::edgeColor);
    EXPECT_EQ(at(window, 0, area.bottom + 1), ovWindowTheme::barColor);
    EXPECT_EQ(at(window, chrome().width() - 1, chrome().height() - 1), ovWindowTheme::barColor);

    // The title, the clock and both soft-key labels are drawn.
    const ovRect top = chrome().topBar();
    EXPECT_TRUE(anyPixelOtherThan(window, {0, 0, top.right / 3, top.bottom - 1}, ovWindowTheme::barColor));
    EXPECT_TRUE(anyPixelOtherThan(window, {top.right * 2 / 3, 0, top.right, top.bottom - 1},
                                  ovWindowTheme::barColor));
    for (int i = 0; i < 2; ++i) {
        const ovRect key = chrome().softKeyRect(i);
        EXPECT_TRUE(anyPixelOtherThan(window, {key.left + 4, key.top + 2, key.right - 4, key.bottom},
                                      ovWindowTheme::barColor));
    }
}

TEST_F(WindowChrome, WinshotWritesTheWholeWindow) {
    const fs::path file = fs::temp_directory_path() / ("orvida-winshot-" + std::to_string(getpid()) + ".png");
    run("winshot " + file.string() + "\n");
    std::ifstream png(file, std::ios::binary);
    unsigned char header[24] = {};
    png.read(reinterpret_cast<char*>(header), sizeof header);
    ASSERT_TRUE(png) << file;
    auto be32 = [&](int at) {
        return header[at] << 24 | header[at + 1] << 16 | header[at + 2] << 8 | header[at + 3];
    };
    EXPECT_EQ(be32(16), 240);
    EXPECT_EQ(be32(20), 320);
    fs::remove(file);
}

TEST_F(WindowChrome, OptionsOpensAboutAndToggleSoundsInThatOrder) {
    run(tapAt(chrome().softKeyRect(1)));
    ASSERT_TRUE(chrome().menuOpen());
    ASSERT_EQ(chrome().menuItemCount(), 2);
    EXPECT_EQ(chrome().menuItem(0).text, u"About");
    EXPECT_EQ(chrome().menuItem(1).text, u"Toggle Sounds");
    // It stands on the bar at the right edge, above the key, inside the window.
    EXPECT_EQ(chrome().menuRect().bottom, chrome().bottomBar().top);
    EXPECT_EQ(chrome().menuRect().right, chrome().width());
    EXPECT_GE(chrome().menuRect().left, 0);
    EXPECT_LT(chrome().menuItemRect(0).bottom, chrome().menuItemRect(1).bottom);

    const ovFramebuffer& window = chrome().compose();
    const ovRect item = chrome().menuItemRect(0);
    EXPECT_EQ(at(window, item.right - 2, item.top + 2), ovWindowTheme::menuColor);

    run(tapAt(chrome().menuItemRect(0)));
    EXPECT_FALSE(chrome().menuOpen());
    EXPECT_TRUE(chrome().aboutOpen());
}

TEST_F(WindowChrome, ToggleSoundsTwiceStopsAndResumesTheClicks) {
    ASSERT_TRUE(app().soundsOn);
    run(tapEmpty);
    EXPECT_EQ(app().clickCount, 1);

    toggleSounds();
    EXPECT_FALSE(app().soundsOn);
    EXPECT_FALSE(chrome().menuOpen());
    run(tapEmpty + tapEmpty);
    EXPECT_EQ(app().clickCount, 1);

    toggleSounds();
    EXPECT_TRUE(app().soundsOn);
    run(tapEmpty);
    EXPECT_EQ(app().clickCount, 2);
    // The soft keys and the pop-up never clicked on their own.
    EXPECT_EQ(host->system().soundsPlayed().size(), 2u);
}

TEST_F(WindowChrome, APressBesideThePopUpOnlyClosesIt) {
    run("command 40001\n");
    ASSERT_TRUE(chrome().menuOpen());
    const std::string out = run("down 10 10\nstate\nup 10 10\nwait 20\nstate\n");
    EXPECT_FALSE(chrome().menuOpen());
    EXPECT_EQ(out.find("\"phase\":1"), std::string::npos) << out;
    EXPECT_EQ(app().clickCount, 0);
    // A press on the Options key closes it as well.
    run("command 40001\n" + tapAt(chrome().softKeyRect(1)));
    EXPECT_FALSE(chrome().menuOpen());
}

TEST_F(WindowChrome, AboutBoxIsModalAndItsOkClosesIt) {
    const ovFramebuffer before = chrome().compose();
    const std::string opened = run("key ctrl+a\nstate\n");
    EXPECT_NE(opened.find("\"about\":1,\"aboutOpen\":true"), std::string::npos) << opened;
    const ovRect box = chrome().aboutRect();
    EXPECT_GE(box.left, 0);
    EXPECT_LE(box.right, chrome().width());
    EXPECT_GE(box.top, 0);
    EXPECT_LE(box.bottom, chrome().height());

    // Everything around the box is dimmed; the OK control is drawn in the title strip.
    const ovFramebuffer& window = chrome().compose();
    EXPECT_EQ(at(window, chrome().width() / 2, 1),
              ovDimmed(at(before, chrome().width() / 2, 1), ovWindowTheme::dimShare));
    const ovRect ok = chrome().aboutOkRect();
    EXPECT_EQ(at(window, ok.left + ok.width() / 6, (ok.top + ok.bottom) / 2), ovWindowTheme::accentColor);
    EXPECT_GT(ok.top, box.top);
    EXPECT_LT(ok.bottom, box.top + box.height() / 2);

    // Touches and Ctrl+A do not get past it; the program's screen did not see them.
    run(tapEmpty + tapAt(chrome().softKeyRect(0)) + "key ctrl+a\n");
    EXPECT_EQ(app().clickCount, 0);
    EXPECT_FALSE(host->exited());
    EXPECT_TRUE(chrome().aboutOpen());

    // A press on OK that slides off before the release does not close it.
    const int okX = (ok.left + ok.right) / 2;
    const int okY = (ok.top + ok.bottom) / 2 - chrome().screenArea().top;
    run("down " + std::to_string(okX) + " " + std::to_string(okY) + "\nmove 5 5\nup 5 5\n");
    EXPECT_TRUE(chrome().aboutOpen());
    run(tapAt(ok));
    EXPECT_FALSE(chrome().aboutOpen());
    run(tapEmpty);
    EXPECT_EQ(app().clickCount, 1);
}

TEST_F(WindowChrome, CtrlQClosesEvenBehindTheAboutBox) {
    run("key ctrl+a\nkey ctrl+q\n");
    EXPECT_TRUE(host->exited());
}

TEST_F(WindowChrome, AGestureStaysWithWhatItBeganOn) {
    // Begun on the program and released over the soft-key bar: the program gets the
    // release, and no key acts.
    const ovRect exitKey = chrome().softKeyRect(0);
    const int barY = (exitKey.top + exitKey.bottom) / 2 - chrome().screenArea().top;
    const std::string out =
        run("down 10 10\nmove 10 " + std::to_string(barY) + "\nup 10 " + std::to_string(barY) + "\nstate\n");
    EXPECT_NE(out.find("\"phase\":3"), std::string::npos) << out;
    EXPECT_EQ(app().touch.y, barY);
    EXPECT_FALSE(host->exited());

    // Begun on Exit and slid onto the screen: nothing; begun and ended on Exit: closed.
    run("down 10 " + std::to_string(barY) + "\nmove 10 10\nup 10 10\n");
    EXPECT_FALSE(host->exited());
    EXPECT_EQ(app().clickCount, 1);
    run(tapAt(exitKey));
    EXPECT_TRUE(host->exited());
}

TEST_F(WindowChrome, KeysIncludeTheirEdgesAsEveryRectangleDoes) {
    // The line Exit and Options share belongs to Exit, the key found first.
    const ovRect exitKey = chrome().softKeyRect(0);
    const int x = exitKey.right - chrome().screenArea().left;
    const int y = (exitKey.top + exitKey.bottom) / 2 - chrome().screenArea().top;
    run("tap " + std::to_string(x) + " " + std::to_string(y) + "\n");
    EXPECT_TRUE(host->exited());
    EXPECT_FALSE(chrome().menuOpen());
}

TEST_F(WindowChrome, TheClockFollowsTheMinute) {
    open(240, 320, "2026-12-09T10:42:55");
    EXPECT_EQ(chrome().clockText(), u"10:42");
    const ovFramebuffer before = chrome().compose();
    run("wait 6000\n");
    EXPECT_EQ(chrome().clockText(), u"10:43");
    const ovFramebuffer& after = chrome().compose();
    const ovRect top = chrome().topBar();
    bool changed = false;
    for (int y = 0; y < top.bottom; ++y)
        for (int x = top.right * 2 / 3; x < top.right; ++x)
            changed = changed || before.pixel(x, y) != after.pixel(x, y);
    EXPECT_TRUE(changed);
}
