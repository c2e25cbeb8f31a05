#pragma once
// What the appointment and task wizards have in common: the day, the start time, the
// length, the subject from a prefix and typed text, and the reminder, collected from
// their steps as the user leaves them, and put back to the steps' first state after a
// commit or a long press.
#include "base/ovFixedText.h"
#include "system/ovDateTime.h"

class ovDatePicker;
class ovHyperNode;
class ovKeyboardInput;
class ovTimePicker;

class ovScheduleDraft {
public:
    // Takes the value of a step the user has just left when it is one of the shared
    // steps (by its tag); false for any other step.
    bool takeScheduleStep(const ovHyperNode& finished, const ovSystemTime& now);
    // The reminder as the picker shows it, read at the commit.
    void takeReminder();
    void resetSchedule();

    // The draft, written by the steps before the commit reads it.
    ovSystemTime startTime;
    ovFixedText<256> subject;
    int durationMinutes = 0;
    int reminderMinutes = 0;

    // The steps the draft reads or resets.
    ovKeyboardInput* subjectKeyboard = nullptr;
    ovTimePicker* startTimePicker = nullptr;
    ovTimePicker* endTimePicker = nullptr;
    ovTimePicker* reminderPicker = nullptr;
    ovDatePicker* calendar = nullptr;

private:
    // The prefix choice last left; the keyboard's text is added to it.
    ovFixedText<256> subjectPrefix_;
};
