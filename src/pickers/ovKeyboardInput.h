#pragma once
// The on-screen keyboard: a full-screen node with a letter board and a number board
// and the text typed so far. The owner reads `inputText` when the keyboard is left
// with OK (into its only child) or Back (to its parent's parent).
#include "base/ovFixedText.h"
#include "pickers/ovKeyHit.h"
#include "shell/ovHyperNode.h"

class ovKeyboardInput : public ovHyperNode {
public:
    // capitalMode values.
    static constexpr int capitalsEveryWord = 0;
    static constexpr int capitalsSentence = 1;
    static constexpr int capitalsNone = 2;

    ovKeyboardInput();

    ovFixedText<512> inputText;
    int boardMode = 1;
    ovFixedText<256> promptText{u"Enter value"};
    int capitalMode = capitalsSentence;

    void handleInput(ovNavigator& nav) override;
    void drawScreen(ovNavigator& nav, ovCanvas& dc) override;
    void drawChild(ovNavigator& nav, ovCanvas& dc, int index) override {}

    // Types a character key's text, with the automatic capitals; a key that would not
    // fit in `inputText` is ignored. Returns whether the text changed.
    bool typeKey(const ovKeyHit& key);

private:
    void act(ovNavigator& nav, int code);
    char16_t capitalised(char16_t c) const;
};
