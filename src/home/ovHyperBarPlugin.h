#pragma once
// A plug-in of the hyper bar: a panel over the lower part of the screen (or all of
// it) that its bar button opens. The base draws an "Empty" panel with the name.
#include "base/ovFixedText.h"
#include "gfx/ovGeometry.h"

class ovApp;
class ovCanvas;
struct ovBitmap;

class ovHyperBarPlugin {
public:
    explicit ovHyperBarPlugin(ovApp& app);
    virtual ~ovHyperBarPlugin() = default;
    ovHyperBarPlugin(const ovHyperBarPlugin&) = delete;
    ovHyperBarPlugin& operator=(const ovHyperBarPlugin&) = delete;

    ovFixedText<64> name;
    ovRect panelRect;
    bool picturesLoaded = false;
    // Takes the whole screen and every touch while open; it must close itself.
    bool modal = false;

    // On every touch handling of the bar while the plug-in is open and the bar visible.
    virtual void tick();
    virtual void drawPanel(ovCanvas& dc);

protected:
    // Loads a picture into the slot unless it holds one already; true when it does now.
    bool loadPicture(ovBitmap*& slot, const char* file);
    // A failed load is reported by an error box, so it is tried again only after a
    // pause: a missing file must not bring up a box for every frame.
    bool mayTryLoading() const;
    void noteLoadFailed();
    // The panel from the bottom edge of the screen up by this share of its height.
    void setPanelHeight(float share);
    ovApp& app_;

private:
    float lastFailedLoad_ = -1.0f;
};
