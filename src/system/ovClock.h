#pragma once
// Where the program's sense of time comes from: a millisecond tick count and the
// local wall-clock time. The window host uses the real clock; the headless host a
// virtual one that moves only when its script says so.
#include "system/ovDateTime.h"

#include <cstdint>
#include <ctime>

class ovClock {
public:
    virtual ~ovClock() = default;
    virtual uint32_t tickCount() const = 0;
    virtual ovSystemTime localTime() const = 0;
};

// Ticks count from the clock's creation, not from boot, so that the program's
// single-precision seconds keep millisecond resolution for days of running.
class ovRealClock final : public ovClock {
public:
    ovRealClock();
    uint32_t tickCount() const override;
    ovSystemTime localTime() const override;

private:
    int64_t startMs_;
};

class ovVirtualClock final : public ovClock {
public:
    // start: the local time at tick 0.
    explicit ovVirtualClock(const ovSystemTime& start);
    // Wraps after 2^32 ms as a real tick count does; the local time does not.
    uint32_t tickCount() const override { return static_cast<uint32_t>(elapsedMs_); }
    ovSystemTime localTime() const override;
    void advance(uint32_t ms) { elapsedMs_ += ms; }

private:
    std::time_t startSeconds_;
    uint16_t startMilliseconds_;
    uint64_t elapsedMs_ = 0;
};

// Local time of a POSIX time stamp with milliseconds (DST-aware through localtime_r).
ovSystemTime ovLocalTimeFrom(std::time_t seconds, unsigned milliseconds);
// The POSIX time stamp of a local date-time record (mktime, DST chosen by the system).
std::time_t ovTimeFromLocal(const ovSystemTime& st);
// The local time itself when the clocks show it; one they skip (02:30 on the night they go
// from 02:00 to 03:00) moved forward by the gap, as mktime reads it (03:30).
ovSystemTime ovExistingLocalTime(const ovSystemTime& st);
