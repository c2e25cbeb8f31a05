#pragma once
// The appointment wizard: a day (a choice or the calendar), a start time, a length, a
// subject from a prefix and typed text, a location, a reminder; its info display adds
// the appointment to the store. The root owns every step and collects their values
// as the user leaves them.
#include "base/ovFixedText.h"
#include "platform/system/ovDateTime.h"
#include "shell/ovHyperNode.h"

class ovApp;
class ovDatePicker;
class ovInfoDisplay;
class ovKeyboardInput;
class ovTimePicker;

class ovAppointmentSystem final : public ovHyperNode {
public:
    static constexpr int firstNodeId = 44001;

    explicit ovAppointmentSystem(ovApp& app);
    ~ovAppointmentSystem() override;

    // Makes the root and builds its tree under it, owned by it; the caller attaches the
    // root under the home screen.
    static ovAppointmentSystem* create(ovApp& app);
    static ovAppointmentSystem* instance() { return instance_; }

    void childFinished(ovHyperNode* finished) override;
    void reset(ovNavigator& nav) override;

    // The draft, written by the steps before the commit reads it.
    ovSystemTime startTime;
    ovFixedText<256> subject;
    ovFixedText<256> location;
    int durationMinutes = 0;
    int reminderMinutes = 0;

    // The steps the root reads or resets.
    ovKeyboardInput* subjectKeyboard = nullptr;
    ovKeyboardInput* locationKeyboard = nullptr;
    ovTimePicker* startTimePicker = nullptr;
    ovTimePicker* endTimePicker = nullptr;
    ovTimePicker* reminderPicker = nullptr;
    ovDatePicker* calendar = nullptr;
    ovInfoDisplay* finish = nullptr;

private:
    void build();
    void commit();

    ovApp& app_;
    // The prefix choices last left; the keyboards' texts are added to them.
    ovFixedText<256> subjectPrefix_;
    ovFixedText<256> locationPrefix_;
    static ovAppointmentSystem* instance_;
};
