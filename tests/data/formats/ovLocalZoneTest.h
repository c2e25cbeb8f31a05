#pragma once
// For tests of the calendar readers: store dates to and from ISO local time, and a
// fixture that sets the process's time zone for the test and puts the old one back.
#include "system/ovDateTime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

inline double ovLocalDate(const char* iso) {
    double date = 0;
    EXPECT_TRUE(ovSystemTimeToVariantTime(*ovParseIsoLocal(iso), date)) << iso;
    return date;
}

inline std::string ovIsoDate(double date) {
    ovSystemTime st;
    ovVariantTimeToSystemTime(date, st);
    return ovFormatIsoLocal(st);
}

class ovLocalZoneTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (saved_)
            setenv("TZ", saved_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    void useZone(const char* zone) {
        if (!touched_) {
            touched_ = true;
            if (const char* tz = std::getenv("TZ"))
                saved_ = tz;
        }
        setenv("TZ", zone, 1);
        tzset();
    }

private:
    bool touched_ = false;
    std::optional<std::string> saved_;
};
