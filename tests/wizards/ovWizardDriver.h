#pragma once
// Drives Orvida through its wizards as a finger would: every tap lands on a point the
// screens' own geometry gives (the home screen's buttons, the staircase of a plain
// node's children, the keyboard's and the time picker's layout tables), on a store of its
// own that the store tool reads back at the end.
#include "support/ovTestProgram.h"

#include "home/ovHomeLayout.h"
#include "hosts/pim/ovPimTool.h"
#include "pickers/ovKeyboardInput.h"
#include "pickers/ovKeyboardLayout.h"
#include "pickers/ovTimePickerLayout.h"
#include "program/ovProgramAssembly.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

class ovWizardDriver {
public:
    // configDir: the program's --config folder, empty for none. dataFolder: the store's
    // folder, kept afterwards; empty for a fresh one of the driver's own, removed at the end.
    explicit ovWizardDriver(int width = 240, int height = 320, std::string configDir = {},
                            std::string dataFolder = {})
        : width_(width), height_(height), configDir_(std::move(configDir)), folder_(std::move(dataFolder)) {
        if (folder_.empty()) {
            std::string pattern = (std::filesystem::temp_directory_path() / "ovWizardTest-XXXXXX").string();
            folder_ = mkdtemp(pattern.data());
            ownsFolder_ = true;
        }
        start();
    }
    ~ovWizardDriver() {
        program_.reset();
        if (ownsFolder_)
            std::filesystem::remove_all(folder_);
    }

    ovTestProgram& program() { return *program_; }
    ovNavigator& nav() { return program_->nav(); }
    ovHyperNode* current() { return nav().current; }
    const std::string& folder() const { return folder_; }
    int right() { return program_->app().screenRect.right; }
    int bottom() { return program_->app().screenRect.bottom; }

    void run(const std::string& lines) { program_->run(lines); }
    void tap(ovPoint p) {
        run("tap " + std::to_string(p.x) + " " + std::to_string(p.y));
        shotIfAsked();
    }
    static ovPoint centre(const ovRect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

    // From the home screen into a wizard, through the button of the root with this label.
    void startWizard(const std::u16string& rootLabel) {
        using namespace ovHomeLayout;
        const int button = rootLabel == u"Appointment"   ? appointmentButton
                           : rootLabel == u"Task"        ? taskButton
                           : rootLabel == u"New Contact" ? contactButton
                                                         : messageButton;
        tap(centre(homeArea(buttons[button].touch)));
    }
    ovRect homeArea(const ovHomeLayout::Area& a) {
        return {ovFracOf(right(), a.left), ovFracOf(bottom(), a.top), ovFracOf(right(), a.right),
                ovFracOf(bottom(), a.bottom)};
    }

    // The button of a child of the current plain node, where the staircase put it.
    void tapChild(const std::u16string& label) {
        ovHyperNode* node = current();
        for (ovHyperNode* child : node->children) {
            if (child->label == label) {
                tap(centre(child->buttonRect(nav())));
                return;
            }
        }
        ADD_FAILURE() << "no button for the label on the current screen";
    }
    // The current node's own button: going back.
    void tapOwnButton() { tap(centre(current()->buttonRect(nav()))); }

    // Types on the current keyboard, key by key; capitals come from the keyboard.
    void type(const std::string& keys) {
        for (char c : keys) {
            const char16_t wanted = static_cast<char16_t>(std::tolower(static_cast<unsigned char>(c)));
            tapKey([wanted](const ovKeyCap& cap) { return cap.text == wanted; });
        }
    }
    void keyboardAction(int code) {
        tapKey([code](const ovKeyCap& cap) { return cap.text == 0 && cap.code == code; });
    }
    void ok() { keyboardAction(ovKeyOk); }
    void keyboardBack() { keyboardAction(ovKeyBack); }
    void backspace() { keyboardAction(ovKeyBackspace); }

    // The time picker: left and middle list items, the "15" (0) and "30" (1) toggles,
    // the units (0 hours, 1 days, 2 weeks), Next and Back.
    void pickLeft(int i) { tap(centre(ovTimePickerLayout::leftItem(i, right(), bottom()))); }
    void pickMiddle(int i) { tap(centre(ovTimePickerLayout::middleItem(i, right(), bottom()))); }
    void toggle(int which) { tap(centre(ovTimePickerLayout::toggle(which, right(), bottom()))); }
    void unit(int which) { tap(centre(ovTimePickerLayout::unit(which, right(), bottom()))); }
    void next() { tap(centre(ovTimePickerLayout::resolve(ovTimePickerLayout::nextRect, right(), bottom()))); }
    void back() { tap(centre(ovTimePickerLayout::resolve(ovTimePickerLayout::backRect, right(), bottom()))); }

    // From the appointment wizard's subject choices to its info display: "Lunch with "
    // Bob at "Restaurant: " Roma, with the reminder as it stands.
    void lunchWithBobAtRoma() {
        tapChild(u"Lunch with ");
        type("bob");
        ok();
        tapChild(u"Restaurant: ");
        type("roma");
        ok();
        next();
    }

    // Anywhere on the info display.
    void tapScreen() { tap({right() / 2, bottom() / 2}); }

    // `orvida pim ARGS...` on the journey's store while the program is closed, then the
    // program again, on the home screen.
    void pim(std::vector<std::string> args) {
        program_.reset();
        args.insert(args.begin(), {"pim", "--data", folder_});
        std::ostringstream out, err;
        EXPECT_EQ(ovRunPimTool(args, out, err), 0) << err.str();
        start();
    }

    // `orvida pim list KIND` on the journey's store, after the program has closed it.
    std::string list(const std::string& kind) {
        program_.reset();
        std::ostringstream out, err;
        const int code = ovRunPimTool({"pim", "--data", folder_, "list", kind}, out, err);
        EXPECT_EQ(code, 0) << err.str();
        return out.str();
    }

    // With ORVIDA_WIZARD_SHOTS=DIR every tap leaves a picture of the screen it led to.
    void shotIfAsked() {
        const char* dir = std::getenv("ORVIDA_WIZARD_SHOTS");
        if (dir == nullptr || *dir == 0)
            return;
        char name[64];
        std::snprintf(name, sizeof name, "/%dx%d-%03d.png", width_, height_, ++shots_);
        run(std::string("shot ") + dir + name);
    }

private:
    void start() {
        program_ = std::make_unique<ovTestProgram>(ovProgramAssembly(), folder_, configDir_, width_, height_);
        // The first ticks pass from the root into the home screen.
        run("wait 20");
    }

    template <class Match> void tapKey(Match match) {
        auto* keyboard = dynamic_cast<ovKeyboardInput*>(current());
        ASSERT_NE(keyboard, nullptr) << "not on a keyboard";
        const ovKeyboardLayout::ovBoard b = ovKeyboardLayout::board(keyboard->boardMode);
        for (int i = 0; i < b.count; ++i) {
            const ovKeyArea& area = b.areas[i];
            if (!area.shown)
                continue;
            for (int column = 0; column < area.count; ++column) {
                if (match(area.keys[column])) {
                    tap(centre(ovKeyboardLayout::keyRect(area, column, right(), bottom())));
                    return;
                }
            }
        }
        ADD_FAILURE() << "no such key on the board shown";
    }

    int width_;
    int height_;
    int shots_ = 0;
    std::string configDir_;
    std::string folder_;
    bool ownsFolder_ = false;
    std::unique_ptr<ovTestProgram> program_;
};
