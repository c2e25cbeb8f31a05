// One table of what a frame of every screen costs, in copies of the back buffer timed
// in the same scene, at the screen rectangles of 240x320, 480x640, 720x1440 and
// 1080x2340, with the pictures drawn for each size as the program draws them at start.
// The bar is 8 copies; a figure above it is marked.
#include "home/ovCalculatorPlugin.h"
#include "home/ovHyperBar.h"
#include "hosts/headless/ovHeadlessHost.h"
#include "ovBenchScene.h"
#include "pickers/ovContactPicker.h"
#include "pickers/ovDatePicker.h"
#include "pickers/ovInfoDisplay.h"
#include "pickers/ovKeyboardInput.h"
#include "pickers/ovTimePicker.h"
#include "program/ovProgramAssembly.h"
#include "shell/ovBackBuffer.h"
#include "store/ovPoomSession.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
enum class Screen { home, calculator, status, wizardStep, keyboard, contacts, info, time, duration, date };
struct ScreenName {
    Screen screen;
    const char* name;
};
constexpr ScreenName kScreens[] = {
    {Screen::home, "home, full time line"}, {Screen::calculator, "calculator"},
    {Screen::status, "device status"},      {Screen::wizardStep, "wizard step"},
    {Screen::keyboard, "keyboard"},         {Screen::contacts, "contact picker"},
    {Screen::info, "info display"},         {Screen::time, "time picker"},
    {Screen::duration, "duration picker"},  {Screen::date, "date picker"},
};
struct Size {
    int width, height;
};
constexpr Size kSizes[] = {{240, 320}, {480, 640}, {720, 1440}, {1080, 2340}};
constexpr double kBar = 8.0;

// The whole program at 2026-12-09 10:00 with an appointment in every hour of the home
// screen's 48-hour window and eight contacts, and beside its home screen one node of
// every picker and a wizard step of five choices.
struct Scene {
    Scene(int width, int height) {
        data = std::filesystem::temp_directory_path() / ("orvida-bench-table-" + std::to_string(getpid()));
        std::filesystem::remove_all(data);
        assembly = ovProgramAssembly();
        assembly.buildTree = [this, build = assembly.buildTree](ovApp& app) {
            build(app);
            ovNavigator& nav = *app.navigator;
            auto add = [&](ovHyperNode* node, int id) {
                nav.addChild(&nav.root, ovBenchNode(node, id));
                return node;
            };
            keyboard = static_cast<ovKeyboardInput*>(add(app.makeNode<ovKeyboardInput>(), 9001));
            contacts = add(app.makeNode<ovContactPicker>(), 9002);
            info = add(app.makeNode<ovInfoDisplay>(), 9003);
            auto* clock = static_cast<ovTimePicker*>(add(app.makeNode<ovTimePicker>(), 9004));
            clock->label = std::u16string(u"start time");
            time = clock;
            auto* length = static_cast<ovTimePicker*>(add(app.makeNode<ovTimePicker>(), 9005));
            length->configure(ovTimePicker::duration, false);
            length->label = std::u16string(u"duration");
            duration = length;
            date = add(app.makeNode<ovDatePicker>(), 9006);
            step = add(app.makeNode<ovHyperNode>(), 9007);
            step->label = u"Appointment";
            const char16_t* labels[] = {u"Today", u"Tomorrow", u"Day After", u"Calendar",
                                        u"Next Week Monday"};
            for (int i = 0; i < 5; ++i) {
                ovHyperNode* choice = ovBenchNode(app.makeNode<ovHyperNode>(), 9010 + i);
                choice->label = labels[i];
                nav.addChild(step, choice);
            }
        };
        const ovOptions options = ovBenchOptions(width, height, data.string());
        host = std::make_unique<ovHeadlessHost>(options, ORVIDA_BIN_DIR "/orvida", &assembly);
        ovPoomSession& session = host->program().session();
        ovBenchFillTimeLine(session, *options.now);
        for (int i = 0; i < 8; ++i)
            (void)session.addContact(u"Jordan" + std::u16string(1, u'A' + i), u"Alex", u"", u"", u"", u"",
                                     u"");
        keyboard->inputText = u"Lunch with Bob at the harbour";
        host->program().shell().onTimer();
    }
    ~Scene() {
        host.reset();
        std::error_code ec;
        std::filesystem::remove_all(data, ec);
    }
    ovApp& app() { return host->program().app(); }

    void show(Screen screen) {
        ovNavigator& nav = *app().navigator;
        ovHyperBar& bar = *ovHyperBar::instance();
        const bool onHome =
            screen == Screen::home || screen == Screen::calculator || screen == Screen::status;
        if (onHome) {
            nav.current = nav.root.children[0];
            app().needsRepaint = true;
            host->program().shell().onTimer(); // fetches the appointments
            if (screen != Screen::home) {
                const int index = screen == Screen::status ? 0 : 1;
                bar.state = 1;
                bar.openIndex = index;
                bar.openPlugin = bar.plugins[index];
                bar.layoutButtons();
                if (screen == Screen::calculator) {
                    auto* calc = static_cast<ovCalculatorPlugin*>(bar.plugins[1]);
                    calc->pendingOp = 1;
                    calc->entry = 2;
                }
            }
        } else {
            ovHyperNode* nodes[] = {step, keyboard, contacts, info, time, duration, date};
            ovHyperNode* node = nodes[static_cast<int>(screen) - static_cast<int>(Screen::wizardStep)];
            nav.current = node;
            node->onEnter(nav);
        }
        app().drawFrame(app().backBuffer().canvas()); // loads what the screen draws
    }

    std::filesystem::path data;
    ovAssembly assembly;
    std::unique_ptr<ovHeadlessHost> host;
    ovKeyboardInput* keyboard = nullptr;
    ovHyperNode* contacts = nullptr;
    ovHyperNode* info = nullptr;
    ovHyperNode* time = nullptr;
    ovHyperNode* duration = nullptr;
    ovHyperNode* date = nullptr;
    ovHyperNode* step = nullptr;
};

// The least time per call over several rounds of `calls` calls: the figure least
// disturbed by whatever else the machine is doing.
template <class F> double fastest(int calls, F&& f) {
    double best = 1e30;
    for (int round = 0; round < 7; ++round) {
        const auto begin = std::chrono::steady_clock::now();
        for (int i = 0; i < calls; ++i)
            f();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
        best = std::min(best, took.count() / calls);
    }
    return best;
}

double frameCost(Scene& scene, Screen screen) {
    scene.show(screen);
    ovBackBuffer& back = scene.app().backBuffer();
    const ovFramebuffer& frame = back.frame();
    std::vector<uint32_t> window(frame.byteSize() / 4);
    auto copy = [&] {
        std::memcpy(window.data(), frame.data(), frame.byteSize());
        asm volatile("" : : "r"(window.data()) : "memory");
    };
    auto draw = [&] {
        scene.app().drawFrame(back.canvas());
        asm volatile("" : : : "memory");
    };
    // As many calls as fill a few milliseconds, judged from one of each.
    const double once = fastest(1, draw);
    const int calls = std::clamp(static_cast<int>(0.004 / std::max(once, 1e-7)), 1, 200);
    const double copyTime = fastest(calls * 8, copy);
    const double drawTime = fastest(calls, draw);
    return drawTime / copyTime;
}
} // namespace

// Prints the table; returns how many figures are above the bar.
int ovPrintFrameCostTable() {
    std::vector<std::vector<double>> costs(std::size(kScreens));
    std::vector<std::string> heads;
    for (const Size& size : kSizes) {
        Scene scene(size.width, size.height);
        const ovRect& rect = scene.app().screenRect;
        heads.push_back(std::to_string(rect.width()) + "x" + std::to_string(rect.height()));
        for (size_t i = 0; i < std::size(kScreens); ++i)
            costs[i].push_back(frameCost(scene, kScreens[i].screen));
    }
    int over = 0;
    std::printf("Frame cost in back-buffer copies (bar %.0f; * above it)\n%-22s", kBar, "screen");
    for (const std::string& head : heads)
        std::printf("%11s", head.c_str());
    std::printf("\n");
    for (size_t i = 0; i < std::size(kScreens); ++i) {
        std::printf("%-22s", kScreens[i].name);
        for (double cost : costs[i]) {
            const bool above = cost > kBar;
            over += above ? 1 : 0;
            std::printf("%10.1f%c", cost, above ? '*' : ' ');
        }
        std::printf("\n");
    }
    std::fflush(stdout);
    return over;
}
