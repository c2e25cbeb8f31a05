#include "home/ovHyperBar.h"

#include "home/ovCalculatorPlugin.h"
#include "home/ovDeviceStatusHBPlugin.h"
#include "home/ovHyperBarLayout.h"
#include "shell/ovPaths.h"
#include "shell/ovScreenGeometry.h"

ovHyperBar::ovHyperBar(ovApp& app) : app_(app) {
    app_.hyperBar = this;
    owned_[0] = std::make_unique<ovDeviceStatusHBPlugin>(app_);
    owned_[1] = std::make_unique<ovCalculatorPlugin>(app_, *this);
    plugins[0] = owned_[0].get();
    plugins[1] = owned_[1].get();
}

ovHyperBar::~ovHyperBar() {
    if (app_.hyperBar == this)
        app_.hyperBar = nullptr;
}

void ovHyperBar::loadResources(ovSystem& instance) {
    ovBitmapStore& store = app_.bitmaps;
    buttonImage[0] = store.loadBitmap(instance, imagePath("HyperbarPlugin1.bmp"), false);
    buttonImage[1] = store.loadBitmap(instance, imagePath("HyperbarPlugin2.bmp"), false);
    buttonDownImage[0] = store.loadBitmap(instance, imagePath("HyperbarPlugin1Down.bmp"), false);
    buttonDownImage[1] = store.loadBitmap(instance, imagePath("HyperbarPlugin2Down.bmp"), false);
    state = 0;
    layoutButtons();
    loaded = true;
}

void ovHyperBar::layoutButtons() {
    using namespace ovHyperBarLayout;
    const int width = fracWidth(buttonWidth);
    const int height = fracHeight(buttonHeight);
    if (state == 0) {
        const ovRect& s = app_.screenRect;
        buttonRect[0] = {s.left, s.bottom - height, s.left + width, s.bottom};
        buttonRect[1] = {s.right - width, s.bottom - height, s.right, s.bottom};
    } else if (state == 1 && openPlugin != nullptr) {
        const ovRect& p = openPlugin->panelRect;
        buttonRect[0] = {p.left, p.top - height, p.left + width, p.top};
        buttonRect[1] = {p.right - width, p.top - height, p.right, p.top};
    }
}

bool ovHyperBar::visible() const {
    const ovHyperNode* current = app_.navigator != nullptr ? app_.navigator->current : nullptr;
    return current != nullptr && (!current->fullScreen || current->showsHyperBar);
}

bool ovHyperBar::handleTouch() {
    if (!visible())
        return true;
    const int phase = app_.touch.phase;
    const bool pressing = phase == ovPhaseDown || phase == ovPhaseHeld;
    const bool released = phase == ovPhaseReleased;
    const ovPoint point{app_.touch.x, app_.touch.y};
    bool pass = true;

    if (state == 0) {
        for (int i = 0; i < 2; ++i) {
            if (buttonRect[i].contains(point)) {
                if (plugins[i] != nullptr) {
                    if (released) {
                        buttonPressed[i] = false;
                        openIndex = i;
                        state = 1;
                        openPlugin = plugins[i];
                        layoutButtons();
                        app_.needsRepaint = true;
                    } else if (pressing) {
                        buttonPressed[i] = true;
                        app_.needsRepaint = true;
                    }
                }
                pass = false;
            } else if (buttonPressed[i]) {
                buttonPressed[i] = false;
                app_.needsRepaint = true;
            }
        }
        return pass;
    }
    if (state != 1)
        return true;

    if (openPlugin != nullptr && openPlugin->modal) {
        openPlugin->tick();
        return false;
    }
    if (openIndex == 0 || openIndex == 1) {
        const int i = openIndex;
        if (buttonRect[i].contains(point)) {
            if (released) {
                buttonPressed[i] = false;
                state = 0;
                layoutButtons();
                app_.needsRepaint = true;
            } else if (pressing) {
                buttonPressed[i] = true;
                app_.needsRepaint = true;
            }
            pass = false;
        } else if (buttonPressed[i]) {
            buttonPressed[i] = false;
            app_.needsRepaint = true;
        }
    }
    if (openPlugin != nullptr) {
        if (openPlugin->panelRect.contains(point))
            pass = false;
        // Also right after the tap above closed it, as the bar always has.
        openPlugin->tick();
    }
    return pass;
}

void ovHyperBar::closePlugin() {
    if (openIndex != 0 && openIndex != 1)
        return;
    state = 0;
    layoutButtons();
    app_.needsRepaint = true;
}

void ovHyperBar::drawBar(ovCanvas& dc) {
    if (!visible() || !loaded)
        return;
    auto drawButton = [&](int i) {
        const ovRect& r = buttonRect[i];
        app_.bitmaps.blit(buttonPressed[i] ? buttonDownImage[i] : buttonImage[i], dc, r.left, r.top, r.right,
                          r.bottom, ovColourKey, 255, 1.0f, 1.0f);
    };
    if (state == 0) {
        drawButton(0);
        drawButton(1);
    } else if (state == 1 && openPlugin != nullptr) {
        if (openIndex == 0 || openIndex == 1)
            drawButton(openIndex);
        openPlugin->drawPanel(dc);
    }
}
