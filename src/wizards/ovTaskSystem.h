#pragma once
// The task wizard: a day, a start time, a length (which gives the due date), a subject
// from a verb prefix and typed text, a priority and a reminder; its info display adds
// the task to the store.
#include "base/ovFixedText.h"
#include "base/ovSingleton.h"
#include "shell/ovHyperNode.h"
#include "wizards/ovScheduleDraft.h"

class ovApp;
class ovInfoDisplay;
class ovKeyboardInput;

class ovTaskSystem final : public ovSingleton<ovTaskSystem>, public ovHyperNode, public ovScheduleDraft {
public:
    static constexpr int firstNodeId = 45001;
    // The store's importance scale.
    static constexpr int priorityLow = 0;
    static constexpr int priorityNormal = 1;
    static constexpr int priorityHigh = 2;

    explicit ovTaskSystem(ovApp& app);
    ~ovTaskSystem() override;

    static ovTaskSystem* create(ovApp& app);

    void childFinished(ovHyperNode* finished) override;
    void reset(ovNavigator& nav) override;

    // "High" 2, "Normal" 1, "Low" 0; any other label counts as normal.
    static int priorityOf(const ovHyperNode& choice);

    int priority = priorityNormal;

    ovInfoDisplay* finish = nullptr;

private:
    void build();
    void commit();

    ovApp& app_;
};
