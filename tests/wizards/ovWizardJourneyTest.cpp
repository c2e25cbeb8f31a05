// Whole journeys from the home screen to an item in a fresh store, touching only where
// the screens show their buttons, read back with the store tool.
#include "wizards/ovWizardDriver.h"

#include "pickers/ovInfoDisplay.h"
#include "shell/ovBackBuffer.h"
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
    d.next();               // the length as it stands: one hour
    d.lunchWithBobAtRoma(); // the reminder as it stands: 15 minutes
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

TEST(WizardJourney, TheNewAppointmentShowsOnTheTimeLineAsSoonAsTheHomeScreenReturns) {
    ovWizardDriver d;
    ovApp& app = d.program().app();
    const ovRect strip = d.homeArea(ovHomeLayout::timeLine);
    const int y = (strip.top + strip.bottom) / 2;
    // Where an appointment from 14:30 to 15:30 today stands on the 48 hours around now.
    double now = 0, start = 0, end = 0;
    ASSERT_TRUE(ovSystemTimeToVariantTime(d.program().system().clock().localTime(), now));
    ASSERT_TRUE(ovSystemTimeToVariantTime({2026, 12, 0, 9, 14, 30}, start));
    ASSERT_TRUE(ovSystemTimeToVariantTime({2026, 12, 0, 9, 15, 30}, end));
    const double middle = ((start + end) / 2 - (now - 1.0)) / 2.0;
    const int x = strip.left + static_cast<int>((strip.right - strip.left) * middle);
    const ovColor before = app.backBuffer().frame().pixel(x, y);

    d.startWizard(u"Appointment");
    d.tapChild(u"Today");
    d.pickLeft(6);
    d.toggle(1);
    d.next();
    d.next();
    d.tapChild(u"Call ");
    d.ok();
    d.tapChild(u"My Office");
    d.next();
    d.tapScreen();

    ASSERT_EQ(d.current()->nodeId, ovHomeScreenId);
    // The next appointment's bar is yellow.
    EXPECT_NE(app.backBuffer().frame().pixel(x, y), before);
    EXPECT_EQ(app.backBuffer().frame().pixel(x, y), 0x00FFFFu);
}

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
