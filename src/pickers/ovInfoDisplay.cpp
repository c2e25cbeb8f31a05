#include "pickers/ovInfoDisplay.h"

#include "gfx/ovCanvas.h"
#include "gfx/ovTextFit.h"
#include "pickers/ovInfoDisplayLayout.h"
#include "pickers/ovInfoDisplaySystem.h"
#include "shell/ovApp.h"
#include "shell/ovFontSet.h"
#include "shell/ovNavigator.h"
#include "shell/ovScreenGeometry.h"

namespace {
constexpr unsigned kFormat = ovTextCenter | ovTextWordWrap;
} // namespace

ovInfoDisplay::ovInfoDisplay() {
    fullScreen = true;
}

void ovInfoDisplay::showFailure(std::u16string_view text) {
    shownText_ = text;
    replaced_ = true;
    failed_ = true;
}

void ovInfoDisplay::showNote(std::u16string_view text) {
    shownText_ = text;
    replaced_ = true;
    failed_ = false;
}

void ovInfoDisplay::onEnter(ovNavigator& nav) {
    tag = ovFinishTag;
    failed_ = false;
    replaced_ = false;
    // The owner commits here, once per visit; without an owner there is nothing to commit.
    if (owner != nullptr)
        owner->childFinished(this);
}

void ovInfoDisplay::handleInput(ovNavigator& nav) {
    if (!tapReleased())
        return;
    nav.current = &nav.root;
    nav.root.onEnter(nav);
    nav.app().needsRepaint = true;
}

void ovInfoDisplay::drawScreen(ovNavigator& nav, ovCanvas& dc) {
    using namespace ovInfoDisplayLayout;
    tag = ovFinishTag;
    ovApp& app = nav.app();
    const ovRect& screen = app.screenRect;
    if (const ovInfoDisplaySystem* system = ovInfoDisplaySystem::instance())
        app.bitmaps.blit(system->background, dc, screen.left, screen.top, screen.right, screen.bottom,
                         ovColourKey, 255, 1.0f, 1.0f);
    const ovRect box{fracWidth(textLeft), fracHeight(textTop), fracWidth(textRight), fracHeight(textBottom)};
    const std::u16string_view text = shownText();
    // The frame's face where the text stands whole in the box, else the smaller one; in
    // neither (a long failure text on a small screen) the smaller one, as far as it goes.
    const ovFontSet* fonts = ovFontSet::instance();
    const ovFont* faces[] = {dc.font(), fonts != nullptr ? fonts->regular10.get() : nullptr};
    const ovFont* face = ovFaceForBlock(dc, text, faces, box);
    const ovFont* previous = dc.selectFont(face != nullptr       ? face
                                           : faces[1] != nullptr ? faces[1]
                                                                 : faces[0]);
    dc.setTextColor(0x505050);
    dc.drawText(text, {box.left + 1, box.top + 1, box.right, box.bottom}, kFormat);
    dc.setTextColor(0xFFFFFF);
    // As wide as the shadow's rectangle, so both break their lines at the same words; a
    // line that fits one and not the other would show twice.
    dc.drawText(text, {box.left, box.top, box.right - 1, box.bottom}, kFormat);
    dc.selectFont(previous);
}
