#include "wizards/ovTaskSystem.h"

#include "pickers/ovDatePicker.h"
#include "pickers/ovInfoDisplay.h"
#include "pickers/ovKeyboardInput.h"
#include "pickers/ovTimePicker.h"
#include "shell/ovApp.h"
#include "store/ovPoomSession.h"
#include "system/ovSystem.h"
#include "wizards/ovWizardBuilder.h"
#include "wizards/ovWizardTags.h"

ovTaskSystem::ovTaskSystem(ovApp& app) : app_(app) {}

ovTaskSystem::~ovTaskSystem() {}

ovTaskSystem* ovTaskSystem::create(ovApp& app) {
    ovTaskSystem* root = app.makeNode<ovTaskSystem>(app);
    root->build();
    return root;
}

void ovTaskSystem::build() {
    using namespace ovWizardTags;
    ovWizardBuilder b(app_, *this, firstNodeId, u"Task");

    subjectKeyboard = b.step<ovKeyboardInput>(u"Keyboard", subjectKeyboardTag);
    startTimePicker = b.step<ovTimePicker>(u"start time", startTimeTag);
    ovHyperNode* today = b.step(u"Today", dayChoiceTag);
    ovHyperNode* tomorrow = b.step(u"Tomorrow", dayChoiceTag);
    ovHyperNode* dayAfter = b.step(u"Day After", dayChoiceTag);
    calendar = b.step<ovDatePicker>(u"Calendar", calendarTag);
    endTimePicker = b.step<ovTimePicker>(u"end time", endTimeTag);
    endTimePicker->configure(ovTimePicker::duration, false);
    ovHyperNode* subjectHeading = b.step(u"Subject", 0);
    ovHyperNode* subjects[] = {
        b.step(u"E-Mail ", subjectChoiceTag), b.step(u"Follow up ", subjectChoiceTag),
        b.step(u"Pay ", subjectChoiceTag),    b.step(u"Buy ", subjectChoiceTag),
        b.step(u"Check ", subjectChoiceTag),  b.step(u"Other", subjectChoiceTag),
    };
    reminderPicker = b.step<ovTimePicker>(u"Reminder", reminderTag);
    reminderPicker->configure(ovTimePicker::duration, true);
    ovHyperNode* priorityHeading = b.step(u"Priority", 0);
    ovHyperNode* priorities[] = {
        b.step(u"High", priorityChoiceTag),
        b.step(u"Normal", priorityChoiceTag),
        b.step(u"Low", priorityChoiceTag),
    };
    finish = b.step<ovInfoDisplay>(u"Finish", -1);
    finish->messageText =
        u"New task has been added successfully. You may now tap the screen to return to the Home screen.";

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
    b.attach(subjectKeyboard, priorityHeading);
    // The reminder ends with "Low" as its parent: Back from it leads to the priorities.
    for (ovHyperNode* choice : priorities) {
        b.attach(priorityHeading, choice);
        b.attach(choice, reminderPicker);
    }
    b.attach(reminderPicker, finish);
}

int ovTaskSystem::priorityOf(const ovHyperNode& choice) {
    if (choice.label == u"High")
        return priorityHigh;
    if (choice.label == u"Low")
        return priorityLow;
    return priorityNormal;
}

void ovTaskSystem::childFinished(ovHyperNode* finished) {
    using namespace ovWizardTags;
    if (takeScheduleStep(*finished, app_.system().clock().localTime()))
        return;
    switch (finished->tag) {
    case priorityChoiceTag:
        priority = priorityOf(*finished);
        break;
    case ovFinishTag:
        commit();
        break;
    default:
        break;
    }
}

void ovTaskSystem::commit() {
    takeReminder();
    ovPoomSession* session = ovPoomSession::instance();
    if (session == nullptr) {
        ovReportCommit(*finish, false, "the task was not saved: there is no store");
        return;
    }
    const auto result =
        session->addTask(startTime, subject.view(), durationMinutes, reminderMinutes, priority);
    // A refused task keeps everything entered, so the user can try again.
    if (ovReportCommit(*finish, result.ok(), result.ok() ? std::string() : result.reason()))
        reset(*app_.navigator);
}

void ovTaskSystem::reset(ovNavigator&) {
    resetSchedule();
}
