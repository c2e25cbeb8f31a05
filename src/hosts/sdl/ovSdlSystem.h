#pragma once
// The system services of the window host: the real clock, SDL message boxes, the
// click through SDL audio, debug output on stderr with --debug, and the device's
// screen, which turns with the window.
#include "hosts/sdl/ovSdlSound.h"
#include "system/ovSystem.h"

#include <string>

class ovSdlSystem final : public ovSystem {
public:
    // screen: the device's screen as the --screen setting gives it.
    ovSdlSystem(ovScreenSize screen, std::string executableFile, bool debug);

    const ovClock& clock() const override { return clock_; }
    // The setting, turned on its side while the window is wider than tall: that is
    // what a rotated device reports, and what the orientation check refuses.
    ovScreenSize screenSize() const override;
    std::string executableFile() const override { return executableFile_; }

    void playSound(const std::string& path) override;
    // Always also written to stderr, so that a message is not lost where no box can
    // be shown (no display, the dummy video driver).
    void messageBox(std::string_view text, std::string_view caption) override;
    void debugOutput(std::string_view text) override;

    // The window's size changed to width x height.
    void setWindowSize(int width, int height) { rotated_ = width > height; }
    // Reads a sound and opens the audio device before the first play.
    void preloadSound(const std::string& path);
    // Sounds started so far.
    int soundsStarted() const { return soundsStarted_; }
    bool debug() const { return debug_; }

private:
    ovRealClock clock_;
    ovScreenSize screen_;
    std::string executableFile_;
    bool debug_;
    bool rotated_ = false;
    int soundsStarted_ = 0;
    ovSdlSound sound_;
};
