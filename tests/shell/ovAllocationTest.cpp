// The steady-state tick must not allocate: this program counts every allocation
// made while a counter is switched on.
#include "support/ovTestProgram.h"

#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <new>

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
} // namespace

// The replacements pair malloc with free by design; the compiler cannot see that both
// halves are ours.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    if (counting)
        ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
#pragma GCC diagnostic pop

TEST(SteadyState, TicksAndTouchesWithoutRepaintAllocateNothing) {
    ovTestProgram p;
    p.run("wait 50");
    ovApp& app = p.app();
    float total = app.totalTime;
    counting = true;
    for (int i = 0; i < 1000; ++i) {
        total += 0.01f;
        app.update(0.01f, total);
    }
    counting = false;
    EXPECT_EQ(allocations.load(), 0);
}

TEST(SteadyState, DrawingAFrameAllocatesNothingOnceGlyphsAreCached) {
    ovTestProgram p;
    p.run("wait 50\ntap 140 114\nwait 50");
    counting = true;
    p.run("");
    for (int i = 0; i < 50; ++i)
        p.shell().onPaint();
    counting = false;
    EXPECT_EQ(allocations.load(), 0);
}
