#include "wizards/ovScheduleRules.h"

#include "pickers/ovDatePicker.h"
#include "pickers/ovTimePicker.h"
#include "shell/ovHyperNode.h"

namespace {
void advanceDays(ovSystemTime& t, int days) {
    for (int i = 0; i < days; ++i) {
        if (t.day < ovDaysInMonth(t.year, t.month)) {
            ++t.day;
            continue;
        }
        t.day = 1;
        if (t.month < 12) {
            ++t.month;
        } else {
            t.month = 1;
            ++t.year;
        }
    }
}
} // namespace

ovSystemTime ovDateFromChoice(const ovSystemTime& now, std::u16string_view label) {
    ovSystemTime t = now;
    if (label == u"Tomorrow")
        advanceDays(t, 1);
    else if (label == u"Day After")
        advanceDays(t, 2);
    return t;
}

ovSystemTime ovDateFromCalendar(const ovSystemTime& now, const ovDatePicker& calendar) {
    ovSystemTime t = now;
    t.year = static_cast<uint16_t>(calendar.selectedYear);
    t.month = static_cast<uint16_t>(calendar.selectedMonth);
    t.day = static_cast<uint16_t>(calendar.selectedDay);
    t.dayOfWeek = static_cast<uint16_t>(calendar.selectedWeekday);
    return t;
}

void ovApplyStartTime(ovSystemTime& startTime, const ovTimePicker& picker) {
    startTime.hour = static_cast<uint16_t>(picker.hours);
    startTime.minute = static_cast<uint16_t>(picker.minutes);
}

int ovMinutesOf(const ovTimePicker& picker) {
    return picker.durationMinutes();
}

std::u16string_view ovPrefixOf(const ovHyperNode& choice) {
    if (choice.label == u"Other")
        return {};
    return choice.label.view();
}

void ovComposeText(ovFixedText<256>& out, std::u16string_view prefix, std::u16string_view typed) {
    out.assign(prefix);
    out.append(typed);
}

void ovResetTimePicker(ovTimePicker& picker) {
    picker.configure(picker.pickerMode, picker.isReminder);
    picker.buttonState = ovTimePicker::noButton;
    picker.buttonPressTime = 0;
    picker.itemPressTime = 0;
    picker.pressedUnit = 0;
    picker.selectedUnit = 0;
    // The unit box follows the unit, or it would frame days while hours count.
    picker.selectedUnitRect = picker.hoursUnitRect;
}
