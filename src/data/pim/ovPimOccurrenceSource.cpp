#include "data/pim/ovPimOccurrenceSource.h"

#include <algorithm>

bool ovPimTextMayRepeat(std::string_view text) {
    static const std::string_view words[] = {"RRULE", "RDATE", "RECURRENCE-ID"};
    for (std::string_view word : words) {
        auto found = std::search(text.begin(), text.end(), word.begin(), word.end(), [](char a, char b) {
            return (a >= 'a' && a <= 'z' ? static_cast<char>(a - 32) : a) == b;
        });
        if (found != text.end())
            return true;
    }
    return false;
}
