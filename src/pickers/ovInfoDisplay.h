#pragma once
// The last step of a wizard: entering it tells the owner to commit (the node carries
// the finish tag), and a tap anywhere returns to the home screen. It shows the
// wizard's confirmation text, or the failure text the owner gives it when the commit
// did not succeed.
#include "base/ovFixedText.h"
#include "shell/ovHyperNode.h"

#include <string_view>

// The tag by which a wizard root recognises that its info display was entered.
constexpr int ovFinishTag = 995834420;

class ovInfoDisplay : public ovHyperNode {
public:
    static constexpr std::u16string_view defaultText =
        u"Your operation has completed successfully! Please click to return to the Home screen.";

    ovInfoDisplay();

    ovFixedText<1024> messageText{defaultText};

    // Called by the owner while it commits (inside its childFinished): this visit
    // shows the text instead of `messageText`. Each entry starts without a failure.
    void showFailure(std::u16string_view text);
    // This visit shows the text instead of `messageText`, as news rather than a failure
    // (a message on its way, then sent); the owner may change it while it is shown.
    void showNote(std::u16string_view text);
    bool failed() const { return failed_; }
    // What the screen shows on this visit.
    std::u16string_view shownText() const { return replaced_ ? shownText_.view() : messageText.view(); }

    void handleInput(ovNavigator& nav) override;
    void drawScreen(ovNavigator& nav, ovCanvas& dc) override;
    void drawChild(ovNavigator& nav, ovCanvas& dc, int index) override {}
    void onEnter(ovNavigator& nav) override;

private:
    ovFixedText<1024> shownText_;
    bool replaced_ = false;
    bool failed_ = false;
};
