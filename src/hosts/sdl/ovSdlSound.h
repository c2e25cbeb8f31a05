#pragma once
// Short sounds through SDL audio: a file is read once, converted to the device's
// format and queued; playing returns at once and a new sound cuts the last one off.
#include "base/ovResult.h"
#include <SDL.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class ovSdlSound {
public:
    ovSdlSound() = default;
    // Closes the device and shuts the audio subsystem down if it started it.
    ~ovSdlSound();
    ovSdlSound(const ovSdlSound&) = delete;
    ovSdlSound& operator=(const ovSdlSound&) = delete;

    // Reads the file and opens the device ahead of the first play, so that the first
    // click is not late. Refused, with the reason, when either fails.
    ovResult<> load(const std::string& path);
    // Starts the sound and returns at once. Refused, with the reason, when it cannot.
    ovResult<> play(const std::string& path);

private:
    struct Clip {
        ovResult<> loaded;
        std::vector<uint8_t> samples; // in the device's format
    };
    const Clip& clip(const std::string& path);
    ovResult<> openDevice(const SDL_AudioSpec& wanted);

    bool subsystem_ = false;
    bool deviceFailed_ = false;
    std::string deviceError_;
    SDL_AudioDeviceID device_ = 0;
    SDL_AudioSpec deviceFormat_{};
    std::unordered_map<std::string, Clip> clips_;
};
