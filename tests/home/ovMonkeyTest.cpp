// A monkey on the touch screen: seeded random taps, holds and slides for a fixed span
// of virtual time, with the program's invariants checked after every event and its
// resident memory sampled.
#include "shell/ovApp.h"
#include "support/ovTestProgram.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

long residentKilobytes() {
    FILE* f = std::fopen("/proc/self/statm", "r");
    long pages = 0, resident = 0;
    if (f != nullptr) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

bool inTree(const ovHyperNode* node, const ovHyperNode* root) {
    for (int depth = 0; node != nullptr && depth < 10000; ++depth, node = node->parent)
        if (node == root)
            return true;
    return false;
}

// Everything that must hold between any two events, whatever the user did.
void checkInvariants(ovTestProgram& p, int lastRepaints, long events, const std::string& event) {
    ovNavigator& nav = p.nav();
    ASSERT_NE(nav.current, nullptr) << "after event " << events << ": " << event;
    ASSERT_TRUE(inTree(nav.current, &nav.root)) << "after event " << events << ": " << event;
    // The focus is a node of the tree or none. It is not always among the current node's
    // children: a node entered keeps the focus it had as a child, and a picker's Back
    // that passes through a step leaves the focus on the step it came from until the
    // next press moves it; neither makes a release act on a node that is not shown.
    if (nav.focused != nullptr) {
        ASSERT_TRUE(inTree(nav.focused, &nav.root))
            << "focus outside the tree after event " << events << ": " << event;
    }
    ovApp& app = p.app();
    if (app.hyperBar != nullptr) {
        const int state = app.hyperBar->barState();
        const int open = app.hyperBar->barOpenIndex();
        ASSERT_TRUE(state == 0 || state == 1) << state;
        ASSERT_TRUE(open == 0 || open == 1) << open;
    }
    ASSERT_GE(app.repaintCount, lastRepaints) << "after event " << events << ": " << event;
    ASSERT_TRUE(p.system().messages().empty())
        << p.system().messages().back().text << " after event " << events << ": " << event;
}

} // namespace

TEST(Monkey, RandomTouchesForAnHourOfVirtualTimeKeepTheProgramWholeAndItsMemoryFlat) {
    const char* hoursText = std::getenv("ORVIDA_MONKEY_HOURS");
    const double hours = hoursText != nullptr ? std::atof(hoursText) : 1.0;
    const long long targetMs = static_cast<long long>(hours * 3600.0 * 1000.0);
    ovTestProgram p(240, 320);
    // A new seed each run, so a longer run explores more; printed, and taken from
    // ORVIDA_MONKEY_SEED, to replay a run that failed.
    const char* seedText = std::getenv("ORVIDA_MONKEY_SEED");
    const unsigned seed = seedText != nullptr ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10))
                                              : std::random_device{}();
    std::printf("monkey seed: %u (ORVIDA_MONKEY_SEED=%u replays this run)\n", seed, seed);
    ::testing::Test::RecordProperty("seed", std::to_string(seed));
    SCOPED_TRACE("ORVIDA_MONKEY_SEED=" + std::to_string(seed));
    std::mt19937 random(seed);
    const int width = p.app().screenRect.right - p.app().screenRect.left;
    const int height = p.app().screenRect.bottom - p.app().screenRect.top;
    auto coordinate = [&](int size) { return std::uniform_int_distribution<int>(0, size - 1)(random); };
    auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };

    long long elapsedMs = 0;
    long events = 0;
    std::vector<long> memory;
    std::set<int> visited;
    // Today the home screen's buttons lead to wizards still to come; the bar's two panels
    // are the other screens a finger reaches.
    long panelOpen[2] = {};
    int lastRepaints = 0;
    while (elapsedMs < targetMs) {
        std::string event;
        const int kind = between(0, 99);
        const int x = coordinate(width), y = coordinate(height);
        if (kind < 55) {
            event = "tap " + std::to_string(x) + " " + std::to_string(y);
            elapsedMs += 60;
        } else if (kind < 70) {
            const int ms = between(100, 1500);
            event = "hold " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(ms);
            elapsedMs += ms + 10;
        } else if (kind < 85) {
            event = "down " + std::to_string(x) + " " + std::to_string(y) + "\n";
            const int steps = between(1, 8);
            for (int i = 0; i < steps; ++i) {
                event += "wait 10\nmove " + std::to_string(coordinate(width)) + " " +
                         std::to_string(coordinate(height)) + "\n";
                elapsedMs += 10;
            }
            event +=
                "wait 20\nup " + std::to_string(coordinate(width)) + " " + std::to_string(coordinate(height));
            elapsedMs += 20;
        } else {
            // The user puts the device down for a while: this is what makes an hour cheap.
            const int ms = kind < 98 ? between(10, 2000) : between(10000, 120000);
            event = "wait " + std::to_string(ms);
            elapsedMs += ms;
        }
        p.run(event);
        ++events;
        checkInvariants(p, lastRepaints, events, event);
        if (HasFatalFailure())
            return;
        lastRepaints = p.app().repaintCount;
        visited.insert(p.nav().current->nodeId);
        if (p.app().hyperBar != nullptr && p.app().hyperBar->barState() == 1)
            ++panelOpen[p.app().hyperBar->barOpenIndex()];
        if (events % 250 == 0)
            memory.push_back(residentKilobytes());
    }
    std::string curve;
    for (long kb : memory)
        curve += std::to_string(kb) + " ";
    std::printf("monkey: %ld events over %.1f hours of virtual time, %d repaints, %zu different nodes, bar "
                "panels open "
                "after %ld and %ld events; resident KB every 250 events: %s\n",
                events, elapsedMs / 3600000.0, p.app().repaintCount, visited.size(), panelOpen[0],
                panelOpen[1], curve.c_str());
    // Flat: after the first samples (pictures and fonts loaded, caches filled) the
    // program's memory does not keep growing with the events. Under AddressSanitizer the
    // resident size grows with its quarantine of freed blocks whatever the program does,
    // so there the leak check at exit speaks instead.
    if (memory.size() >= 4 && !kAddressSanitizer) {
        const long settled = memory[memory.size() / 4];
        EXPECT_LT(memory.back() - settled, 8 * 1024) << curve;
    }
}
