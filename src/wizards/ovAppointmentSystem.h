#pragma once
// The appointment wizard: a day (a choice or the calendar), a start time, a length, a
// subject from a prefix and typed text, a location, a reminder; its info display adds
// the appointment to the store. The root owns every step and collects their values
// as the user leaves them.
#include "base/ovFixedText.h"
#include "base/ovSingleton.h"
#include "shell/ovHyperNode.h"
#include "wizards/ovScheduleDraft.h"

class ovApp;
class ovInfoDisplay;
class ovKeyboardInput;

class ovAppointmentSystem final : public ovSingleton<ovAppointmentSystem>,
                                  public ovHyperNode,
                                  public ovScheduleDraft {
public:
    static constexpr int firstNodeId = 44001;

    explicit ovAppointmentSystem(ovApp& app);
    ~ovAppointmentSystem() override;

    // Makes the root and builds its tree under it, owned by it; the caller attaches the
    // root under the home screen.
    static ovAppointmentSystem* create(ovApp& app);

    void childFinished(ovHyperNode* finished) override;
    void reset(ovNavigator& nav) override;

    // Beside the schedule's draft and steps: the location and its keyboard.
    ovFixedText<256> location;
    ovKeyboardInput* locationKeyboard = nullptr;
    ovInfoDisplay* finish = nullptr;

private:
    void build();
    void commit();

    ovApp& app_;
    // The location choice last left; the keyboard's text is added to it.
    ovFixedText<256> locationPrefix_;
};
