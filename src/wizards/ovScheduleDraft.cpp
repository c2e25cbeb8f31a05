#include "wizards/ovScheduleDraft.h"

#include "pickers/ovDatePicker.h"
#include "pickers/ovKeyboardInput.h"
#include "pickers/ovTimePicker.h"
#include "shell/ovHyperNode.h"
#include "wizards/ovScheduleRules.h"
#include "wizards/ovWizardTags.h"

bool ovScheduleDraft::takeScheduleStep(const ovHyperNode& finished, const ovSystemTime& now) {
    using namespace ovWizardTags;
    switch (finished.tag) {
    case dayChoiceTag:
        startTime = ovDateFromChoice(now, finished.label.view());
        return true;
    case calendarTag:
        startTime = ovDateFromCalendar(now, *calendar);
        return true;
    case startTimeTag:
        ovApplyStartTime(startTime, *startTimePicker);
        return true;
    case endTimeTag:
        durationMinutes = ovMinutesOf(*endTimePicker);
        return true;
    case subjectChoiceTag:
        subjectPrefix_ = ovPrefixOf(finished);
        subject = subjectPrefix_.view();
        return true;
    case subjectKeyboardTag:
        ovComposeText(subject, subjectPrefix_.view(), subjectKeyboard->inputText.view());
        return true;
    default:
        return false;
    }
}

void ovScheduleDraft::takeReminder() {
    reminderMinutes = ovMinutesOf(*reminderPicker);
}

void ovScheduleDraft::resetSchedule() {
    subjectKeyboard->inputText.clear();
    ovResetTimePicker(*startTimePicker);
    ovResetTimePicker(*endTimePicker);
    ovResetTimePicker(*reminderPicker);
    calendar->showToday();
}
