#pragma once
// System services without a window or a sound card: message boxes go to stderr,
// sounds are counted, and everything is kept so that a test or a script can see it.
#include "platform/system/ovSystem.h"

#include <memory>
#include <string>
#include <vector>

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
    const std::vector<std::string>& soundsPlayed() const { return sounds_; }
    const std::vector<Message>& messages() const { return messages_; }
    const std::string& debugText() const { return debug_; }

private:
    std::unique_ptr<ovClock> clock_;
    ovScreenSize screen_;
    std::string executableFile_;
    std::vector<std::string> sounds_;
    std::vector<Message> messages_;
    std::string debug_;
    bool debugEcho_ = false;
};
