#pragma once
// The system services the program asks of its host: the clock, sound, message
// boxes, debug output, where the executable lives and the screen size. The window
// host gives real ones; the headless host records them. The program ends only by
// returning from main, so that everything it owns is closed on the way out.
#include "system/ovClock.h"

#include <string>
#include <string_view>

struct ovScreenSize {
    int width = 0;
    int height = 0;
};

class ovSystem {
public:
    virtual ~ovSystem() = default;

    virtual const ovClock& clock() const = 0;
    virtual ovScreenSize screenSize() const = 0;
    // Full file name of the running executable.
    virtual std::string executableFile() const = 0;

    // Starts playing a sound file and returns at once; failures are silent.
    virtual void playSound(const std::string& path) = 0;
    // A modal message with an OK button.
    virtual void messageBox(std::string_view text, std::string_view caption) = 0;
    virtual void debugOutput(std::string_view text) = 0;
};
