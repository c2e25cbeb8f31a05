// Every picker, the home screen and the calculator are reached by the touch areas their
// own layout tables give, on a 480 x 640 window and on a phone's 720 x 1440 screen. With
// ORVIDA_SCREENSHOTS=DIR each screen is also written to DIR/WIDTHxHEIGHT-NAME.png (what
// `make screenshots` shows).
#include "home/ovHyperBar.h"
#include "pickers/ovContactPicker.h"
#include "pickers/ovDatePicker.h"
#include "pickers/ovKeyboardInput.h"
#include "pickers/ovTimePicker.h"
#include "wizards/ovWizardDriver.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace {
class ovScreensAtSizes : public testing::TestWithParam<ovPoint> {
protected:
    ovWizardDriver d{GetParam().x, GetParam().y};

    void shot(const char* name) {
        const char* dir = std::getenv("ORVIDA_SCREENSHOTS");
        if (dir == nullptr || *dir == 0)
            return;
        d.run(std::string("wait 20\nshot ") + dir + "/" + std::to_string(GetParam().x) + "x" +
              std::to_string(GetParam().y) + "-" + name + ".png");
    }
    // Back to the home screen, as a finger holding anywhere gets there.
    void home() { d.run("hold 5 5 1500\nwait 50"); }
};
} // namespace

TEST_P(ovScreensAtSizes, EveryScreenIsReachedByItsTouchAreas) {
    shot("home");

    d.startWizard(u"New Contact");
    ASSERT_NE(dynamic_cast<ovKeyboardInput*>(d.current()), nullptr);
    d.type("ann");
    shot("keyboard");
    home();

    d.startWizard(u"Appointment");
    d.tapChild(u"Today");
    ASSERT_NE(dynamic_cast<ovTimePicker*>(d.current()), nullptr);
    d.pickLeft(6);
    d.toggle(1);
    shot("time-picker");
    home();

    d.startWizard(u"Appointment");
    d.tapChild(u"Calendar");
    ASSERT_NE(dynamic_cast<ovDatePicker*>(d.current()), nullptr);
    shot("date-picker");
    home();

    d.pim({"add-contact", "--file-as", "Ann Lee", "--mobile", "+49 170 1234567"});
    d.pim({"add-contact", "--file-as", "Bob Stone", "--email", "bob@example.org"});
    d.startWizard(u"Message");
    d.ok();
    ASSERT_NE(dynamic_cast<ovContactPicker*>(d.current()), nullptr);
    shot("contact-picker");
    home();

    ovHyperBar* bar = ovHyperBar::instance();
    ASSERT_NE(bar, nullptr);
    d.tap(ovWizardDriver::centre(bar->buttonRect[1]));
    EXPECT_EQ(bar->state, 1);
    EXPECT_EQ(bar->openIndex, 1);
    shot("calculator");
}

INSTANTIATE_TEST_SUITE_P(WindowAndPhone, ovScreensAtSizes,
                         testing::Values(ovPoint{480, 640}, ovPoint{720, 1440}),
                         [](const testing::TestParamInfo<ovPoint>& info) {
                             return std::to_string(info.param.x) + "x" + std::to_string(info.param.y);
                         });
