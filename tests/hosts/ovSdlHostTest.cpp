// The window host under SDL's dummy video driver: SDL events in, pointer messages,
// commands and frames out; and the real executable's window path as a user starts it.
#include "hosts/sdl/ovSdlHost.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {
// Before any test, and in the children that death tests start: a window nobody sees,
// and no real display to pop message boxes up on.
const bool kQuietDisplay = [] {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    return true;
}();

constexpr const char* kExecutable = ORVIDA_BIN_DIR "/orvida";
constexpr const char* kLandscapeText =
    "Not designed for landscape mode. Please switch to portrait mode to run it.";

class SdlHost : public ::testing::Test {
protected:
    void open(int width, int height) {
        host.reset();
        system.reset();
        sdl.reset();
        auto opened = ovSdlLibrary::open(SDL_INIT_VIDEO);
        ASSERT_TRUE(opened.ok()) << opened.reason();
        sdl = opened.take();
        system = std::make_unique<ovSdlSystem>(ovScreenSize{width, height}, kExecutable, false);
        host = std::make_unique<ovSdlHost>(*system);
        const ovResult<> window = host->openWindow();
        ASSERT_TRUE(window.ok()) << window.reason();
        host->start();
        drain();
    }
    void SetUp() override { open(240, 320); }
    void TearDown() override {
        host.reset();
        system.reset();
        sdl.reset();
    }

    // Hands everything in SDL's queue to the host, as the loop does between timer
    // messages; the loop's own timer never runs here.
    void drain() {
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0)
            host->handleEvent(event);
    }
    void send(SDL_Event event) {
        ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
        drain();
    }
    void mouse(Uint32 type, int x, int y, Uint32 which = 0, Uint8 button = SDL_BUTTON_LEFT) {
        SDL_Event e{};
        e.type = type;
        if (type == SDL_MOUSEMOTION) {
            e.motion.windowID = SDL_GetWindowID(host->window());
            e.motion.which = which;
            e.motion.x = x;
            e.motion.y = y;
        } else {
            e.button.windowID = SDL_GetWindowID(host->window());
            e.button.which = which;
            e.button.button = button;
            e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
            e.button.x = x;
            e.button.y = y;
        }
        send(e);
    }
    void tap(const ovRect& r) {
        const int x = (r.left + r.right) / 2;
        const int y = (r.top + r.bottom) / 2;
        mouse(SDL_MOUSEBUTTONDOWN, x, y);
        mouse(SDL_MOUSEBUTTONUP, x, y);
    }
    void finger(Uint32 type, SDL_FingerID id, int x, int y) {
        SDL_Event e{};
        e.type = type;
        e.tfinger.touchId = 1;
        e.tfinger.fingerId = id;
        e.tfinger.x = static_cast<float>(x) / (host->chrome().width() - 1);
        e.tfinger.y = static_cast<float>(y) / (host->chrome().height() - 1);
        send(e);
    }
    void key(SDL_Keycode sym, Uint16 mod) {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.windowID = SDL_GetWindowID(host->window());
        e.key.state = SDL_PRESSED;
        e.key.keysym.sym = sym;
        e.key.keysym.mod = mod;
        send(e);
    }
    ovApp& app() { return host->program().app(); }
    int top() { return host->chrome().screenArea().top; }

    std::unique_ptr<ovSdlLibrary> sdl;
    std::unique_ptr<ovSdlSystem> system;
    std::unique_ptr<ovSdlHost> host;
};
} // namespace

TEST_F(SdlHost, DownAndUpWithNoTimerBetweenGivePhasesOneAndThree) {
    EXPECT_GT(host->presents(), 0);
    EXPECT_NE(SDL_GetWindowFlags(host->window()) & SDL_WINDOW_SHOWN, 0u);
    mouse(SDL_MOUSEBUTTONDOWN, 100, top() + 90);
    EXPECT_EQ(app().touch.phase, ovPhaseDown);
    EXPECT_TRUE(app().touch.pressed);
    // Positions reach the program relative to its screen rectangle.
    EXPECT_EQ(app().touch.x, 100);
    EXPECT_EQ(app().touch.y, 90);
    mouse(SDL_MOUSEMOTION, 104, top() + 92);
    EXPECT_EQ(app().touch.phase, ovPhaseHeld);
    EXPECT_EQ(app().touch.x, 104);
    mouse(SDL_MOUSEBUTTONUP, 104, top() + 92);
    EXPECT_EQ(app().touch.phase, ovPhaseReleased);
    EXPECT_FALSE(app().touch.pressed);
    EXPECT_EQ(app().clickCount, 1);
}

TEST_F(SdlHost, AHoveringMouseAndOtherButtonsPressNothing) {
    mouse(SDL_MOUSEMOTION, 100, top() + 90);
    mouse(SDL_MOUSEBUTTONDOWN, 100, top() + 90, 0, SDL_BUTTON_RIGHT);
    mouse(SDL_MOUSEBUTTONUP, 100, top() + 90, 0, SDL_BUTTON_RIGHT);
    EXPECT_FALSE(app().touch.pressed);
    EXPECT_EQ(app().touch.phase, ovPhaseIdle);
    EXPECT_EQ(app().clickCount, 0);
}

TEST_F(SdlHost, OneFingerIsThePointerAndTouchMadeMiceAreLeftOut) {
    finger(SDL_FINGERDOWN, 7, 60, top() + 120);
    EXPECT_EQ(app().touch.phase, ovPhaseDown);
    EXPECT_NEAR(app().touch.x, 60, 1);
    EXPECT_NEAR(app().touch.y, 120, 1);
    // SDL's mouse copy of the touch, and a second finger, change nothing.
    mouse(SDL_MOUSEBUTTONDOWN, 200, top() + 10, SDL_TOUCH_MOUSEID);
    mouse(SDL_MOUSEMOTION, 200, top() + 10, SDL_TOUCH_MOUSEID);
    mouse(SDL_MOUSEBUTTONUP, 200, top() + 10, SDL_TOUCH_MOUSEID);
    finger(SDL_FINGERDOWN, 8, 200, top() + 10);
    finger(SDL_FINGERUP, 8, 200, top() + 10);
    EXPECT_TRUE(app().touch.pressed);
    EXPECT_NEAR(app().touch.x, 60, 1);
    finger(SDL_FINGERMOTION, 7, 70, top() + 130);
    EXPECT_NEAR(app().touch.x, 70, 1);
    finger(SDL_FINGERUP, 7, 70, top() + 130);
    EXPECT_EQ(app().touch.phase, ovPhaseReleased);
    EXPECT_EQ(app().clickCount, 1);
}

TEST_F(SdlHost, CtrlQEndsTheLoopWithExitCodeZero) {
    // Should the key be lost, the loop would run forever: a watchdog closes it instead
    // and says so.
    static bool watchdogFired;
    watchdogFired = false;
    const SDL_TimerID watchdog = SDL_AddTimer(
        20000,
        [](Uint32, void*) -> Uint32 {
            watchdogFired = true;
            SDL_Event quit{};
            quit.type = SDL_QUIT;
            SDL_PushEvent(&quit);
            return 0;
        },
        nullptr);
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = SDL_GetWindowID(host->window());
    e.key.keysym.sym = SDLK_q;
    e.key.keysym.mod = KMOD_LCTRL;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    EXPECT_EQ(host->run(), 0);
    SDL_RemoveTimer(watchdog);
    EXPECT_FALSE(watchdogFired);
    EXPECT_TRUE(host->closed());
}

TEST_F(SdlHost, OnlyCtrlWithQOrAIsAnAccelerator) {
    key(SDLK_q, KMOD_NONE);
    key(SDLK_q, KMOD_LCTRL | KMOD_LSHIFT);
    key(SDLK_a, KMOD_LALT);
    EXPECT_FALSE(host->closed());
    EXPECT_FALSE(host->chrome().aboutOpen());
    key(SDLK_a, KMOD_RCTRL);
    EXPECT_TRUE(host->chrome().aboutOpen());
    key(SDLK_RETURN, KMOD_NONE);
    EXPECT_FALSE(host->chrome().aboutOpen());
    key(SDLK_a, KMOD_LCTRL);
    key(SDLK_ESCAPE, KMOD_NONE);
    EXPECT_FALSE(host->chrome().aboutOpen());
}

TEST_F(SdlHost, ToggleSoundsFromTheOptionsKeyStopsAndResumesClicks) {
    ovWindowChrome& chrome = host->chrome();
    const ovRect empty{0, top() + 2, 20, top() + 20};
    tap(empty);
    EXPECT_EQ(app().clickCount, 1);
    tap(chrome.softKeyRect(1));
    ASSERT_TRUE(chrome.menuOpen());
    tap(chrome.menuItemRect(1));
    EXPECT_FALSE(app().soundsOn);
    tap(empty);
    EXPECT_EQ(app().clickCount, 1);
    tap(chrome.softKeyRect(1));
    tap(chrome.menuItemRect(1));
    EXPECT_TRUE(app().soundsOn);
    tap(empty);
    EXPECT_EQ(app().clickCount, 2);
    // The Exit soft key closes the window.
    tap(chrome.softKeyRect(0));
    EXPECT_TRUE(host->closed());
}

TEST_F(SdlHost, ExposureShowsTheLastFrameAgain) {
    const int before = host->presents();
    const int repaints = app().repaintCount;
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = SDL_GetWindowID(host->window());
    e.window.event = SDL_WINDOWEVENT_EXPOSED;
    send(e);
    EXPECT_EQ(host->presents(), before + 1);
    EXPECT_EQ(app().repaintCount, repaints);
}

TEST_F(SdlHost, APortraitResizeScalesTheScreenAndKeepsItsSize) {
    const ovRect rect = app().screenRect;
    SDL_SetWindowSize(host->window(), 480, 640);
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = SDL_GetWindowID(host->window());
    e.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
    e.window.data1 = 480;
    e.window.data2 = 640;
    send(e);
    EXPECT_EQ(app().screenRect, rect);
    int x = 0, y = 0;
    EXPECT_TRUE(host->toFramePixels(479.0, 639.0, x, y));
    EXPECT_EQ(x, 239);
    EXPECT_EQ(y, 319);
    mouse(SDL_MOUSEBUTTONDOWN, 200, 2 * (top() + 50));
    EXPECT_EQ(app().touch.x, 100);
    EXPECT_EQ(app().touch.y, 50);
}

TEST_F(SdlHost, ARaiseShowsTheWindow) {
    SDL_HideWindow(host->window());
    host->raise();
    EXPECT_EQ(host->raises(), 1);
    EXPECT_NE(SDL_GetWindowFlags(host->window()) & SDL_WINDOW_SHOWN, 0u);
}

// ---------------------------------------------------------------------------------
// The click through SDL audio (the dummy audio driver takes the samples).

namespace {
// A short 16-bit mono PCM file at a rate the device need not have, so it is converted.
void writeWav(const fs::path& file, int rate) {
    const uint32_t samples = 200;
    const uint32_t dataBytes = samples * 2;
    std::ofstream out(file, std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + dataBytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1); // PCM
    u16(1);
    u32(static_cast<uint32_t>(rate));
    u32(static_cast<uint32_t>(rate) * 2);
    u16(2);
    u16(16);
    out.write("data", 4);
    u32(dataBytes);
    for (uint32_t i = 0; i < samples; ++i)
        u16(static_cast<uint16_t>(i % 20 < 10 ? 8000 : -8000));
}
} // namespace

TEST(SdlSound, PlaysAFileAndSaysWhyWhenItCannot) {
    auto sdl = ovSdlLibrary::open(SDL_INIT_VIDEO);
    ASSERT_TRUE(sdl.ok()) << sdl.reason();
    const fs::path dir = fs::temp_directory_path() / ("orvida-sound-" + std::to_string(getpid()));
    fs::create_directories(dir);
    writeWav(dir / "click.wav", 11025);
    writeWav(dir / "other.wav", 48000);
    std::ofstream(dir / "broken.wav") << "RIFF but not really";
    {
        ovSdlSound sound;
        const ovResult<> loaded = sound.load((dir / "click.wav").string());
        EXPECT_TRUE(loaded.ok()) << loaded.reason();
        const ovResult<> played = sound.play((dir / "click.wav").string());
        EXPECT_TRUE(played.ok()) << played.reason();
        // A second file with another rate shares the device.
        const ovResult<> other = sound.play((dir / "other.wav").string());
        EXPECT_TRUE(other.ok()) << other.reason();
        const ovResult<> missing = sound.play((dir / "missing.wav").string());
        ASSERT_FALSE(missing.ok());
        EXPECT_NE(missing.reason().find("missing.wav"), std::string::npos) << missing.reason();
        const ovResult<> broken = sound.play((dir / "broken.wav").string());
        ASSERT_FALSE(broken.ok());
        EXPECT_NE(broken.reason().find("broken.wav"), std::string::npos) << broken.reason();
    }
    // Through the system: counted when started, silent when not.
    ovSdlSystem system({240, 320}, kExecutable, false);
    system.playSound((dir / "click.wav").string());
    system.playSound((dir / "missing.wav").string());
    EXPECT_EQ(system.soundsStarted(), 1);
    fs::remove_all(dir);
}

// ---------------------------------------------------------------------------------
// Landscape ends the program through the entry point: the host closes with exit code 1.

TEST(SdlHostLandscape, AtStartTheHostIsClosedWithExitCodeOne) {
    auto sdl = ovSdlLibrary::open(SDL_INIT_VIDEO);
    ovSdlSystem system({640, 480}, kExecutable, false);
    ::testing::internal::CaptureStderr();
    ovSdlHost host(system);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(kLandscapeText), std::string::npos) << said;
    EXPECT_TRUE(host.program().refused());
    EXPECT_TRUE(host.closed());
    EXPECT_EQ(host.run(), 1);
}

TEST(SdlHostLandscape, TurningTheWindowEndsTheLoopWithExitCodeOne) {
    auto sdl = ovSdlLibrary::open(SDL_INIT_VIDEO);
    ovSdlSystem system({240, 320}, kExecutable, false);
    ovSdlHost host(system);
    const ovResult<> window = host.openWindow();
    ASSERT_TRUE(window.ok()) << window.reason();
    host.start();
    ASSERT_FALSE(host.closed());
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = SDL_GetWindowID(host.window());
    e.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
    e.window.data1 = 320;
    e.window.data2 = 240;
    ::testing::internal::CaptureStderr();
    host.handleEvent(e);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(kLandscapeText), std::string::npos) << said;
    EXPECT_TRUE(host.closed());
    EXPECT_EQ(host.run(), 1);
}

// ---------------------------------------------------------------------------------
// The executable, started as a user starts it.

namespace {
struct Env {
    const char* name;
    const char* value; // nullptr: unset
};

pid_t spawn(const std::vector<std::string>& args, const std::vector<Env>& env, const fs::path& log) {
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    for (const Env& e : env) {
        if (e.value != nullptr)
            setenv(e.name, e.value, 1);
        else
            unsetenv(e.name);
    }
    const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(fd, 1);
    dup2(fd, 2);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

int exitCodeOf(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string slurp(const fs::path& file) {
    std::ifstream in(file);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Waits for a line to appear in a log; gives up after a generous while so that a
// broken build fails instead of hanging.
bool waitForText(const fs::path& log, const std::string& text) {
    for (int i = 0; i < 1500; ++i) {
        if (slurp(log).find(text) != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

class SdlProgram : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/orvida-window-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        runtime = (dir / "runtime").string();
        fs::create_directory(runtime);
        fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::vector<Env> dummyEnv() const {
        return {
            {"SDL_VIDEODRIVER", "dummy"}, {"SDL_AUDIODRIVER", "dummy"}, {"XDG_RUNTIME_DIR", runtime.c_str()}};
    }
    fs::path dir;
    std::string runtime;
};
} // namespace

TEST_F(SdlProgram, LandscapeOnTheWindowPathExitsOneWithTheMessage) {
    const fs::path log = dir / "landscape.log";
    const int code = exitCodeOf(spawn({kExecutable, "--screen", "640x480"}, dummyEnv(), log));
    EXPECT_EQ(code, 1);
    EXPECT_NE(slurp(log).find(kLandscapeText), std::string::npos) << slurp(log);
}

TEST_F(SdlProgram, NoDisplaySaysSoAndExitsNonZero) {
    const fs::path log = dir / "nodisplay.log";
    const int code = exitCodeOf(
        spawn({kExecutable}, {{"SDL_VIDEODRIVER", nullptr}, {"XDG_RUNTIME_DIR", runtime.c_str()}}, log));
    EXPECT_EQ(code, 3);
    const std::string out = slurp(log);
    EXPECT_NE(out.find("no display available"), std::string::npos) << out;
    EXPECT_NE(out.find("--headless"), std::string::npos) << out;
}

TEST_F(SdlProgram, SecondStartRaisesTheFirstAndExitsZeroWithoutAWindow) {
    const fs::path firstLog = dir / "first.log";
    const pid_t first = spawn({kExecutable, "--debug"}, dummyEnv(), firstLog);
    ASSERT_GT(first, 0);
    if (!waitForText(firstLog, "orvida: window open")) {
        kill(first, SIGKILL);
        exitCodeOf(first);
        FAIL() << slurp(firstLog);
    }
    const fs::path secondLog = dir / "second.log";
    EXPECT_EQ(exitCodeOf(spawn({kExecutable, "--debug"}, dummyEnv(), secondLog)), 0);
    const std::string second = slurp(secondLog);
    EXPECT_NE(second.find("already running"), std::string::npos) << second;
    EXPECT_EQ(second.find("window open"), std::string::npos) << second;
    EXPECT_TRUE(waitForText(firstLog, "a second start asked for the window")) << slurp(firstLog);
    // A polite kill closes the window like its close button: exit code 0.
    kill(first, SIGTERM);
    EXPECT_EQ(exitCodeOf(first), 0) << slurp(firstLog);
}
