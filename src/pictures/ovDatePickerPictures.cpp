// The date picker's month bar (with the previous- and next-month arrows at the ends
// where their touch areas lie) and the back button of the grid's last cell, sized from
// ovDatePickerLayout on the screen rectangle the pictures are drawn for.
#include "ovDatePickerPictures.h"

#include "ovPictureCanvas.h"
#include "pickers/ovDatePickerLayout.h"

#include <cstdio>
#include <string>

namespace L = ovDatePickerLayout;
namespace P = ovDatePickerPalette;

namespace {
const ovRgba kRim = ovHex(0x05080C, 0.7f);
const ovRgba kChevron = ovHex(0xFFFFFF);

int write(const ovPictureCanvas& c, const std::string& path) {
    const ovResult<> error = c.write24(path);
    if (error.ok())
        return 0;
    std::fprintf(stderr, "ov_picturegen: %s\n", error.reason().c_str());
    return 1;
}

// A rounded plate over the pixels [left, right] x [top, bottom].
void plate(ovPictureCanvas& c, float left, float top, float right, float bottom, const ovRgba& colour,
           float radius) {
    c.roundedRect(left, top, right + 1, bottom + 1, radius, kRim);
    c.roundedRect(left + 1.5f, top + 1.5f, right - 0.5f, bottom - 0.5f, radius - 1.5f, colour);
    c.line(left + radius, top + 4.0f, right - radius, top + 4.0f, 1.5f, ovHex(0xFFFFFF, 0.3f));
}

void chevron(ovPictureCanvas& c, float cx, float cy, float size, float thickness, float direction) {
    c.line(cx - size * 0.5f * direction, cy - size, cx + size * 0.5f * direction, cy, thickness, kChevron);
    c.line(cx + size * 0.5f * direction, cy, cx - size * 0.5f * direction, cy + size, thickness, kChevron);
}
} // namespace

int ovMakeDatePickerPictures(const std::string& imagesFolder, const ovPictureSize& s, const char* only) {
    const L::Grid g = L::grid(s.width, s.height);
    int failures = 0;
    if (ovPictureWanted(only, "calendar.bmp")) {
        const ovRect bar = g.monthBar();
        ovPictureCanvas c(bar.width(), bar.height());
        c.verticalGradient(ovHex(P::barFace), ovMix(ovHex(P::barFace), ovHex(0x000000), 0.4f));
        const float top = s.d(6), bottom = bar.height() - s.d(7);
        const ovRect previous = g.previousArea();
        const ovRect next = g.nextArea();
        // Each arrow's plate covers its touch area; the chevron sits towards the screen's
        // edge, clear of the title in the middle.
        const float inset = s.d(6);
        plate(c, previous.left + inset, top, previous.right - inset, bottom, ovHex(P::arrowFace), s.d(12));
        chevron(c, previous.left + previous.width() * 0.28f, bar.height() / 2.0f, s.d(14), s.d(6), -1);
        plate(c, next.left + inset, top, next.right - inset, bottom, ovHex(P::arrowFace), s.d(12));
        chevron(c, next.left + next.width() * 0.72f, bar.height() / 2.0f, s.d(14), s.d(6), 1);
        failures += write(c, imagesFolder + "/calendar.bmp");
    }
    if (ovPictureWanted(only, "calendarBack.bmp")) {
        const ovRect back = g.backButton();
        ovPictureCanvas c(back.width(), back.height());
        plate(c, s.d(3), s.d(3), back.width() - s.d(3), back.height() - s.d(3), ovHex(P::backFace), s.d(12));
        // The arrow above the middle, so the button's centre is plain face.
        const float cx = back.width() / 2.0f, cy = back.height() * 0.32f;
        c.line(cx - s.d(16), cy, cx + s.d(16), cy, s.d(5.0f), ovHex(0x16212E));
        c.line(cx - s.d(16), cy, cx - s.d(4), cy - s.d(12), s.d(5.0f), ovHex(0x16212E));
        c.line(cx - s.d(16), cy, cx - s.d(4), cy + s.d(12), s.d(5.0f), ovHex(0x16212E));
        failures += write(c, imagesFolder + "/calendarBack.bmp");
    }
    return failures;
}
