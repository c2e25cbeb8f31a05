#include "system/ovClock.h"

#include <chrono>

ovSystemTime ovLocalTimeFrom(std::time_t seconds, unsigned milliseconds) {
    std::tm tm{};
    localtime_r(&seconds, &tm);
    ovSystemTime st;
    st.year = static_cast<uint16_t>(tm.tm_year + 1900);
    st.month = static_cast<uint16_t>(tm.tm_mon + 1);
    st.day = static_cast<uint16_t>(tm.tm_mday);
    st.dayOfWeek = static_cast<uint16_t>(tm.tm_wday);
    st.hour = static_cast<uint16_t>(tm.tm_hour);
    st.minute = static_cast<uint16_t>(tm.tm_min);
    st.second = static_cast<uint16_t>(tm.tm_sec);
    st.milliseconds = static_cast<uint16_t>(milliseconds);
    return st;
}

std::time_t ovTimeFromLocal(const ovSystemTime& st) {
    std::tm tm{};
    tm.tm_year = st.year - 1900;
    tm.tm_mon = st.month - 1;
    tm.tm_mday = st.day;
    tm.tm_hour = st.hour;
    tm.tm_min = st.minute;
    tm.tm_sec = st.second;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

ovSystemTime ovExistingLocalTime(const ovSystemTime& st) {
    const std::time_t seconds = ovTimeFromLocal(st);
    if (seconds == static_cast<std::time_t>(-1))
        return st;
    return ovLocalTimeFrom(seconds, st.milliseconds);
}

namespace {
int64_t steadyMs() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
}
} // namespace

ovRealClock::ovRealClock() : startMs_(steadyMs()) {}

uint32_t ovRealClock::tickCount() const {
    return static_cast<uint32_t>(steadyMs() - startMs_);
}

ovSystemTime ovRealClock::localTime() const {
    const auto now = std::chrono::system_clock::now();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    return ovLocalTimeFrom(static_cast<std::time_t>(ms / 1000), static_cast<unsigned>(ms % 1000));
}

ovVirtualClock::ovVirtualClock(const ovSystemTime& start)
    : startSeconds_(ovTimeFromLocal(start)), startMilliseconds_(start.milliseconds) {}

ovSystemTime ovVirtualClock::localTime() const {
    const uint64_t totalMs = static_cast<uint64_t>(startMilliseconds_) + elapsedMs_;
    return ovLocalTimeFrom(startSeconds_ + static_cast<std::time_t>(totalMs / 1000),
                           static_cast<unsigned>(totalMs % 1000));
}
