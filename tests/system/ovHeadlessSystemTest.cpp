#include "system/ovHeadlessSystem.h"

#include <gtest/gtest.h>

#include <string>

// A long script records a click sound and debug lines on every tap; what the host keeps
// of them must not grow with the length of the script.
TEST(HeadlessSystem, RecordsStayBoundedOverAVeryLongRunAndCountEverything) {
    ovHeadlessSystem system(std::make_unique<ovVirtualClock>(ovSystemTime{2026, 12, 9, 3, 10, 0, 0, 0}),
                            {240, 268}, "/usr/bin/orvida");
    constexpr int kTaps = 500000;
    for (int i = 0; i < kTaps; ++i) {
        system.playSound("/usr/share/orvida/sounds/click.wav");
        system.debugOutput("Tapped at " + std::to_string(i) + "\n");
    }
    for (int i = 0; i < 1000; ++i)
        system.messageBox("message " + std::to_string(i), "Orvida");
    EXPECT_EQ(system.soundCount(), static_cast<uint64_t>(kTaps));
    EXPECT_EQ(system.debugLineCount(), static_cast<uint64_t>(kTaps));
    EXPECT_EQ(system.messageCount(), 1000u);
    EXPECT_LE(system.soundsPlayed().size(), ovHeadlessSystem::recentEntries);
    EXPECT_LE(system.messages().size(), ovHeadlessSystem::recentEntries);
    EXPECT_LE(system.debugText().size(), ovHeadlessSystem::recentDebugBytes);
    // The most recent records are the ones kept, and the debug text starts on a line.
    EXPECT_EQ(system.messages().back().text, "message 999");
    EXPECT_EQ(system.debugText().substr(0, 10), "Tapped at ");
    const std::string last = "Tapped at " + std::to_string(kTaps - 1) + "\n";
    EXPECT_EQ(system.debugText().substr(system.debugText().size() - last.size()), last);
}
