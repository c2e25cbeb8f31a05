#include "platform/system/ovHeadlessSystem.h"

#include <cstdio>
#include <cstdlib>

ovHeadlessSystem::ovHeadlessSystem(std::unique_ptr<ovClock> clock, ovScreenSize screen,
                                   std::string executableFile)
    : clock_(std::move(clock)), screen_(screen), executableFile_(std::move(executableFile)) {}

void ovHeadlessSystem::playSound(const std::string& path) {
    sounds_.push_back(path);
}

void ovHeadlessSystem::messageBox(std::string_view text, std::string_view caption) {
    messages_.push_back({std::string(text), std::string(caption)});
    std::fprintf(stderr, "[%.*s] %.*s\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
}

void ovHeadlessSystem::debugOutput(std::string_view text) {
    debug_.append(text);
    if (debugEcho_)
        std::fwrite(text.data(), 1, text.size(), stderr);
}
