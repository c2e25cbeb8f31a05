#include "pickers/ovKeyboardInput.h"

#include "gfx/ovCanvas.h"
#include "gfx/ovTextFit.h"
#include "pickers/ovKeyboardInputSystem.h"
#include "pickers/ovKeyboardLayout.h"
#include "shell/ovApp.h"
#include "shell/ovFontSet.h"
#include "shell/ovNavigator.h"
#include "shell/ovScreenGeometry.h"

#include <algorithm>

namespace {
constexpr ovColor kShadow = 0x505050;
constexpr ovColor kText = 0xFFFFFF;

bool endsSentence(char16_t c) {
    return c == u'.' || c == u'?' || c == u':' || c == u'!';
}
} // namespace

ovKeyboardInput::ovKeyboardInput() {
    fullScreen = true;
}

char16_t ovKeyboardInput::capitalised(char16_t c) const {
    const std::u16string_view text = inputText.view();
    const size_t n = text.size();
    bool upper = false;
    if (capitalMode == capitalsEveryWord || capitalMode == capitalsSentence)
        upper = n == 0;
    if (capitalMode == capitalsEveryWord && n > 0 && text[n - 1] == u' ')
        upper = true;
    if (capitalMode == capitalsSentence && n > 0) {
        if (endsSentence(text[n - 1]))
            upper = true;
        else if (n >= 2 && endsSentence(text[n - 2]) && text[n - 1] == u' ')
            upper = true;
    }
    if (upper && c >= u'a' && c <= u'z')
        return static_cast<char16_t>(c - u'a' + u'A');
    return c;
}

bool ovKeyboardInput::typeKey(const ovKeyHit& key) {
    if (key.keyText.empty())
        return false;
    // A full field keeps what it has rather than cutting what was typed.
    if (inputText.length() + key.keyText.length() > inputText.capacity)
        return false;
    if (key.kind == ovKeyLetterChar) {
        const char16_t c = capitalised(key.keyText.view()[0]);
        inputText.append(std::u16string_view(&c, 1));
    } else {
        inputText.append(key.keyText.view());
    }
    return true;
}

void ovKeyboardInput::act(ovNavigator& nav, int code) {
    switch (code) {
    case ovKeyBackspace:
        if (!inputText.empty())
            inputText.assign(inputText.view().substr(0, inputText.length() - 1));
        break;
    case ovKeyOk:
        if (children.count() == 1)
            enterChild(nav, 0);
        break;
    case ovKeyBack:
        if (children.count() == 1) {
            if (owner != nullptr)
                owner->childFinished(this);
            // Going back to the parent alone would pass straight into this keyboard
            // again when it is the parent's only child: leave the parent as well.
            if (parent != nullptr) {
                parent->goBack(nav);
            } else {
                nav.current = &nav.root;
                nav.root.onEnter(nav);
            }
        }
        break;
    case ovKeyToNumbers:
        boardMode = ovKeyboardLayout::numberBoard;
        break;
    case ovKeyToLetters:
        boardMode = ovKeyboardLayout::letterBoard;
        break;
    default:
        break;
    }
}

void ovKeyboardInput::handleInput(ovNavigator& nav) {
    if (!tapReleased())
        return;
    ovApp& app = nav.app();
    const ovKeyHit key = lookupKey(app.touch.x, app.touch.y, boardMode);
    if (key.code == 0)
        return;
    if (key.kind == ovKeyAction) {
        act(nav, key.code);
        app.needsRepaint = true;
        return;
    }
    if (typeKey(key))
        app.needsRepaint = true;
}

void ovKeyboardInput::drawScreen(ovNavigator& nav, ovCanvas& dc) {
    ovApp& app = nav.app();
    const ovRect& screen = app.screenRect;
    const ovKeyboardInputSystem* system = ovKeyboardInputSystem::instance();
    if (system != nullptr) {
        const ovBitmap* picture =
            boardMode == ovKeyboardLayout::letterBoard ? system->letterBoard : system->numberBoard;
        app.bitmaps.blit(picture, dc, screen.left, screen.top, screen.right, screen.bottom, ovColourKey, 255,
                         1.0f, 1.0f);
    }

    using namespace ovKeyboardLayout;
    // The text keeps clear of the box's frame, drawn at the field's edges.
    const ovRect field{fracWidth(textBoxLeft), fracHeight(textBoxTop), fracWidth(textBoxRight),
                       fracHeight(textBoxBottom)};
    const int inset = std::max(2, (field.right - field.left) / 40);
    const ovRect box{field.left + inset, field.top, field.right - inset, field.bottom};
    const bool showPrompt = inputText.empty();
    // One line in the box: in the frame's face where it has room, else in the smaller
    // one; a text longer still shows its end, where the typing goes on, after "...".
    const ovFontSet* fonts = ovFontSet::instance();
    const ovFont* smaller = fonts != nullptr ? fonts->regular10.get() : nullptr;
    ovFixedText<512> scratch;
    const ovFittedLine fitted =
        ovFitLine(dc, {showPrompt ? promptText.view() : inputText.view()}, {dc.font(), smaller}, box,
                  showPrompt ? ovCutAt::End : ovCutAt::Start, scratch);
    const unsigned format = (showPrompt ? ovTextCenter : ovTextRight) | ovTextVCenter;
    const ovFont* previous = dc.selectFont(fitted.face);
    dc.setTextColor(kShadow);
    dc.drawText(fitted.text, {box.left + 1, box.top + 1, box.right, box.bottom}, format);
    dc.setTextColor(kText);
    dc.drawText(fitted.text, box, format);
    dc.selectFont(previous);
    dc.setTextColor(0x000000);
}
