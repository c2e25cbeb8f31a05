#pragma once
// "what: N of M" on a terminal while a long run goes on: shown only when asked (the
// stream is a terminal) and once the run has lasted a second, redrawn in place a few
// times a second, and its line ended when the run ends.
#include <chrono>
#include <iosfwd>
#include <string>

class ovTerminalProgress {
public:
    ovTerminalProgress(std::ostream& out, bool shown, std::string what);
    ~ovTerminalProgress();
    ovTerminalProgress(const ovTerminalProgress&) = delete;
    ovTerminalProgress& operator=(const ovTerminalProgress&) = delete;

    void update(size_t done, size_t total);

private:
    std::ostream& out_;
    bool shown_;
    std::string what_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point lastDrawn_;
};
