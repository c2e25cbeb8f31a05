#include "messaging/ovMsgAcctPicker.h"

#include "gfx/ovCanvas.h"
#include "messaging/ovMailManager.h"
#include "messaging/ovMsgAcctPickerLayout.h"
#include "messaging/ovMsgAcctPickerSystem.h"
#include "shell/ovApp.h"
#include "shell/ovBitmapStore.h"
#include "shell/ovFontSet.h"
#include "shell/ovNavigator.h"
#include "shell/ovScreenGeometry.h"
#include "system/ovSystem.h"
#include "system/ovUtf.h"

#include <cstdio>

namespace L = ovMsgAcctPickerLayout;

namespace {
constexpr ovColor kShadow = 0x505050;
constexpr ovColor kText = 0xFFFFFF;
constexpr unsigned kCentred = ovTextCenter | ovTextVCenter | ovTextWordWrap;
constexpr unsigned kLeft = ovTextVCenter | ovTextWordWrap;

ovRect toPixels(float left, float top, float right, float bottom) {
    return {fracWidth(left), fracHeight(top), fracWidth(right), fracHeight(bottom)};
}
ovRect toPixels(const L::Frac& f) {
    return toPixels(f.left, f.top, f.right, f.bottom);
}
bool tapIn(ovPoint p, const L::Frac& f) {
    const ovRect r = toPixels(f);
    return pointInRect(p, r.left, r.top, r.right, r.bottom);
}

// Shadow one pixel down and right, then the text itself.
void drawShadowed(ovCanvas& dc, std::u16string_view text, const ovRect& r, unsigned format) {
    dc.setTextColor(kShadow);
    dc.drawText(text, {r.left + 1, r.top + 1, r.right, r.bottom}, format);
    dc.setTextColor(kText);
    dc.drawText(text, r, format);
}

int accountCount() {
    const ovMailManager* mail = ovMailManager::instance();
    return mail != nullptr ? mail->accounts().count() : 0;
}
} // namespace

ovMsgAcctPicker::ovMsgAcctPicker() {
    fullScreen = true;
}

void ovMsgAcctPicker::onEnter(ovNavigator& nav) {
    firstShown = 0;
    rowsDrawn = 0;
    // Loaded once, on the way in: a configuration problem's message box must not open
    // in the middle of a paint.
    if (!accountsLoaded) {
        if (ovMailManager* mail = ovMailManager::instance())
            mail->loadAccounts();
        accountsLoaded = true;
    }
}

void ovMsgAcctPicker::drawScreen(ovNavigator& nav, ovCanvas& dc) {
    ovApp& app = nav.app();
    const ovMailManager* mail = ovMailManager::instance();
    if (const ovMsgAcctPickerSystem* module = ovMsgAcctPickerSystem::instance())
        app.bitmaps.blit(module->background, dc, app.screenRect.left, app.screenRect.top,
                         app.screenRect.right, app.screenRect.bottom, ovColourKey, 255, 1.0f, 1.0f);
    ovFontSet& fonts = *ovFontSet::instance();
    dc.setBackgroundMode(ovTransparent);
    {
        ovFontScope font(fonts, dc, fonts.bold12.get());
        drawShadowed(dc, u"Choose Account", toPixels(L::title), kCentred);
    }

    const int count = accountCount();
    firstAtDraw = firstShown;
    endAtDraw = firstShown + L::rows < count ? firstShown + L::rows : count;
    int drawn = 0;
    {
        ovFontScope font(fonts, dc, fonts.regular12.get());
        for (int i = firstAtDraw; i < endAtDraw; ++i, ++drawn) {
            const int j = i - firstAtDraw;
            rowText[j] = mail->accounts()[i]->view();
            const float top = L::rowTop + static_cast<float>(j) * L::rowStep;
            const float bottom = L::rowBottom + static_cast<float>(j) * L::rowStep;
            drawShadowed(dc, rowText[j].view(), toPixels(L::rowLeft, top, L::rowRight, bottom), kLeft);
        }
    }
    {
        ovFontScope font(fonts, dc, fonts.bold10.get());
        char text[32];
        std::snprintf(text, sizeof text, "%d-%d", firstAtDraw + 1, endAtDraw);
        drawShadowed(dc, ovToUtf16(text), toPixels(L::counter), kCentred);
        std::snprintf(text, sizeof text, "%d", count);
        drawShadowed(dc, ovToUtf16(text), toPixels(L::total), kCentred);
    }
    rowsDrawn = drawn;
}

void ovMsgAcctPicker::handleInput(ovNavigator& nav) {
    if (!tapReleased())
        return;
    ovApp& app = nav.app();
    const ovPoint p{app.touch.x, app.touch.y};

    const ovRect list = toPixels(L::list);
    const int r = rowAt(list.left, list.top, list.right, list.bottom, L::rows, p);
    if (r >= 0 && r < endAtDraw - firstAtDraw) {
        chosenAccount = rowText[r].view();
        hasChoice = true;
        app.system().debugOutput(ovToUtf8(chosenAccount.view()));
        if (children.count() == 1)
            enterChild(nav, 0);
    }
    if (tapIn(p, L::up)) {
        firstShown = firstShown - 1 < 0 ? 0 : firstShown - 1;
        app.needsRepaint = true;
    }
    if (tapIn(p, L::down)) {
        int next = firstShown + 1;
        if (next > accountCount() - 1)
            next = accountCount() - 1;
        firstShown = next < 0 ? 0 : next;
        app.needsRepaint = true;
    }
    if (tapIn(p, L::back) && children.count() == 1)
        goBack(nav);
}
