#include "system/ovHeadlessSystem.h"

#include <cstdio>
#include <cstdlib>

ovHeadlessSystem::ovHeadlessSystem(std::unique_ptr<ovClock> clock, ovScreenSize screen,
                                   std::string executableFile)
    : clock_(std::move(clock)), screen_(screen), executableFile_(std::move(executableFile)) {}

void ovHeadlessSystem::playSound(const std::string& path) {
    ++soundCount_;
    sounds_.push_back(path);
    if (sounds_.size() > recentEntries)
        sounds_.pop_front();
}

void ovHeadlessSystem::messageBox(std::string_view text, std::string_view caption) {
    ++messageCount_;
    messages_.push_back({std::string(text), std::string(caption)});
    if (messages_.size() > recentEntries)
        messages_.pop_front();
    std::fprintf(stderr, "[%.*s] %.*s\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
}

void ovHeadlessSystem::debugOutput(std::string_view text) {
    for (char c : text)
        debugLines_ += c == '\n' ? 1 : 0;
    debug_.append(text);
    if (debug_.size() > recentDebugBytes) {
        // Keep whole lines: drop up to the first line break of the part that must go.
        size_t cut = debug_.size() - recentDebugBytes / 2;
        const size_t lineEnd = debug_.find('\n', cut);
        if (lineEnd != std::string::npos)
            cut = lineEnd + 1;
        debug_.erase(0, cut);
    }
    if (debugEcho_)
        std::fwrite(text.data(), 1, text.size(), stderr);
}
