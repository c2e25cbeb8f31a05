#pragma once
// The message wizard: part of a name, the contact picked from the matches, a subject,
// the text and the account. Its info display sends the message: an SMS to the
// contact's mobile number through the account "SMS", an e-mail to the contact's first
// address through any other. The values stay in the steps until then.
#include "base/ovSingleton.h"
#include "shell/ovHyperNode.h"

#include <string>

class ovApp;
class ovContactPicker;
class ovInfoDisplay;
class ovKeyboardInput;
class ovMsgAcctPicker;

class ovMessagingSystem final : public ovSingleton<ovMessagingSystem>, public ovHyperNode {
public:
    static constexpr int firstNodeId = 154001;
    // The address is copied into a buffer of this many units, its end included.
    static constexpr size_t addressCapacity = 512;

    explicit ovMessagingSystem(ovApp& app);
    ~ovMessagingSystem() override;

    static ovMessagingSystem* create(ovApp& app);

    void childFinished(ovHyperNode* finished) override;
    void reset(ovNavigator& nav) override;

    ovKeyboardInput* nameKeyboard = nullptr;
    ovContactPicker* contactPicker = nullptr;
    ovKeyboardInput* subjectKeyboard = nullptr;
    ovKeyboardInput* messageKeyboard = nullptr;
    ovMsgAcctPicker* accountPicker = nullptr;
    ovInfoDisplay* finish = nullptr;

private:
    void build();
    // Sends the message; empty when it went, otherwise why it did not.
    std::string send();

    ovApp& app_;
};
