#pragma once
// The full-screen step on which the user picks the account that sends the message:
// the accounts by name, six at a time, with up and down buttons, the range shown and
// the total. A tap on a name picks it and moves on to the only child at once.
#include "base/ovFixedText.h"
#include "shell/ovHyperNode.h"

class ovMsgAcctPicker : public ovHyperNode {
public:
    ovMsgAcctPicker();

    void handleInput(ovNavigator& nav) override;
    void drawScreen(ovNavigator& nav, ovCanvas& dc) override;
    void drawChild(ovNavigator& nav, ovCanvas& dc, int index) override {}
    void onEnter(ovNavigator& nav) override;

    ovFixedText<256> rowText[6];
    int firstShown = 0;
    int rowsDrawn = 0;
    ovFixedText<256> chosenAccount;
    bool hasChoice = false;
    bool accountsLoaded = false;
    int firstAtDraw = 0;
    int endAtDraw = 0;
};
