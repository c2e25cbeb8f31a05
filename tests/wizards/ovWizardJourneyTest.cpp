// Whole journeys from the home screen to an item in a fresh store, touching only where
// the screens show their buttons, read back with the store tool.
#include "wizards/ovWizardDriver.h"

#include "pickers/ovInfoDisplay.h"
#include "wizards/ovContactSystem.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <utility>

namespace {
// The local time's seconds, as "SS".
std::string secondsNow(ovWizardDriver& d) {
    char text[8];
    std::snprintf(text, sizeof text, "%02u", d.program().system().clock().localTime().second);
    return text;
}
} // namespace

class WizardJourneyOnScreen : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(WizardJourneyOnScreen, LunchWithBobAtRomaTodayBecomesOneAppointment) {
    ovWizardDriver d(GetParam().first, GetParam().second);
    // Let the clock run into the seconds, so that they show in the saved start.
    d.run("wait 3400");
    d.startWizard(u"Appointment");
    d.tapChild(u"Today");
    // The day is taken on the tick after the release, still within this second.
    const std::string seconds = secondsNow(d);
    d.pickLeft(6); // 14
    d.toggle(1);   // :30
    d.next();
    d.next(); // the length as it stands: one hour
    d.tapChild(u"Lunch with ");
    d.type("bob");
    d.ok();
    d.tapChild(u"Restaurant: ");
    d.type("roma");
    d.ok();
    d.next(); // the reminder as it stands: 15 minutes
    ASSERT_NE(dynamic_cast<ovInfoDisplay*>(d.current()), nullptr);
    EXPECT_FALSE(static_cast<ovInfoDisplay*>(d.current())->failed());
    d.tapScreen();
    EXPECT_EQ(d.current()->nodeId, ovHomeScreenId);

    EXPECT_EQ(d.list("appointments"),
              "{\"start\":\"2026-12-09T14:30:" + seconds + "\",\"end\":\"2026-12-09T15:30:" + seconds +
                  "\",\"subject\":\"Lunch with Bob\",\"location\":\"Restaurant: Roma\","
                  "\"duration\":60,\"reminderMinutes\":15,\"reminderSet\":true}\n");
}

INSTANTIATE_TEST_SUITE_P(Sizes, WizardJourneyOnScreen,
                         ::testing::Values(std::pair{240, 320}, std::pair{480, 640}));

TEST(WizardJourney, PayRentTomorrowBecomesOneHighPriorityTask) {
    ovWizardDriver d;
    d.run("wait 1500");
    d.startWizard(u"Task");
    d.tapChild(u"Tomorrow");
    const std::string seconds = secondsNow(d);
    d.pickLeft(1); // 9
    d.toggle(0);   // :15
    d.next();
    d.next();
    d.tapChild(u"Pay ");
    d.type("rent");
    d.ok();
    d.tapChild(u"High");
    d.next();
    d.tapScreen();

    // The keyboard capitalises the first letter of an empty text: "Pay Rent".
    EXPECT_EQ(d.list("tasks"),
              "{\"subject\":\"Pay Rent\",\"importance\":2,\"start\":\"2026-12-10T09:15:" + seconds +
                  "\",\"due\":\"2026-12-10T10:15:" + seconds +
                  "\",\"reminder\":\"2026-12-10T09:00:" + seconds + "\",\"reminderSet\":true}\n");
}

TEST(WizardJourney, ContactHubSummarisesALongMobileNumberAndSavesItWhole) {
    ovWizardDriver d;
    d.startWizard(u"New Contact");
    d.type("ann lee");
    d.ok();
    ovContactSystem* wizard = ovContactSystem::instance();
    ASSERT_EQ(d.current(), wizard->hub);
    d.tapChild(u"Mobile Number");
    d.type("491701234567");
    d.ok();
    ASSERT_EQ(d.current(), wizard->hub);
    EXPECT_EQ(wizard->mobileChoice->label.str(), u"M:49170123..");
    d.tapChild(u"M:49170123..");
    ASSERT_EQ(d.current(), wizard->mobileKeyboard);
    d.ok();
    d.tapChild(u"FINISH");
    d.tapScreen();
    // After the commit the hub shows the empty labels again.
    EXPECT_EQ(wizard->mobileChoice->label.str(), u"Mobile Number");

    EXPECT_EQ(d.list("contacts"), "{\"fileAs\":\"Ann Lee\",\"firstName\":\"\",\"home\":\"\",\"mobile\":"
                                  "\"491701234567\",\"work\":\"\",\"fax\":\"\",\"email\":\"\"}\n");
}
