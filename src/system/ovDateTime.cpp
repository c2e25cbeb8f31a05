#include "system/ovDateTime.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace {
constexpr int64_t kVariantEpochDays = -25569; // 1899-12-30 relative to 1970-01-01
constexpr double kSecondsPerDay = 86400.0;
// The platform's documented range for automation dates: years 100 to 9999.
constexpr double kMinVariant = -657434.0;
constexpr double kMaxVariant = 2958466.0;
} // namespace

int64_t ovDaysFromCivil(int year, unsigned month, unsigned day) {
    const std::chrono::year_month_day date{std::chrono::year{year}, std::chrono::month{month},
                                           std::chrono::day{day}};
    return std::chrono::sys_days(date).time_since_epoch().count();
}

void ovCivilFromDays(int64_t days, int& year, unsigned& month, unsigned& day) {
    const std::chrono::year_month_day date{std::chrono::sys_days{std::chrono::days{days}}};
    year = static_cast<int>(date.year());
    month = static_cast<unsigned>(date.month());
    day = static_cast<unsigned>(date.day());
}

int ovWeekday(int year, unsigned month, unsigned day) {
    return static_cast<int>(std::chrono::weekday{
        std::chrono::sys_days{std::chrono::days{ovDaysFromCivil(
            year, month, day)}}}.c_encoding());
}

int ovDaysInMonth(int year, unsigned month) {
    if (month < 1 || month > 12)
        return 0;
    const std::chrono::year_month_day_last last{std::chrono::year{year},
                                                std::chrono::month_day_last{std::chrono::month{month}}};
    return static_cast<int>(static_cast<unsigned>(last.day()));
}

bool ovSystemTimeToVariantTime(const ovSystemTime& st, double& out) {
    if (st.year < 100 || st.year > 9999 || st.month < 1 || st.month > 12 || st.day < 1 ||
        st.day > ovDaysInMonth(st.year, st.month) || st.hour > 23 || st.minute > 59 || st.second > 59)
        return false;
    const double days = static_cast<double>(ovDaysFromCivil(st.year, st.month, st.day) - kVariantEpochDays);
    const double fraction = (st.hour * 3600.0 + st.minute * 60.0 + st.second) / kSecondsPerDay;
    // Before the epoch the whole part counts backwards but the fraction still runs forwards
    // (-1.25 is 1899-12-29 06:00).
    out = days < 0 ? days - fraction : days + fraction;
    return true;
}

bool ovVariantTimeToSystemTime(double vt, ovSystemTime& out) {
    if (!std::isfinite(vt) || vt < kMinVariant || vt > kMaxVariant)
        return false;
    double whole = std::trunc(vt);
    double fraction = std::fabs(vt - whole);
    int64_t seconds = std::llround(fraction * kSecondsPerDay);
    int64_t days = static_cast<int64_t>(whole);
    // Negative values keep the day in the whole part and the time of that day in the
    // fraction, so a rounding that reaches midnight moves to the following day either way.
    if (seconds >= 86400) {
        seconds -= 86400;
        days += 1;
    }
    int year;
    unsigned month, day;
    ovCivilFromDays(days + kVariantEpochDays, year, month, day);
    if (year < 100 || year > 9999)
        return false;
    out.year = static_cast<uint16_t>(year);
    out.month = static_cast<uint16_t>(month);
    out.day = static_cast<uint16_t>(day);
    out.dayOfWeek = static_cast<uint16_t>(ovWeekday(year, month, day));
    out.hour = static_cast<uint16_t>(seconds / 3600);
    out.minute = static_cast<uint16_t>(seconds / 60 % 60);
    out.second = static_cast<uint16_t>(seconds % 60);
    out.milliseconds = 0;
    return true;
}

std::string ovFormatTime(const ovSystemTime& st, bool withSeconds) {
    // Each field is cut to two digits, so the text always fits.
    char text[16];
    if (withSeconds)
        std::snprintf(text, sizeof text, "%02u:%02u:%02u", st.hour % 100u, st.minute % 100u,
                      st.second % 100u);
    else
        std::snprintf(text, sizeof text, "%02u:%02u", st.hour % 100u, st.minute % 100u);
    return text;
}

namespace {
// A field of exactly `digits` decimal digits at `at`.
bool parseField(const std::string& text, size_t at, size_t digits, unsigned& out) {
    const char* first = text.data() + at;
    const char* last = first + digits;
    // Only digits: no sign, no space, however a number parser would take them.
    for (const char* c = first; c != last; ++c)
        if (*c < '0' || *c > '9')
            return false;
    const auto [end, failure] = std::from_chars(first, last, out);
    return failure == std::errc() && end == last;
}
} // namespace

std::optional<ovSystemTime> ovParseIsoLocal(const std::string& text) {
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':')
        return std::nullopt;
    unsigned y, mo, d, h, mi, s;
    if (!parseField(text, 0, 4, y) || !parseField(text, 5, 2, mo) || !parseField(text, 8, 2, d) ||
        !parseField(text, 11, 2, h) || !parseField(text, 14, 2, mi) || !parseField(text, 17, 2, s))
        return std::nullopt;
    ovSystemTime st;
    st.year = static_cast<uint16_t>(y);
    st.month = static_cast<uint16_t>(mo);
    st.day = static_cast<uint16_t>(d);
    st.hour = static_cast<uint16_t>(h);
    st.minute = static_cast<uint16_t>(mi);
    st.second = static_cast<uint16_t>(s);
    double check;
    if (!ovSystemTimeToVariantTime(st, check))
        return std::nullopt;
    st.dayOfWeek = static_cast<uint16_t>(ovWeekday(static_cast<int>(y), mo, d));
    return st;
}

std::string ovFormatIsoLocal(const ovSystemTime& st) {
    // Room for the widest values the fields can hold, so nothing is ever cut.
    char text[48];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", st.year, st.month, st.day, st.hour,
                  st.minute, st.second);
    return text;
}
