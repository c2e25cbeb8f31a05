#pragma once
// The tags by which the wizard roots recognise the step that was left. The appointment
// and task wizards share the schedule steps' tags; 1007 is the appointment's location
// keyboard and the task's priority choices.
#include "pickers/ovInfoDisplay.h"

namespace ovWizardTags {
constexpr int dayChoiceTag = 1001;
constexpr int startTimeTag = 1002;
constexpr int endTimeTag = 1003;
constexpr int subjectChoiceTag = 1004;
constexpr int reminderTag = 1005;
constexpr int subjectKeyboardTag = 1006;
constexpr int locationKeyboardTag = 1007;
constexpr int priorityChoiceTag = 1007;
constexpr int locationChoiceTag = 1008;
constexpr int calendarTag = 1009;

constexpr int nameKeyboardTag = 100040;
constexpr int mobileKeyboardTag = 100041;
constexpr int workKeyboardTag = 100042;
constexpr int faxKeyboardTag = 100043;
constexpr int emailKeyboardTag = 100044;
constexpr int homeKeyboardTag = 100045;
constexpr int contactFinishTag = 100046;

constexpr int messageNameKeyboardTag = 919311;
constexpr int contactPickerTag = 919312;
constexpr int accountPickerTag = 919314;
} // namespace ovWizardTags
