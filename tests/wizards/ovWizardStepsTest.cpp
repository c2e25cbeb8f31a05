// The wizards' steps through the running program: what each step gives the root,
// where Back leads, when the commit runs, the long press, and a store that refuses.
#include "wizards/ovWizardDriver.h"

#include "data/pim/ovPimApplication.h"
#include "pickers/ovDatePicker.h"
#include "pickers/ovDatePickerLayout.h"
#include "pickers/ovInfoDisplay.h"
#include "pickers/ovTimePicker.h"
#include "store/ovPoomSession.h"
#include "wizards/ovAppointmentSystem.h"
#include "wizards/ovContactSystem.h"
#include "wizards/ovTaskSystem.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <iterator>

namespace {
// From the home screen to the subject choices of the appointment wizard, with the
// start time and length as they stand.
void toSubject(ovWizardDriver& d, const std::u16string& day = u"Today") {
    d.startWizard(u"Appointment");
    d.tapChild(day);
    d.next();
    d.next();
}

// On to the info display: "Lunch with " Bob at "Restaurant: " Roma.
void lunchWithBob(ovWizardDriver& d) {
    toSubject(d);
    d.lunchWithBobAtRoma();
}

int appointmentsInStore() {
    ovPoomSession* session = ovPoomSession::instance();
    ovSystemTime from{2000, 1, 0, 1};
    ovSystemTime to{2100, 1, 0, 1};
    EXPECT_TRUE(session->queryAppointments(from, to).ok());
    return session->appointments().count();
}

std::string fileBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
} // namespace

TEST(WizardSteps, ThreeDaysAndAQuarterGive4335Minutes) {
    ovWizardDriver d;
    d.startWizard(u"Appointment");
    d.tapChild(u"Today");
    d.next();
    d.pickLeft(3);
    d.unit(1); // days
    d.toggle(0);
    d.next();
    EXPECT_EQ(ovAppointmentSystem::instance()->durationMinutes, 3 * 1440 + 15);
}

TEST(WizardSteps, CalendarDayGivesTheStartDate) {
    ovWizardDriver d;
    d.startWizard(u"Task");
    d.tapChild(u"Calendar");
    ASSERT_NE(dynamic_cast<ovDatePicker*>(d.current()), nullptr);
    const ovDatePickerLayout::Grid g = ovDatePickerLayout::grid(d.right(), d.bottom());
    const int cell = weekdayOf(12, 1, 2026) + 24 - 1;
    d.tap(ovWizardDriver::centre(g.cell(cell / 7, cell % 7)));
    ASSERT_NE(dynamic_cast<ovTimePicker*>(d.current()), nullptr);
    d.pickMiddle(2); // 18
    d.next();
    const ovSystemTime& start = ovTaskSystem::instance()->startTime;
    EXPECT_EQ(start.year, 2026);
    EXPECT_EQ(start.month, 12);
    EXPECT_EQ(start.day, 24);
    EXPECT_EQ(start.hour, 18);
    EXPECT_EQ(start.minute, 0);
}

TEST(WizardSteps, OtherWithNothingTypedSavesEmptyTexts) {
    ovWizardDriver d;
    toSubject(d);
    d.tapChild(u"Other");
    d.ok();
    d.tapChild(u"Other");
    d.ok();
    d.next();
    d.tapScreen();
    const std::string listed = d.list("appointments");
    EXPECT_NE(listed.find("\"subject\":\"\",\"location\":\"\""), std::string::npos) << listed;
}

TEST(WizardSteps, BackFromTheStartTimeReachesTheRootWhicheverDayLedThere) {
    ovWizardDriver d;
    d.startWizard(u"Appointment");
    for (const char16_t* day : {u"Today", u"Tomorrow", u"Day After"}) {
        d.tapChild(day);
        ASSERT_EQ(d.current(), ovAppointmentSystem::instance()->startTimePicker);
        d.back();
        EXPECT_EQ(d.current(), ovAppointmentSystem::instance());
    }
    d.tapOwnButton();
    d.startWizard(u"Task");
    d.tapChild(u"Day After");
    d.back();
    EXPECT_EQ(d.current(), ovTaskSystem::instance());
}

TEST(WizardSteps, BackFromTheAppointmentReminderEndsOnTheLocationKeyboard) {
    ovWizardDriver d;
    ovAppointmentSystem* wizard = ovAppointmentSystem::instance();
    toSubject(d);
    d.tapChild(u"Call ");
    d.type("ann");
    d.ok();
    d.tapChild(u"My Office");
    ASSERT_EQ(d.current(), wizard->reminderPicker);
    EXPECT_EQ(wizard->location.str(), u"My Office");
    d.back();
    d.run("wait 20");
    EXPECT_EQ(d.current(), wizard->locationKeyboard);
    // On the way back the location "Other" was left: nothing typed yet, no location.
    EXPECT_TRUE(wizard->location.empty());
    EXPECT_EQ(wizard->subject.str(), u"Call Ann");
}

TEST(WizardSteps, BackFromTheTaskReminderEndsOnThePriorities) {
    ovWizardDriver d;
    ovTaskSystem* wizard = ovTaskSystem::instance();
    d.startWizard(u"Task");
    d.tapChild(u"Today");
    d.next();
    d.next();
    d.tapChild(u"Buy ");
    d.type("milk");
    d.ok();
    d.tapChild(u"High");
    EXPECT_EQ(wizard->priority, ovTaskSystem::priorityHigh);
    ASSERT_EQ(d.current(), wizard->reminderPicker);
    d.back();
    d.run("wait 20");
    EXPECT_EQ(d.current()->label.str(), u"Priority");
    // Going back passed through "Low".
    EXPECT_EQ(wizard->priority, ovTaskSystem::priorityLow);
}

TEST(WizardSteps, BackFromTheContactHubReachesTheNameKeyboard) {
    ovWizardDriver d;
    ovContactSystem* wizard = ovContactSystem::instance();
    d.startWizard(u"New Contact");
    d.type("ann");
    d.ok();
    d.tapChild(u"eMail Address");
    d.type("a@b");
    d.ok();
    ASSERT_EQ(d.current(), wizard->hub);
    EXPECT_EQ(wizard->emailChoice->label.str(), u"@:a@b");
    d.tapOwnButton();
    EXPECT_EQ(d.current(), wizard->nameKeyboard);
    EXPECT_EQ(wizard->nameKeyboard->inputText.str(), u"Ann");
    // The name keyboard's Back leaves through the root to the home screen; coming back
    // finds everything as it was left.
    d.keyboardBack();
    EXPECT_EQ(d.current()->nodeId, ovHomeScreenId);
    d.startWizard(u"New Contact");
    EXPECT_EQ(d.current(), wizard->nameKeyboard);
    EXPECT_EQ(wizard->nameKeyboard->inputText.str(), u"Ann");
    EXPECT_EQ(wizard->emailChoice->label.str(), u"@:a@b");
}

TEST(WizardSteps, EmptyingAFieldPutsItsLabelBack) {
    ovWizardDriver d;
    ovContactSystem* wizard = ovContactSystem::instance();
    d.startWizard(u"New Contact");
    d.ok();
    d.tapChild(u"Fax Number");
    d.type("12");
    d.ok();
    EXPECT_EQ(wizard->faxChoice->label.str(), u"F:12");
    d.tapChild(u"F:12");
    d.backspace();
    d.backspace();
    d.keyboardBack();
    EXPECT_EQ(d.current(), wizard->hub);
    EXPECT_EQ(wizard->faxChoice->label.str(), u"Fax Number");
}

TEST(WizardSteps, EachArrivalOnTheInfoDisplayCommitsExactlyOnce) {
    ovWizardDriver d;
    lunchWithBob(d);
    // Repaints and ticks on the info display commit nothing more.
    d.run("wait 500");
    EXPECT_EQ(appointmentsInStore(), 1);
    d.tapScreen();
    EXPECT_EQ(appointmentsInStore(), 1);
    // The commit emptied the keyboards and put the pickers back.
    EXPECT_TRUE(ovAppointmentSystem::instance()->subjectKeyboard->inputText.empty());
    EXPECT_EQ(ovAppointmentSystem::instance()->endTimePicker->durationMinutes(), 60);
    lunchWithBob(d);
    d.tapScreen();
    EXPECT_EQ(appointmentsInStore(), 2);
}

TEST(WizardSteps, LongPressAbandonsTheWizardSilently) {
    ovWizardDriver d;
    ovAppointmentSystem* wizard = ovAppointmentSystem::instance();
    toSubject(d);
    d.tapChild(u"Dinner with ");
    d.type("eve");
    ASSERT_EQ(wizard->subjectKeyboard->inputText.str(), u"Eve");
    const int clicks = d.program().app().clickCount;
    d.run("hold 20 10 1500");
    EXPECT_EQ(d.current()->nodeId, ovHomeScreenId);
    EXPECT_TRUE(wizard->subjectKeyboard->inputText.empty());
    EXPECT_TRUE(wizard->locationKeyboard->inputText.empty());
    EXPECT_EQ(d.program().app().clickCount, clicks);
    EXPECT_EQ(appointmentsInStore(), 0);
}

// Another program holding the store's write lock makes every save wait and then fail
// ("database is locked"), exactly as a user would meet it; it works whoever runs the
// test, root included, where file permissions would not stop a write.
TEST(WizardSteps, ARefusingStoreShowsWhyAndLosesNothing) {
    ovWizardDriver d;
    const std::string storeFile = ovPoomSession::instance()->application()->storeFile();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(storeFile.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    const std::string before = fileBytes(storeFile);
    const std::string walBefore = fileBytes(storeFile + "-wal");

    lunchWithBob(d);
    auto* finish = dynamic_cast<ovInfoDisplay*>(d.current());
    ASSERT_NE(finish, nullptr);
    EXPECT_TRUE(finish->failed());
    const std::u16string shown(finish->shownText());
    EXPECT_EQ(shown.rfind(u"The appointment was not saved: ", 0), 0u);
    EXPECT_NE(shown.find(u"locked"), std::u16string::npos);
    EXPECT_EQ(fileBytes(storeFile), before);
    EXPECT_EQ(fileBytes(storeFile + "-wal"), walBefore);

    // Everything typed is still there; the program goes on.
    ovAppointmentSystem* wizard = ovAppointmentSystem::instance();
    EXPECT_EQ(wizard->subjectKeyboard->inputText.str(), u"Bob");
    EXPECT_EQ(wizard->locationKeyboard->inputText.str(), u"Roma");
    d.tapScreen();
    EXPECT_EQ(d.current()->nodeId, ovHomeScreenId);
    EXPECT_EQ(appointmentsInStore(), 0);

    // Once the other program lets go, the same values go through again and are saved.
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    toSubject(d);
    d.tapChild(u"Lunch with ");
    d.ok();
    d.tapChild(u"Restaurant: ");
    d.ok();
    d.next();
    EXPECT_FALSE(static_cast<ovInfoDisplay*>(d.current())->failed());
    d.tapScreen();
    const std::string listed = d.list("appointments");
    EXPECT_NE(listed.find("\"subject\":\"Lunch with Bob\",\"location\":\"Restaurant: Roma\""),
              std::string::npos)
        << listed;
}

// The contact wizard's keyboards lead back to the hub that opened them; a search of
// the whole tree must still end.
TEST(WizardSteps, EveryStepIsFoundByItsIdAndAMissingIdEndsTheSearch) {
    ovWizardDriver d;
    ovNavigator& nav = d.nav();
    EXPECT_EQ(nav.findById(ovAppointmentSystem::firstNodeId), ovAppointmentSystem::instance());
    EXPECT_EQ(nav.findById(ovAppointmentSystem::firstNodeId + 22), ovAppointmentSystem::instance()->finish);
    EXPECT_EQ(nav.findById(ovTaskSystem::firstNodeId + 20), ovTaskSystem::instance()->finish);
    EXPECT_EQ(nav.findById(ovContactSystem::firstNodeId + 13), ovContactSystem::instance()->finish);
    EXPECT_EQ(nav.findById(ovContactSystem::firstNodeId + 6), ovContactSystem::instance()->mobileChoice);
    EXPECT_EQ(nav.findById(12345), nullptr);
}
