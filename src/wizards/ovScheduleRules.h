#pragma once
// The rules the appointment and task wizards share to turn their steps into an item's
// schedule: the date of a day choice or of the calendar, the start time, the minutes
// of a duration, and a text composed from a prefix choice and the keyboard after it.
#include "base/ovFixedText.h"
#include "system/ovDateTime.h"

#include <string_view>

class ovDatePicker;
class ovHyperNode;
class ovTimePicker;

// `now` moved on by the day choice's label: "Tomorrow" one day, "Day After" two,
// anything else not at all. The time of day, seconds included, stays that of `now`.
ovSystemTime ovDateFromChoice(const ovSystemTime& now, std::u16string_view label);
// `now` on the date picked in the calendar (the weekday as the calendar numbers it).
ovSystemTime ovDateFromCalendar(const ovSystemTime& now, const ovDatePicker& calendar);
// Hour and minute from the start-time picker; the date and the seconds stay.
void ovApplyStartTime(ovSystemTime& startTime, const ovTimePicker& picker);
// A picker's length of time in minutes (weeks, days, hours and minutes together).
int ovMinutesOf(const ovTimePicker& picker);

// What a prefix choice contributes: its label as it stands, nothing for "Other".
std::u16string_view ovPrefixOf(const ovHyperNode& choice);
// prefix followed by typed, cut at the field's size.
void ovComposeText(ovFixedText<256>& out, std::u16string_view prefix, std::u16string_view typed);

// Back to the form the picker was configured with, nothing pressed, hours as the unit.
void ovResetTimePicker(ovTimePicker& picker);
