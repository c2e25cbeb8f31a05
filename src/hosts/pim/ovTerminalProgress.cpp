#include "hosts/pim/ovTerminalProgress.h"

#include <ostream>

namespace {
constexpr auto kQuietFor = std::chrono::seconds(1);
constexpr auto kRedrawEvery = std::chrono::milliseconds(200);
} // namespace

ovTerminalProgress::ovTerminalProgress(std::ostream& out, bool shown, std::string what)
    : out_(out), shown_(shown), what_(std::move(what)) {}

ovTerminalProgress::~ovTerminalProgress() {
    if (drawn_)
        out_ << "\n" << std::flush;
}

void ovTerminalProgress::update(size_t done, size_t total) {
    if (!shown_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now - start_ < kQuietFor || (drawn_ && done < total && now - lastDrawn_ < kRedrawEvery))
        return;
    lastDrawn_ = now;
    drawn_ = true;
    // \r and the line cleared to its end: the same line, redrawn.
    out_ << "\r" << what_ << ": " << done << " of " << total << "\x1b[K" << std::flush;
}
