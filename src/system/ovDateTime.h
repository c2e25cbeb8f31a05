#pragma once
// Calendar values as the program handles them: the eight-field date-time record
// and the automation date (days since 1899-12-30, time of day as the fraction).
#include <cstdint>
#include <optional>
#include <string>

struct ovSystemTime {
    uint16_t year = 0;
    uint16_t month = 0;     // 1..12
    uint16_t dayOfWeek = 0; // 0 = Sunday
    uint16_t day = 0;       // 1..31
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;

    bool operator==(const ovSystemTime&) const = default;
};

// Days between 1970-01-01 and the given civil date (proleptic Gregorian, any year).
int64_t ovDaysFromCivil(int year, unsigned month, unsigned day);
// Inverse of ovDaysFromCivil.
void ovCivilFromDays(int64_t days, int& year, unsigned& month, unsigned& day);
// 0 = Sunday .. 6 = Saturday, right for every year.
int ovWeekday(int year, unsigned month, unsigned day);
int ovDaysInMonth(int year, unsigned month);

// Fails (returns false) for a record outside the calendar, as the platform call does;
// the milliseconds are not part of the result.
bool ovSystemTimeToVariantTime(const ovSystemTime& st, double& out);
// Rounds to the nearest second and fills in the day of the week.
bool ovVariantTimeToSystemTime(double vt, ovSystemTime& out);

// "hh:mm:ss" or "hh:mm" in 24-hour form, zero-padded.
std::string ovFormatTime(const ovSystemTime& st, bool withSeconds);

// ISO 8601 local time "YYYY-MM-DDTHH:MM:SS" in and out (the store tool and --now).
std::optional<ovSystemTime> ovParseIsoLocal(const std::string& text);
std::string ovFormatIsoLocal(const ovSystemTime& st);
