#pragma once
// The task wizard: a day, a start time, a length (which gives the due date), a subject
// from a verb prefix and typed text, a priority and a reminder; its info display adds
// the task to the store.
#include "base/ovFixedText.h"
#include "platform/system/ovDateTime.h"
#include "shell/ovHyperNode.h"

class ovApp;
class ovDatePicker;
class ovInfoDisplay;
class ovKeyboardInput;
class ovTimePicker;

class ovTaskSystem final : public ovHyperNode {
public:
    static constexpr int firstNodeId = 45001;
    // The store's importance scale.
    static constexpr int priorityLow = 0;
    static constexpr int priorityNormal = 1;
    static constexpr int priorityHigh = 2;

    explicit ovTaskSystem(ovApp& app);
    ~ovTaskSystem() override;

    static ovTaskSystem* create(ovApp& app);
    static ovTaskSystem* instance() { return instance_; }

    void childFinished(ovHyperNode* finished) override;
    void reset(ovNavigator& nav) override;

    // "High" 2, "Normal" 1, "Low" 0; any other label counts as normal.
    static int priorityOf(const ovHyperNode& choice);

    ovSystemTime startTime;
    ovFixedText<256> subject;
    int durationMinutes = 0;
    int reminderMinutes = 0;
    int priority = priorityNormal;

    ovKeyboardInput* subjectKeyboard = nullptr;
    ovTimePicker* startTimePicker = nullptr;
    ovTimePicker* endTimePicker = nullptr;
    ovTimePicker* reminderPicker = nullptr;
    ovDatePicker* calendar = nullptr;
    ovInfoDisplay* finish = nullptr;

private:
    void build();
    void commit();

    ovApp& app_;
    ovFixedText<256> subjectPrefix_;
    static ovTaskSystem* instance_;
};
