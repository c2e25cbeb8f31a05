#include "wizards/ovAppointmentSystem.h"

#include "pickers/ovDatePicker.h"
#include "pickers/ovInfoDisplay.h"
#include "pickers/ovKeyboardInput.h"
#include "pickers/ovTimePicker.h"
#include "shell/ovApp.h"
#include "store/ovPoomSession.h"
#include "system/ovSystem.h"
#include "wizards/ovScheduleRules.h"
#include "wizards/ovWizardBuilder.h"
#include "wizards/ovWizardTags.h"

ovAppointmentSystem::ovAppointmentSystem(ovApp& app) : app_(app) {}

ovAppointmentSystem::~ovAppointmentSystem() {}

ovAppointmentSystem* ovAppointmentSystem::create(ovApp& app) {
    ovAppointmentSystem* root = app.makeNode<ovAppointmentSystem>(app);
    root->build();
    return root;
}

void ovAppointmentSystem::build() {
    using namespace ovWizardTags;
    ovWizardBuilder b(app_, *this, firstNodeId, u"Appointment");

    subjectKeyboard = b.step<ovKeyboardInput>(u"Keyboard", subjectKeyboardTag);
    locationKeyboard = b.step<ovKeyboardInput>(u"Keyboard", locationKeyboardTag);
    startTimePicker = b.step<ovTimePicker>(u"start time", startTimeTag);
    ovHyperNode* today = b.step(u"Today", dayChoiceTag);
    ovHyperNode* tomorrow = b.step(u"Tomorrow", dayChoiceTag);
    ovHyperNode* dayAfter = b.step(u"Day After", dayChoiceTag);
    calendar = b.step<ovDatePicker>(u"Calendar", calendarTag);
    endTimePicker = b.step<ovTimePicker>(u"end time", endTimeTag);
    endTimePicker->configure(ovTimePicker::duration, false);
    ovHyperNode* subjectHeading = b.step(u"Subject", 0);
    ovHyperNode* subjects[] = {
        b.step(u"Meet with ", subjectChoiceTag),   b.step(u"Lunch with ", subjectChoiceTag),
        b.step(u"Dinner with ", subjectChoiceTag), b.step(u"Conference: ", subjectChoiceTag),
        b.step(u"Call ", subjectChoiceTag),        b.step(u"Other", subjectChoiceTag),
    };
    reminderPicker = b.step<ovTimePicker>(u"Reminder", reminderTag);
    reminderPicker->configure(ovTimePicker::duration, true);
    ovHyperNode* locationHeading = b.step(u"Location", 0);
    ovHyperNode* myOffice = b.step(u"My Office", locationChoiceTag);
    ovHyperNode* hisOffice = b.step(u"His office", locationChoiceTag);
    ovHyperNode* restaurant = b.step(u"Restaurant: ", locationChoiceTag);
    ovHyperNode* otherLocation = b.step(u"Other", locationChoiceTag);
    finish = b.step<ovInfoDisplay>(u"Finish", -1);
    finish->messageText =
        u"New appointment has been added successfully. You may now tap the screen to return "
        u"to the Home screen.";

    // The start-time picker is attached last under "Calendar", so Back from it leads
    // through "Calendar" to the root whichever day was chosen.
    for (ovHyperNode* day : {today, tomorrow, dayAfter, static_cast<ovHyperNode*>(calendar)}) {
        b.attach(this, day);
        b.attach(day, startTimePicker);
    }
    b.attach(startTimePicker, endTimePicker);
    b.attach(endTimePicker, subjectHeading);
    for (ovHyperNode* choice : subjects) {
        b.attach(subjectHeading, choice);
        b.attach(choice, subjectKeyboard);
    }
    b.attach(subjectKeyboard, locationHeading);
    b.attach(locationHeading, myOffice);
    b.attach(myOffice, reminderPicker);
    b.attach(locationHeading, hisOffice);
    b.attach(hisOffice, reminderPicker);
    b.attach(locationHeading, restaurant);
    b.attach(restaurant, locationKeyboard);
    b.attach(locationHeading, otherLocation);
    b.attach(otherLocation, locationKeyboard);
    // Back from the reminder therefore ends on the location keyboard.
    b.attach(locationKeyboard, reminderPicker);
    b.attach(reminderPicker, finish);
}

void ovAppointmentSystem::childFinished(ovHyperNode* finished) {
    using namespace ovWizardTags;
    if (takeScheduleStep(*finished, app_.system().clock().localTime()))
        return;
    switch (finished->tag) {
    case locationChoiceTag:
        locationPrefix_ = ovPrefixOf(*finished);
        location = locationPrefix_.view();
        break;
    case locationKeyboardTag:
        ovComposeText(location, locationPrefix_.view(), locationKeyboard->inputText.view());
        break;
    case ovFinishTag:
        commit();
        break;
    default:
        break;
    }
}

void ovAppointmentSystem::commit() {
    takeReminder();
    ovPoomSession* session = ovPoomSession::instance();
    if (session == nullptr) {
        ovReportCommit(*finish, false, "the appointment was not saved: there is no store");
        return;
    }
    const auto result =
        session->addAppointment(startTime, subject.view(), location.view(), durationMinutes, reminderMinutes);
    // A refused appointment keeps everything entered, so the user can try again.
    if (ovReportCommit(*finish, result.ok(), result.ok() ? std::string() : result.reason()))
        reset(*app_.navigator);
}

void ovAppointmentSystem::reset(ovNavigator&) {
    resetSchedule();
    locationKeyboard->inputText.clear();
}
