#include "platform/system/ovDateTime.h"

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
    // Howard Hinnant's days_from_civil.
    const int64_t y = static_cast<int64_t>(year) - (month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void ovCivilFromDays(int64_t z, int& year, unsigned& month, unsigned& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = doy - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int>(y + (month <= 2 ? 1 : 0));
}

int ovWeekday(int year, unsigned month, unsigned day) {
    const int64_t days = ovDaysFromCivil(year, month, day);
    // 1970-01-01 was a Thursday (4).
    return static_cast<int>(((days % 7) + 7 + 4) % 7);
}

int ovDaysInMonth(int year, unsigned month) {
    static const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : lengths[month - 1];
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
    char text[16];
    if (withSeconds)
        std::snprintf(text, sizeof text, "%02u:%02u:%02u", st.hour % 100u, st.minute % 100u,
                      st.second % 100u);
    else
        std::snprintf(text, sizeof text, "%02u:%02u", st.hour % 100u, st.minute % 100u);
    return text;
}

std::optional<ovSystemTime> ovParseIsoLocal(const std::string& text) {
    unsigned y, mo, d, h, mi, s;
    char tail;
    if (text.size() != 19 ||
        std::sscanf(text.c_str(), "%4u-%2u-%2uT%2u:%2u:%2u%c", &y, &mo, &d, &h, &mi, &s, &tail) != 6)
        return std::nullopt;
    if (text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' || text[16] != ':')
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
    st.dayOfWeek = static_cast<uint16_t>(ovWeekday(y, mo, d));
    return st;
}

std::string ovFormatIsoLocal(const ovSystemTime& st) {
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", st.year, st.month, st.day, st.hour,
                  st.minute, st.second);
    return text;
}
