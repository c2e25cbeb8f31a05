#pragma once
// The contact wizard: a name, then a hub whose choices open one keyboard each for the
// home, mobile, work and fax numbers and the e-mail address. Each choice shows a short
// summary of what its keyboard holds; "FINISH" adds the contact to the store. The
// values stay in the keyboards until then.
#include "base/ovSingleton.h"
#include "shell/ovHyperNode.h"

#include <string_view>

class ovApp;
class ovInfoDisplay;
class ovKeyboardInput;

class ovContactSystem final : public ovSingleton<ovContactSystem>, public ovHyperNode {
public:
    static constexpr int firstNodeId = 124001;
    // A summary shows at most this many characters of the field, and ".." from there on.
    static constexpr int summaryLength = 8;

    explicit ovContactSystem(ovApp& app);
    ~ovContactSystem() override;

    static ovContactSystem* create(ovApp& app);

    void childFinished(ovHyperNode* finished) override;
    void reset(ovNavigator& nav) override;

    // "M:" and the first characters of text, ".." after eight or more; emptyLabel when
    // there is nothing.
    static void summarise(ovFixedText<256>& label, std::u16string_view marker, std::u16string_view text,
                          std::u16string_view emptyLabel);

    ovKeyboardInput* nameKeyboard = nullptr;
    ovKeyboardInput* homeKeyboard = nullptr;
    ovKeyboardInput* mobileKeyboard = nullptr;
    ovKeyboardInput* workKeyboard = nullptr;
    ovKeyboardInput* faxKeyboard = nullptr;
    ovKeyboardInput* emailKeyboard = nullptr;
    ovHyperNode* hub = nullptr;
    ovHyperNode* homeChoice = nullptr;
    ovHyperNode* mobileChoice = nullptr;
    ovHyperNode* workChoice = nullptr;
    ovHyperNode* faxChoice = nullptr;
    ovHyperNode* emailChoice = nullptr;
    ovInfoDisplay* finish = nullptr;

private:
    void build();
    void commit();

    ovApp& app_;
};
