#pragma once
// The message wizard: part of a name, the contact picked from the matches, a subject,
// the text and the account. Its info display sends the message: an SMS to the
// contact's mobile number through the account "SMS", an e-mail to the contact's first
// address through any other. The values stay in the steps until then.
#include "base/ovSingleton.h"
#include "shell/ovHyperNode.h"

#include <cstdint>
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
    // Sends the message, or queues an e-mail for the mail manager's thread; empty when
    // it went or is on its way, otherwise why it did not.
    std::string send();
    // Shows what became of the e-mail on its way while its display is still shown.
    bool showOutcome(uint64_t ticket, bool sent, const std::string& text);

    ovApp& app_;
    uint64_t ticket_ = 0; // the e-mail the display speaks of; 0: none
    std::u16string onItsWay_;
};
