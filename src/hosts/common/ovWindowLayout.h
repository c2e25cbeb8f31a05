#pragma once
// Where the window's parts lie, in window pixels: the top bar, the program's screen
// rectangle and the soft-key bar, and, while they are open, the Options pop-up and the
// About box. Widths are right - left; a point on any edge belongs to the rectangle.
#include "gfx/ovGeometry.h"

class ovWindowLayout {
public:
    // The window is the device's screen, width x height; the reserved height is split
    // between the two bars, the top one taking the smaller half.
    ovWindowLayout(int width, int height, int reservedHeight);

    int width() const { return width_; }
    int height() const { return height_; }
    // Pixels per pixel of a 240 x 320 screen: 1, or 2 at 480 x 640.
    int scale() const { return scale_; }
    const ovRect& topBar() const { return topBar_; }
    const ovRect& screenArea() const { return screenArea_; }
    const ovRect& bottomBar() const { return bottomBar_; }
    // Key i of `count` keys sharing the bottom bar.
    ovRect softKeyRect(int i, int count) const;

    // The pop-up of `itemCount` items over `key`, wide enough for the widest label.
    void placeMenu(const ovRect& key, int itemCount, int widestLabel);
    const ovRect& menuRect() const { return menuRect_; }
    ovRect menuItemRect(int i) const;
    // Inner padding of the pop-up's labels.
    int menuPad() const { return 12 * scale_; }

    // The About box's text is wrapped to this width.
    int aboutTextWidth() const;
    // The box centred on the window, high enough for its text.
    void placeAbout(int textHeight);
    const ovRect& aboutRect() const { return aboutRect_; }
    const ovRect& aboutTitleRect() const { return aboutTitleRect_; }
    const ovRect& aboutOkRect() const { return aboutOkRect_; }
    const ovRect& aboutBodyRect() const { return aboutBodyRect_; }

private:
    int width_;
    int height_;
    int scale_;
    ovRect topBar_;
    ovRect screenArea_;
    ovRect bottomBar_;
    ovRect menuRect_;
    int menuItemHeight_ = 0;
    ovRect aboutRect_;
    ovRect aboutTitleRect_;
    ovRect aboutOkRect_;
    ovRect aboutBodyRect_;
};
