#include "hosts/sdl/ovSdlSystem.h"

#include "hosts/common/ovStopSignals.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
// Video drivers that show nothing to anyone: a box there would wait for a click that
// cannot come, or appear on some other display.
bool canShowBoxes() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::strcmp(driver, "dummy") != 0 && std::strcmp(driver, "offscreen") != 0 &&
           std::strcmp(driver, "evdev") != 0;
}

void showBox(const char* text, const char* caption) {
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption, text, nullptr);
}
} // namespace

ovSdlSystem::ovSdlSystem(ovScreenSize screen, std::string executableFile, bool debug)
    : screen_(screen), executableFile_(std::move(executableFile)), debug_(debug) {}

ovScreenSize ovSdlSystem::screenSize() const {
    if (!rotated_)
        return screen_;
    const int shorter = std::min(screen_.width, screen_.height);
    const int longer = std::max(screen_.width, screen_.height);
    return {longer, shorter};
}

void ovSdlSystem::playSound(const std::string& path) {
    if (const ovResult<> played = sound_.play(path))
        ++soundsStarted_;
    else
        debugOutput("orvida: " + played.reason() + "\n");
}

void ovSdlSystem::preloadSound(const std::string& path) {
    if (const ovResult<> loaded = sound_.load(path); !loaded)
        debugOutput("orvida: " + loaded.reason() + "\n");
}

void ovSdlSystem::messageBox(std::string_view text, std::string_view caption) {
    const std::string t(text);
    const std::string c(caption);
    std::fprintf(stderr, "[%s] %s\n", c.c_str(), t.c_str());
    std::fflush(stderr);
    // Once asked to stop, the program ends without waiting for anyone's click.
    if (!canShowBoxes() || ovStopSignals::requested())
        return;
    // SDL's box waits for its button and nothing else; shown by a child process, it
    // ends when a stop signal comes.
    if (!ovStopSignals::runBoxProcess(showBox, t.c_str(), c.c_str()))
        showBox(t.c_str(), c.c_str());
}

void ovSdlSystem::debugOutput(std::string_view text) {
    if (!debug_)
        return;
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}
