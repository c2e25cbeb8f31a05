#include "ovMsgAcctPickerPictures.h"

#include "messaging/ovMsgAcctPickerLayout.h"
#include "ovPictureCanvas.h"
#include "shell/ovScreenGeometry.h"

namespace L = ovMsgAcctPickerLayout;

namespace {
const ovRgba kTop = ovHex(0x1E2935);
const ovRgba kBottom = ovHex(0x0D1218);
const ovRgba kPanel = ovHex(0x263445);
const ovRgba kRowEven = ovHex(0x2C3C4F);
const ovRgba kRowOdd = ovHex(0x23303F);
const ovRgba kRim = ovHex(0x0A0E13, 0.6f);
const ovRgba kButtonTop = ovHex(0x4E7FB0);
const ovRgba kButtonBottom = ovHex(0x2F5679);
const ovRgba kArrow = ovHex(0xFFFFFF);
const ovRgba kCounter = ovHex(0x16202B);
const ovRgba kTitleBar = ovHex(0x33475E);

struct Box {
    float x0, y0, x1, y1;
};

Box pixels(const ovPictureCanvas& c, const L::Frac& f) {
    return {static_cast<float>(ovFracOf(c.width(), f.left)), static_cast<float>(ovFracOf(c.height(), f.top)),
            static_cast<float>(ovFracOf(c.width(), f.right)),
            static_cast<float>(ovFracOf(c.height(), f.bottom))};
}

void plate(ovPictureCanvas& c, const Box& b, float inset, float radius, const ovRgba& top,
           const ovRgba& bottom) {
    c.roundedRect(b.x0 + inset, b.y0 + inset, b.x1 - inset, b.y1 - inset, radius, kRim);
    c.roundedRectGradient(b.x0 + inset + 1.5f, b.y0 + inset + 1.5f, b.x1 - inset - 1.5f, b.y1 - inset - 1.5f,
                          radius - 1.5f, top, bottom);
}

// A chevron in the middle of the box pointing up (dir -1), down (+1).
void chevronVertical(ovPictureCanvas& c, const Box& b, float dir) {
    const float cx = (b.x0 + b.x1) / 2, cy = (b.y0 + b.y1) / 2;
    const float w = (b.x1 - b.x0) * 0.22f, h = w * 0.6f;
    c.line(cx - w, cy - dir * h, cx, cy + dir * h, w * 0.28f, kArrow);
    c.line(cx, cy + dir * h, cx + w, cy - dir * h, w * 0.28f, kArrow);
}

void chevronBack(ovPictureCanvas& c, const Box& b) {
    const float cx = (b.x0 + b.x1) / 2, cy = (b.y0 + b.y1) / 2;
    const float h = (b.y1 - b.y0) * 0.22f, w = h * 0.6f;
    c.line(cx + w, cy - h, cx - w, cy, h * 0.3f, kArrow);
    c.line(cx - w, cy, cx + w, cy + h, h * 0.3f, kArrow);
}
} // namespace

std::string ovMakeListPickerBackground(const std::string& imagesFolder, int width, int height) {
    ovPictureCanvas c(width, height);
    c.verticalGradient(kTop, kBottom);

    const Box title = pixels(c, L::title);
    plate(c, title, 0, (title.y1 - title.y0) * 0.35f, ovMix(kTitleBar, ovHex(0xFFFFFF), 0.08f), kTitleBar);

    // The list: one band per touch row, so a row's plate is exactly where a tap picks it.
    const Box list = pixels(c, L::list);
    plate(c, list, 0, 14, kPanel, kPanel);
    const int top = static_cast<int>(list.y0), step = (static_cast<int>(list.y1) - top) / L::rows;
    for (int r = 0; r < L::rows; ++r) {
        const float y0 = static_cast<float>(top + r * step), y1 = static_cast<float>(top + (r + 1) * step);
        c.roundedRect(list.x0 + 6, y0 + 3, list.x1 - 6, y1 - 3, 9, r % 2 == 0 ? kRowEven : kRowOdd);
    }

    const Box up = pixels(c, L::up), down = pixels(c, L::down), back = pixels(c, L::back);
    plate(c, up, 3, 16, kButtonTop, kButtonBottom);
    chevronVertical(c, up, -1);
    plate(c, down, 3, 16, kButtonTop, kButtonBottom);
    chevronVertical(c, down, 1);
    plate(c, back, 3, 14, kButtonTop, kButtonBottom);
    chevronBack(c, back);

    // The range and total sit on one dark inset between the arrows.
    const Box counter = pixels(c, L::counter), total = pixels(c, L::total);
    c.roundedRect(counter.x0, counter.y0, total.x1, total.y1, 12, kCounter);
    c.line(counter.x0 + 12, counter.y1, counter.x1 - 12, counter.y1, 1.5f, ovHex(0x3F5670));

    return c.write24(imagesFolder + "/contactPicker.bmp");
}
