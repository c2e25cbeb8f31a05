#include "home/ovHyperBarPlugin.h"

#include "gfx/ovCanvas.h"
#include "home/ovHyperBarLayout.h"
#include "home/ovTextField.h"
#include "shell/ovApp.h"
#include "shell/ovPaths.h"
#include "shell/ovScreenGeometry.h"

ovHyperBarPlugin::ovHyperBarPlugin(ovApp& app) : app_(app) {
    ovSetField(name, u"Empty");
    setPanelHeight(ovHyperBarLayout::defaultPanelHeight);
}

void ovHyperBarPlugin::setPanelHeight(float share) {
    const ovRect& screen = app_.screenRect;
    panelRect = {screen.left, screen.bottom - fracHeight(share), screen.right, screen.bottom};
}

void ovHyperBarPlugin::tick() {}

void ovHyperBarPlugin::drawPanel(ovCanvas& dc) {
    const ovPen pen = dc.selectPen(ovPen{ovPen::Dash, 1, 0x000000});
    const ovBrush brush = dc.selectBrush(ovBrush{ovBrush::Solid, 0xFFE1E1});
    dc.rectangle(panelRect.left, panelRect.top, panelRect.right, panelRect.bottom);
    dc.drawText(name.view(), panelRect, ovTextCenter | ovTextVCenter);
    dc.selectPen(pen);
    dc.selectBrush(brush);
}

namespace {
constexpr float kLoadRetrySeconds = 5.0f;
}

bool ovHyperBarPlugin::loadPicture(ovBitmap*& slot, const char* file) {
    if (slot == nullptr || !slot->loaded())
        slot = app_.bitmaps.loadBitmap(app_.system(), imagePath(file), false);
    return slot != nullptr && slot->loaded();
}

bool ovHyperBarPlugin::mayTryLoading() const {
    return lastFailedLoad_ < 0.0f || app_.totalTime - lastFailedLoad_ >= kLoadRetrySeconds;
}

void ovHyperBarPlugin::noteLoadFailed() {
    lastFailedLoad_ = app_.totalTime;
}
