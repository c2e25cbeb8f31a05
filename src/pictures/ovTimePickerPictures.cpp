// The time picker's boards, selection box, icons and pressed buttons. Every element is
// drawn into the rectangle the picker hit-tests, taken from ovTimePickerLayout on the
// screen rectangle the pictures are drawn for.
#include "ovTimePickerPictures.h"

#include "gfx/ovFont.h"
#include "ovPictureCanvas.h"
#include "ovPictureSize.h"
#include "pickers/ovTimePickerLayout.h"
#include "shell/ovFontSet.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace L = ovTimePickerLayout;
namespace P = ovTimePickerPalette;

namespace {
constexpr float kPi = 3.14159265f;

const ovRgba kBoardTop = ovHex(0x1B2531);
const ovRgba kBoardBottom = ovHex(0x0E141B);
const ovRgba kRim = ovHex(0x05080C, 0.7f);
const ovRgba kLabel = ovHex(0x16212E);
const ovRgba kLightLabel = ovHex(0xFFFFFF);
const ovRgba kAmber = ovHex(0xF0A93B);

// Text for the pictures, in the program's own bold face.
class Lettering {
public:
    explicit Lettering(const ovPictureSize& s) {
        const std::string file = ovFontSet::fontFolder() + "/tahomabd.ttf";
        for (int size : {18, 22, 26, 30}) {
            auto opened = ovFont::open(file, s.em(size));
            if (opened)
                fonts_[index(size)] = opened.take();
            else
                std::fprintf(stderr, "ov_picturegen: %s\n", opened.reason().c_str());
        }
    }
    // Centres one line of ASCII text on (cx, cy); the size is one of the four looks.
    void centred(ovPictureCanvas& c, const std::string& text, int size, float cx, float cy,
                 const ovRgba& colour) const {
        const ovFont* font = fonts_[index(size)].get();
        if (font == nullptr)
            return;
        int width = 0;
        for (char ch : text)
            width += font->advance(static_cast<unsigned char>(ch));
        int pen = static_cast<int>(std::lround(cx - width / 2.0f));
        const int baseline = static_cast<int>(std::lround(cy + (font->ascent() - font->descent()) / 2.0f));
        for (char ch : text) {
            const ovGlyph& g = font->glyph(static_cast<unsigned char>(ch));
            for (int y = 0; y < g.height; ++y)
                for (int x = 0; x < g.width; ++x)
                    c.blend(pen + g.bearingX + x, baseline - g.bearingY + y, colour,
                            g.coverage[static_cast<size_t>(y) * g.width + x] / 255.0f);
            pen += g.advance;
        }
    }

private:
    static int index(int size) { return size <= 18 ? 0 : size <= 22 ? 1 : size <= 26 ? 2 : 3; }
    std::unique_ptr<ovFont> fonts_[4];
};

float midX(const ovRect& r) {
    return (r.left + r.right) / 2.0f;
}
float midY(const ovRect& r) {
    return (r.top + r.bottom) / 2.0f;
}

// A key face filling the rectangle's pixels [left, right] x [top, bottom], as the touch
// test counts them, with a dark rim and a soft highlight along the top.
void face(ovPictureCanvas& c, const ovPictureSize& s, const ovRect& r, const ovRgba& colour, float radius) {
    radius = s.d(radius);
    const float x0 = r.left, y0 = r.top, x1 = r.right + 1.0f, y1 = r.bottom + 1.0f;
    c.roundedRect(x0, y0, x1, y1, radius, kRim);
    c.roundedRect(x0 + 1.5f, y0 + 1.5f, x1 - 1.5f, y1 - 1.5f, radius - 1.5f, colour);
    c.line(x0 + radius, y0 + 4.0f, x1 - radius, y0 + 4.0f, 1.5f, ovHex(0xFFFFFF, 0.35f));
}

void panel(ovPictureCanvas& c, const ovPictureSize& s, const ovRect& r) {
    c.roundedRect(r.left, r.top, r.right + 1.0f, r.bottom + 1.0f, s.d(14.0f), ovHex(P::panel));
}

ovRect resolved(const ovPictureSize& s, const ovFracRect& f) {
    return L::resolve(f, s.width, s.height);
}

// The parts both boards share: the two list columns with the toggles, Next and Back.
void drawBoard(ovPictureCanvas& c, const ovPictureSize& s, const Lettering& text, bool durationForm) {
    c.verticalGradient(kBoardTop, kBoardBottom);
    panel(c, s, resolved(s, L::leftListRect));
    panel(c, s, resolved(s, L::middleListRect));
    for (int i = 0; i < L::leftItemCount; ++i) {
        const ovRect r = L::leftItem(i, s.width, s.height);
        face(c, s, r, ovHex(P::itemFace), 10.0f);
        const int number = durationForm ? i : L::firstHourLeft + i;
        text.centred(c, std::to_string(number), 26, midX(r), midY(r), kLabel);
    }
    for (int i = 0; i < L::middleItemCount; ++i) {
        const ovRect r = L::middleItem(i, s.width, s.height);
        face(c, s, r, ovHex(P::itemFace), 10.0f);
        const int number = durationForm ? L::firstNumberMiddle + i : L::firstHourMiddle + i;
        text.centred(c, std::to_string(number), 26, midX(r), midY(r), kLabel);
    }
    const char* toggleLabels[L::toggleCount] = {"15", "30"};
    for (int t = 0; t < L::toggleCount; ++t) {
        const ovRect r = L::toggle(t, s.width, s.height);
        face(c, s, r, ovHex(P::toggleFace), 22.0f);
        text.centred(c, std::string("+") + toggleLabels[t] + " min", 22, midX(r), midY(r), kLabel);
    }
    const ovRect next = resolved(s, L::nextRect);
    face(c, s, next, ovHex(P::nextFace), 16.0f);
    text.centred(c, "Next", 30, midX(next), midY(next) - s.d(16), kLightLabel);
    const float ax = midX(next), ay = midY(next) + s.d(27);
    c.line(ax - s.d(20), ay, ax + s.d(18), ay, s.d(5.0f), kLightLabel);
    c.line(ax + s.d(18), ay, ax + s.d(6), ay - s.d(11), s.d(5.0f), kLightLabel);
    c.line(ax + s.d(18), ay, ax + s.d(6), ay + s.d(11), s.d(5.0f), kLightLabel);
    const ovRect back = resolved(s, L::backRect);
    face(c, s, back, ovHex(P::backFace), 16.0f);
    text.centred(c, "Back", 30, midX(back), midY(back) - s.d(16), kLabel);
    const float bx = midX(back), by = midY(back) + s.d(27);
    c.line(bx - s.d(18), by, bx + s.d(20), by, s.d(5.0f), kLabel);
    c.line(bx - s.d(18), by, bx - s.d(6), by - s.d(11), s.d(5.0f), kLabel);
    c.line(bx - s.d(18), by, bx - s.d(6), by + s.d(11), s.d(5.0f), kLabel);
}

void makeTimeOfDayBoard(const ovPictureSize& s, const std::string& folder, const Lettering& text,
                        int& failures) {
    ovPictureCanvas c(s.width, s.height);
    drawBoard(c, s, text, false);
    // A quiet plate behind the step's title, which the program writes.
    const ovRect title = resolved(s, L::labelRect);
    c.roundedRect(title.left - s.d(6.0f), title.top - s.d(6.0f), title.right + s.d(6.0f),
                  title.bottom + s.d(6.0f), s.d(12.0f), ovHex(0x3A5068));
    const float hintY = title.bottom + s.d(38);
    text.centred(c, "hour", 18, midX(title), hintY - s.d(8), ovHex(0x9FB3C8));
    text.centred(c, "+ minutes", 18, midX(title), hintY + s.d(14), ovHex(0x9FB3C8));
    const ovResult<> error = c.write24(folder + "/timepicker.bmp");
    failures += error.ok() ? 0 : 1;
    if (!error)
        std::fprintf(stderr, "ov_picturegen: %s\n", error.reason().c_str());
}

void makeDurationBoard(const ovPictureSize& s, const std::string& folder, const Lettering& text,
                       int& failures) {
    ovPictureCanvas c(s.width, s.height);
    drawBoard(c, s, text, true);
    const ovRect unitPanel = resolved(s, L::unitPanelRect);
    c.roundedRect(unitPanel.left, unitPanel.top, unitPanel.right + 1.0f, unitPanel.bottom + 1.0f, s.d(12.0f),
                  ovHex(0x3A5068));
    const char* units[L::unitCount] = {"Hours", "Days", "Weeks"};
    for (int u = 0; u < L::unitCount; ++u) {
        const ovRect r = L::unit(u, s.width, s.height);
        face(c, s, r, ovHex(P::unitFace), 8.0f);
        text.centred(c, units[u], 18, midX(r), midY(r), kLabel);
    }
    const ovResult<> error = c.write24(folder + "/timeDuration.bmp");
    failures += error.ok() ? 0 : 1;
    if (!error)
        std::fprintf(stderr, "ov_picturegen: %s\n", error.reason().c_str());
}

// The box over the chosen item, the pressed item and the toggles that are on: an amber
// ring with a faint amber wash, alpha-blended so that the item's number shows through.
void makeSelectionBox(const ovPictureSize& s, const std::string& folder, int& failures) {
    const ovRect item = L::leftItem(0, s.width, s.height);
    const int w = item.width() + 1, h = item.height() + 1;
    ovPictureCanvas c(w, h);
    c.roundedRect(0, 0, w, h, s.d(11.0f), ovHex(0xF0A93B, 0.22f));
    // The ring: the outer shape less an inner one, so the inside keeps only the wash.
    ovPictureCanvas inner(w, h);
    const float ring = s.d(4.5f);
    inner.roundedRect(ring, ring, w - ring, h - ring, s.d(7.0f), ovHex(0xFFFFFF));
    ovPictureCanvas outer(w, h);
    outer.roundedRect(0.5f, 0.5f, w - 0.5f, h - 0.5f, s.d(11.0f), ovHex(0xFFFFFF));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            c.blend(x, y, kAmber, std::max(0.0f, outer.at(x, y).a - inner.at(x, y).a));
    const ovResult<> error = c.write32(folder + "/selectionButton.bmp");
    failures += error.ok() ? 0 : 1;
    if (!error)
        std::fprintf(stderr, "ov_picturegen: %s\n", error.reason().c_str());
}

void clockFace(ovPictureCanvas& c, const ovPictureSize& s, float cx, float cy, float r, float hourAngle,
               float minuteAngle) {
    c.roundedRect(cx - r, cy - r, cx + r, cy + r, r, ovHex(0xE8EEF5));
    const float rim = s.d(4);
    c.roundedRect(cx - r + rim, cy - r + rim, cx + r - rim, cy + r - rim, r - rim, ovHex(0x2A3A4C));
    for (int i = 0; i < 12; ++i) {
        const float a = i * kPi / 6;
        c.line(cx + std::sin(a) * (r - s.d(10)), cy - std::cos(a) * (r - s.d(10)),
               cx + std::sin(a) * (r - s.d(7)), cy - std::cos(a) * (r - s.d(7)), s.d(2.0f), ovHex(0xE8EEF5));
    }
    c.line(cx, cy, cx + std::sin(hourAngle) * r * 0.45f, cy - std::cos(hourAngle) * r * 0.45f, s.d(4.0f),
           ovHex(0xFFFFFF));
    c.line(cx, cy, cx + std::sin(minuteAngle) * r * 0.7f, cy - std::cos(minuteAngle) * r * 0.7f, s.d(3.0f),
           kAmber);
}

void makeIcons(const ovPictureSize& s, const std::string& folder, const char* only, int& failures) {
    const ovRect icon = resolved(s, L::iconRect);
    const int w = icon.width(), h = icon.height();
    if (ovPictureWanted(only, "endTimeIcon.bmp")) {
        // The end of an appointment: a clock with a stop bar under it.
        ovPictureCanvas c(w, h);
        const float r = std::min(w, h) * 0.36f;
        clockFace(c, s, w / 2.0f, h * 0.42f, r, kPi * 0.33f, kPi * 1.5f);
        c.line(w * 0.22f, h * 0.9f, w * 0.78f, h * 0.9f, s.d(5.0f), kAmber);
        const ovResult<> error = c.write24(folder + "/endTimeIcon.bmp");
        failures += error.ok() ? 0 : 1;
    }
    if (ovPictureWanted(only, "reminderIcon.bmp")) {
        // The reminder: a bell.
        ovPictureCanvas c(w, h);
        const float cx = w / 2.0f;
        const ovRgba bell = ovHex(0xF2C14E);
        c.roundedRect(cx - w * 0.26f, h * 0.2f, cx + w * 0.26f, h * 0.78f, w * 0.24f, bell);
        c.roundedRect(cx - w * 0.38f, h * 0.62f, cx + w * 0.38f, h * 0.76f, s.d(4.0f), bell);
        c.roundedRect(cx - s.d(6), h * 0.8f, cx + s.d(6), h * 0.92f, s.d(6.0f), ovHex(0xE8EEF5));
        c.roundedRect(cx - s.d(4), h * 0.1f, cx + s.d(4), h * 0.22f, s.d(4.0f), bell);
        const ovResult<> error = c.write24(folder + "/reminderIcon.bmp");
        failures += error.ok() ? 0 : 1;
    }
}

// Next and Back while the finger is on them: the same face, lit amber.
void makePressedButtons(const ovPictureSize& s, const std::string& folder, const Lettering& text,
                        const char* only, int& failures) {
    const ovRect next = resolved(s, L::nextRect);
    const ovRect back = resolved(s, L::backRect);
    for (int which = 0; which < 2; ++which) {
        const char* name = which == 0 ? "ovnextButtonHover.bmp" : "ovbackButtonHover.bmp";
        if (!ovPictureWanted(only, name))
            continue;
        const ovRect& r = which == 0 ? next : back;
        // The size the picker draws it at, so that it is copied, not stretched.
        ovPictureCanvas c(r.width(), r.height());
        const ovRect local{0, 0, r.width() - 1, r.height() - 1};
        face(c, s, local, kAmber, 16.0f);
        text.centred(c, which == 0 ? "Next" : "Back", 30, midX(local), midY(local) - s.d(16), kLabel);
        const float ax = midX(local), ay = midY(local) + s.d(27);
        const float dir = which == 0 ? 1.0f : -1.0f;
        c.line(ax - s.d(19) * dir, ay, ax + s.d(19) * dir, ay, s.d(5.0f), kLabel);
        c.line(ax + s.d(19) * dir, ay, ax + s.d(7) * dir, ay - s.d(11), s.d(5.0f), kLabel);
        c.line(ax + s.d(19) * dir, ay, ax + s.d(7) * dir, ay + s.d(11), s.d(5.0f), kLabel);
        const ovResult<> error = c.write24(folder + "/" + name);
        failures += error.ok() ? 0 : 1;
    }
}
} // namespace

int ovMakeTimePickerPictures(const std::string& imagesFolder, const ovPictureSize& s, const char* only) {
    int failures = 0;
    if (ovPictureWanted(only, "selectionButton.bmp"))
        makeSelectionBox(s, imagesFolder, failures);
    if (ovPictureWanted(only, "endTimeIcon.bmp") || ovPictureWanted(only, "reminderIcon.bmp"))
        makeIcons(s, imagesFolder, only, failures);
    const bool timeOfDay = ovPictureWanted(only, "timepicker.bmp");
    const bool duration = ovPictureWanted(only, "timeDuration.bmp");
    const bool pressed =
        ovPictureWanted(only, "ovnextButtonHover.bmp") || ovPictureWanted(only, "ovbackButtonHover.bmp");
    if (!timeOfDay && !duration && !pressed)
        return failures;
    const Lettering text(s);
    if (timeOfDay)
        makeTimeOfDayBoard(s, imagesFolder, text, failures);
    if (duration)
        makeDurationBoard(s, imagesFolder, text, failures);
    if (pressed)
        makePressedButtons(s, imagesFolder, text, only, failures);
    return failures;
}
