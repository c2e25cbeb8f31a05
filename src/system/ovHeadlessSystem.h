#pragma once
// System services without a window or a sound card: message boxes go to stderr,
// sounds are counted, and everything is kept so that a test or a script can see it.
#include "system/ovSystem.h"

#include <cstddef>
#include <deque>
#include <memory>
#include <string>

class ovHeadlessSystem : public ovSystem {
public:
    ovHeadlessSystem(std::unique_ptr<ovClock> clock, ovScreenSize screen, std::string executableFile);

    const ovClock& clock() const override { return *clock_; }
    ovClock& mutableClock() { return *clock_; }
    ovScreenSize screenSize() const override { return screen_; }
    void setScreenSize(ovScreenSize screen) { screen_ = screen; }
    std::string executableFile() const override { return executableFile_; }

    void playSound(const std::string& path) override;
    void messageBox(std::string_view text, std::string_view caption) override;
    void debugOutput(std::string_view text) override;

    void setDebugEcho(bool on) { debugEcho_ = on; }

    struct Message {
        std::string text;
        std::string caption;
    };
    // A script may run for days of virtual time: the host keeps counts of everything
    // and only the most recent sounds, messages and debug text, so that its memory
    // stays flat however long it runs.
    static constexpr size_t recentEntries = 256;
    static constexpr size_t recentDebugBytes = 64 * 1024;
    const std::deque<std::string>& soundsPlayed() const { return sounds_; }
    const std::deque<Message>& messages() const { return messages_; }
    const std::string& debugText() const { return debug_; }
    uint64_t soundCount() const { return soundCount_; }
    uint64_t messageCount() const { return messageCount_; }
    uint64_t debugLineCount() const { return debugLines_; }

private:
    std::unique_ptr<ovClock> clock_;
    ovScreenSize screen_;
    std::string executableFile_;
    std::deque<std::string> sounds_;
    std::deque<Message> messages_;
    std::string debug_;
    uint64_t soundCount_ = 0;
    uint64_t messageCount_ = 0;
    uint64_t debugLines_ = 0;
    bool debugEcho_ = false;
};
