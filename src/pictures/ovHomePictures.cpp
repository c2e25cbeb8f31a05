// The home screen's background and pressed buttons, the hyper bar's buttons, the
// device status icons and meters, and the calculator's keypad. Every area comes from
// the layout tables the screens hit-test with, on the screen rectangle the pictures
// are drawn for.
#include "ovHomePictures.h"

#include "gfx/ovCanvas.h"
#include "gfx/ovFont.h"
#include "home/ovCalculatorLayout.h"
#include "home/ovHomeLayout.h"
#include "home/ovHyperBarLayout.h"
#include "ovPictureCanvas.h"
#include "ovPictureSize.h"
#include "shell/ovFontSet.h"
#include "shell/ovScreenGeometry.h"
#include "system/ovUtf.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {
const ovRgba kBackTop = ovHex(0x1E2935);
const ovRgba kBackBottom = ovHex(0x0D1218);
const ovRgba kPlateTop = ovHex(0x33465A);
const ovRgba kPlateBottom = ovHex(0x243345);
const ovRgba kPressedTop = ovHex(0xFFD98A);
const ovRgba kPressedBottom = ovHex(0xF0A93B);
const ovRgba kRim = ovHex(0x0A0E13, 0.6f);
const ovRgba kLabel = ovHex(0xE8EEF5);
const ovRgba kLabelDark = ovHex(0x1B2430);
const ovRgba kAccent = ovHex(0x7FB2E5);
const ovRgba kWell = ovHex(0x0B1016, 0.7f);

struct Out {
    std::filesystem::path images;
    ovPictureSize s;
    const char* only = nullptr;
    int failures = 0;
    bool wants(const char* name) const { return ovPictureWanted(only, name); }
    void check(const ovResult<>& written) {
        if (!written) {
            std::fprintf(stderr, "ov_picturegen: %s\n", written.reason().c_str());
            ++failures;
        }
    }
    std::string at(const char* name) const { return (images / name).string(); }
};

// Text through the program's own FreeType canvas: drawn white on black, then used as
// coverage for the colour on the picture.
const ovFont* font(int pixels, bool bold) {
    // One set per thread: pictures may be drawn on two threads at once.
    thread_local std::map<std::pair<int, bool>, std::unique_ptr<ovFont>> fonts;
    auto& slot = fonts[{pixels, bold}];
    if (!slot) {
        auto opened =
            ovFont::open(ovFontSet::fontFolder() + (bold ? "/tahomabd.ttf" : "/tahoma.ttf"), pixels);
        if (opened)
            slot = opened.take();
        else
            std::fprintf(stderr, "ov_picturegen: %s\n", opened.reason().c_str());
    }
    return slot.get();
}

void text(ovPictureCanvas& c, const ovPictureSize& s, const char* utf8, float x0, float y0, float x1,
          float y1, int lookPixels, bool bold, const ovRgba& colour,
          unsigned format = ovTextCenter | ovTextVCenter) {
    const ovFont* f = font(s.em(lookPixels), bold);
    if (f == nullptr)
        return;
    const ovRect rect{static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1), static_cast<int>(y1)};
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    // The mask covers the text's rectangle only: a whole screen's worth per label would
    // cost more than the drawing.
    ovFramebuffer mask(rect.width(), rect.height(), 0);
    ovCanvas canvas(mask);
    canvas.selectFont(f);
    canvas.setBackgroundMode(ovTransparent);
    canvas.setTextColor(0xFFFFFF);
    canvas.drawText(ovToUtf16(utf8), {0, 0, rect.width(), rect.height()}, format);
    for (int y = std::max(0, rect.top); y < std::min(c.height(), rect.bottom); ++y)
        for (int x = std::max(0, rect.left); x < std::min(c.width(), rect.right); ++x)
            if (const ovColor v = mask.pixel(x - rect.left, y - rect.top); (v & 0xFF) != 0)
                c.blend(x, y, colour, static_cast<float>(v & 0xFF) / 255.0f);
}

void circle(ovPictureCanvas& c, float cx, float cy, float r, const ovRgba& colour) {
    c.roundedRect(cx - r, cy - r, cx + r, cy + r, r, colour);
}

// A plate with a thin rim, shaded from top to bottom.
void plate(ovPictureCanvas& c, float x0, float y0, float x1, float y1, float r, const ovRgba& top,
           const ovRgba& bottom) {
    c.roundedRect(x0, y0, x1, y1, r, kRim);
    c.roundedRectGradient(x0 + 1.5f, y0 + 1.5f, x1 - 1.5f, y1 - 1.5f, r - 1.0f, top, bottom);
    c.line(x0 + r, y0 + 3.5f, x1 - r, y0 + 3.5f, 1.2f, ovHex(0xFFFFFF, 0.18f));
}

// The four wizard icons, drawn in a square of side s centred at (cx, cy).
void contactIcon(ovPictureCanvas& c, float cx, float cy, float s, const ovRgba& ink) {
    circle(c, cx, cy - s * 0.18f, s * 0.2f, ink);
    c.roundedRect(cx - s * 0.36f, cy + s * 0.08f, cx + s * 0.36f, cy + s * 0.46f, s * 0.18f, ink);
}
void messageIcon(ovPictureCanvas& c, float cx, float cy, float s, const ovRgba& ink) {
    const float l = cx - s * 0.45f, r = cx + s * 0.45f, t = cy - s * 0.3f, b = cy + s * 0.3f;
    const float w = s * 0.06f;
    c.line(l, t, r, t, w, ink);
    c.line(r, t, r, b, w, ink);
    c.line(r, b, l, b, w, ink);
    c.line(l, b, l, t, w, ink);
    c.line(l, t, cx, cy + s * 0.05f, w, ink);
    c.line(cx, cy + s * 0.05f, r, t, w, ink);
}
void appointmentIcon(ovPictureCanvas& c, float cx, float cy, float s, const ovRgba& ink,
                     const ovRgba& paper) {
    c.roundedRect(cx - s * 0.42f, cy - s * 0.36f, cx + s * 0.42f, cy + s * 0.44f, s * 0.08f, ink);
    c.roundedRect(cx - s * 0.34f, cy - s * 0.14f, cx + s * 0.34f, cy + s * 0.36f, s * 0.04f, paper);
    c.line(cx - s * 0.2f, cy - s * 0.46f, cx - s * 0.2f, cy - s * 0.28f, s * 0.08f, ink);
    c.line(cx + s * 0.2f, cy - s * 0.46f, cx + s * 0.2f, cy - s * 0.28f, s * 0.08f, ink);
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 3; ++col)
            c.roundedRect(cx - s * 0.26f + col * s * 0.19f, cy - s * 0.05f + row * s * 0.19f,
                          cx - s * 0.14f + col * s * 0.19f, cy + s * 0.07f + row * s * 0.19f, 1.0f, ink);
}
void taskIcon(ovPictureCanvas& c, float cx, float cy, float s, const ovRgba& ink) {
    const float l = cx - s * 0.38f, r = cx + s * 0.38f, t = cy - s * 0.38f, b = cy + s * 0.38f;
    const float w = s * 0.07f;
    c.line(l, t, r, t, w, ink);
    c.line(r, t, r, b, w, ink);
    c.line(r, b, l, b, w, ink);
    c.line(l, b, l, t, w, ink);
    c.line(cx - s * 0.22f, cy, cx - s * 0.04f, cy + s * 0.2f, s * 0.1f, ink);
    c.line(cx - s * 0.04f, cy + s * 0.2f, cx + s * 0.34f, cy - s * 0.3f, s * 0.1f, ink);
}

const char* const kButtonNames[4] = {"Contact", "Message", "Appointment", "Task"};

// One wizard button filling the canvas area (x0, y0)-(x1, y1).
void wizardButton(ovPictureCanvas& c, const ovPictureSize& s, int button, float x0, float y0, float x1,
                  float y1, bool pressed) {
    const ovRgba top = pressed ? kPressedTop : kPlateTop;
    const ovRgba bottom = pressed ? kPressedBottom : kPlateBottom;
    const ovRgba ink = pressed ? kLabelDark : kLabel;
    plate(c, x0 + s.d(3), y0 + s.d(3), x1 - s.d(3), y1 - s.d(3), s.d(14.0f), top, bottom);
    const float h = y1 - y0;
    // The icon keeps its proportions: a square of the smaller room.
    const float side = std::min(h, x1 - x0) * 0.5f;
    const float cx = (x0 + x1) * 0.5f;
    const float cy = y0 + h * 0.4f;
    switch (button) {
    case ovHomeLayout::contactButton:
        contactIcon(c, cx, cy, side, ink);
        break;
    case ovHomeLayout::messageButton:
        messageIcon(c, cx, cy, side, ink);
        break;
    case ovHomeLayout::appointmentButton:
        appointmentIcon(c, cx, cy, side, ink, top);
        break;
    default:
        taskIcon(c, cx, cy, side, ink);
        break;
    }
    text(c, s, kButtonNames[button], x0, y0 + h * 0.72f, x1, y1 - s.d(6), 22, true, ink);
}

void makeHomeScreen(Out& out) {
    namespace L = ovHomeLayout;
    const ovPictureSize& s = out.s;
    ovPictureCanvas c(s.width, s.height);
    c.verticalGradient(kBackTop, kBackBottom);
    for (int i = 0; i < 4; ++i) {
        const L::Area& a = L::buttons[i].highlight;
        wizardButton(c, s, i, s.x(a.left), s.y(a.top), s.x(a.right), s.y(a.bottom), false);
    }
    // A quiet well behind the next appointment and the clock, and the time line's scale.
    c.roundedRect(s.x(0.02f), s.y(0.385f), s.x(0.765f), s.y(0.545f), s.d(10.0f), kWell);
    c.roundedRect(s.x(L::clockText.left), s.y(L::clockText.top) - s.d(2), s.x(L::clockText.right),
                  s.y(L::clockText.bottom) + s.d(2), s.d(8.0f), kWell);
    const float lineLeft = s.x(L::timeLine.left), lineRight = s.x(L::timeLine.right);
    const float below = s.y(L::timeLine.bottom);
    for (int hour = 0; hour <= 48; hour += 6) {
        const float x = lineLeft + (lineRight - lineLeft) * hour / 48.0f;
        const float length = s.d(hour == 24 ? 12.0f : 6.0f);
        c.line(x, below + s.d(2), x, below + s.d(2) + length, s.d(hour == 24 ? 2.5f : 1.5f),
               hour == 24 ? kAccent : kLabel);
    }
    const float labelTop = below + s.d(14), labelBottom = below + s.d(36);
    text(c, s, "-24 h", lineLeft + s.d(4), labelTop, lineLeft + s.d(84), labelBottom, 18, true, kLabel,
         ovTextLeft | ovTextVCenter);
    text(c, s, "now", (lineLeft + lineRight) / 2 - s.d(40), labelTop, (lineLeft + lineRight) / 2 + s.d(40),
         labelBottom, 16, true, kAccent);
    text(c, s, "+24 h", lineRight - s.d(84), labelTop, lineRight - s.d(4), labelBottom, 18, true, kLabel,
         ovTextRight | ovTextVCenter);
    out.check(c.write24(out.at("homeScreen.bmp")));
}

void makePressed(Out& out, int button, const char* name) {
    if (!out.wants(name))
        return;
    const ovHomeLayout::Area& a = ovHomeLayout::buttons[button].highlight;
    const int w = ovFracOf(out.s.width, a.right) - ovFracOf(out.s.width, a.left);
    const int h = ovFracOf(out.s.height, a.bottom) - ovFracOf(out.s.height, a.top);
    ovPictureCanvas c(w, h);
    wizardButton(c, out.s, button, 0, 0, static_cast<float>(w), static_cast<float>(h), true);
    out.check(c.write24(out.at(name)));
}

// A tab standing on the bar's edge, rounded at the top only.
void barButton(Out& out, const char* name, int which, bool down) {
    if (!out.wants(name))
        return;
    using namespace ovHyperBarLayout;
    const ovPictureSize& s = out.s;
    const int w = ovFracOf(s.width, buttonWidth);
    const int h = ovFracOf(s.height, buttonHeight);
    ovPictureCanvas c(w, h);
    const float r = s.d(12.0f);
    const float u = s.unit();
    const ovRgba top = down ? kPressedTop : ovHex(0x4A6A8C);
    const ovRgba bottom = down ? kPressedBottom : ovHex(0x2C4158);
    const ovRgba ink = down ? kLabelDark : kLabel;
    c.roundedRect(1, 1, w - 1.0f, h + r, r, kRim);
    c.roundedRectGradient(2.5f, 2.5f, w - 2.5f, h + r, r - 1, top, bottom);
    const float cy = h * 0.5f + 1;
    const float ix = 36 * u;
    if (which == 0) {
        // A gauge: a battery with a charge level.
        c.roundedRect(ix - 18 * u, cy - 10 * u, ix + 14 * u, cy + 10 * u, 3 * u, ink);
        c.roundedRect(ix - 15 * u, cy - 7 * u, ix + 11 * u, cy + 7 * u, 2 * u, top);
        c.roundedRect(ix - 13 * u, cy - 5 * u, ix + 2 * u, cy + 5 * u, 1 * u, ink);
        c.roundedRect(ix + 14 * u, cy - 4 * u, ix + 18 * u, cy + 4 * u, 1 * u, ink);
        text(c, s, "Status", 62 * u, 2, w - 8 * u, static_cast<float>(h), 22, true, ink,
             ovTextLeft | ovTextVCenter);
    } else {
        c.roundedRect(ix - 13 * u, cy - 17 * u, ix + 13 * u, cy + 17 * u, 4 * u, ink);
        c.roundedRect(ix - 9 * u, cy - 13 * u, ix + 9 * u, cy - 5 * u, 1 * u, top);
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col)
                c.roundedRect(ix + (-9 + col * 7) * u, cy + (-1 + row * 5.5f) * u, ix + (-5 + col * 7) * u,
                              cy + (2.5f + row * 5.5f) * u, 0.5f * u, top);
        text(c, s, "Calculator", 62 * u, 2, w - 8 * u, static_cast<float>(h), 22, true, ink,
             ovTextLeft | ovTextVCenter);
    }
    out.check(c.write24(out.at(name)));
}

void makeStatusPictures(Out& out) {
    using namespace ovHyperBarLayout;
    const int iw = ovFracOf(out.s.width, iconWidth), ih = ovFracOf(out.s.height, iconHeight);
    // The icons are drawn on the scale of the smaller of their two ratios to the look.
    const float u = std::min(iw / static_cast<float>(ovFracOf(ovPictureSize::lookWidth, iconWidth)),
                             ih / static_cast<float>(ovFracOf(ovPictureSize::lookHeight, iconHeight)));
    const ovRgba ink = ovHex(0x2B3A4C);
    const ovRgba light = ovHex(0xE1E1FF); // the panel's colour
    if (out.wants("power.bmp")) {
        ovPictureCanvas c(iw, ih);
        const float cx = iw * 0.5f, cy = ih * 0.5f;
        c.roundedRect(cx - 26 * u, cy - 14 * u, cx + 22 * u, cy + 14 * u, 5 * u, ink);
        c.roundedRect(cx - 22 * u, cy - 10 * u, cx + 18 * u, cy + 10 * u, 3 * u, light);
        c.roundedRect(cx + 22 * u, cy - 6 * u, cx + 28 * u, cy + 6 * u, 2 * u, ink);
        c.line(cx - 2 * u, cy - 8 * u, cx - 9 * u, cy + 1 * u, 3.0f * u, ovHex(0xE0A020));
        c.line(cx - 9 * u, cy + 1 * u, cx + 1 * u, cy + 1 * u, 3.0f * u, ovHex(0xE0A020));
        c.line(cx + 1 * u, cy + 1 * u, cx - 6 * u, cy + 9 * u, 3.0f * u, ovHex(0xE0A020));
        out.check(c.write24(out.at("power.bmp")));
    }
    if (out.wants("memory.bmp")) {
        ovPictureCanvas c(iw, ih);
        const float cx = iw * 0.5f, cy = ih * 0.5f;
        for (int i = 0; i < 5; ++i) {
            const float x = cx + (-16 + i * 8) * u;
            c.line(x, cy - 20 * u, x, cy + 20 * u, 2.5f * u, ink);
        }
        c.roundedRect(cx - 22 * u, cy - 14 * u, cx + 22 * u, cy + 14 * u, 4 * u, ink);
        c.roundedRect(cx - 12 * u, cy - 6 * u, cx + 12 * u, cy + 6 * u, 2 * u, ovHex(0x5F7A96));
        out.check(c.write24(out.at("memory.bmp")));
    }
    if (out.wants("sdcard.bmp")) {
        ovPictureCanvas c(iw, ih);
        const float cx = iw * 0.5f, cy = ih * 0.5f;
        // A card with its corner cut off.
        c.roundedRect(cx - 16 * u, cy - 12 * u, cx + 16 * u, cy + 22 * u, 4 * u, ink);
        c.roundedRect(cx - 6 * u, cy - 22 * u, cx + 16 * u, cy - 8 * u, 4 * u, ink);
        c.line(cx - 15 * u, cy - 11 * u, cx - 5 * u, cy - 21 * u, 3.0f * u, ink);
        for (int i = 0; i < 3; ++i)
            c.roundedRect(cx + (-3 + i * 7) * u, cy - 19 * u, cx + (-5 + i * 7) * u, cy - 11 * u, 1 * u,
                          ovHex(0xD9B44A));
        out.check(c.write24(out.at("sdcard.bmp")));
    }
    const int mw = ovFracOf(out.s.width, meterWidth), mh = ovFracOf(out.s.height, meterHeight);
    if (out.wants("meterEmpty.bmp")) {
        ovPictureCanvas c(mw, mh);
        c.roundedRect(0.5f, 0.5f, mw - 0.5f, mh - 0.5f, mh * 0.45f, ovHex(0x6B7C8F));
        c.roundedRectGradient(2, 2, mw - 2.0f, mh - 2.0f, mh * 0.4f, ovHex(0xC9D3DE), ovHex(0xF3F6F9));
        out.check(c.write24(out.at("meterEmpty.bmp")));
    }
    if (out.wants("meterFull.bmp")) {
        // Stretched into the filled width, so it has no ends of its own worth keeping.
        ovPictureCanvas c(mw, mh);
        c.verticalGradient(ovHex(0x7BD67A), ovHex(0x2E8B3E));
        c.line(2, 3, mw - 2.0f, 3, 1.5f, ovHex(0xFFFFFF, 0.4f));
        out.check(c.write24(out.at("meterFull.bmp")));
    }
}

// Where a key is drawn: its area less the bands that keys tried before it take away.
struct Band {
    float top, bottom;
};
Band visibleBand(const ovCalculatorLayout::Area& a, int before) {
    namespace L = ovCalculatorLayout;
    Band band{a.top, a.bottom};
    auto cut = [&](const L::Area& o) {
        const float overlap = std::min(a.right, o.right) - std::max(a.left, o.left);
        if (overlap < 0.9f * (a.right - a.left) || o.bottom <= band.top || o.top >= band.bottom)
            return;
        // Keep the larger remaining part.
        if (o.top - band.top > band.bottom - o.bottom)
            band.bottom = o.top;
        else
            band.top = o.bottom;
    };
    for (const L::DigitRow& row : L::digitRows)
        cut(row.area);
    for (int i = 0; i < before; ++i)
        cut(L::keys[i].area);
    return band;
}

void calcKey(ovPictureCanvas& c, const ovPictureSize& s, float x0, float y0, float x1, float y1,
             const char* label, const ovRgba& top, const ovRgba& bottom, const ovRgba& ink, int size) {
    plate(c, x0 + s.d(3), y0 + s.d(3), x1 - s.d(3), y1 - s.d(3), s.d(10.0f), top, bottom);
    text(c, s, label, x0, y0, x1, y1, size, true, ink);
}

void makeCalculator(Out& out) {
    namespace L = ovCalculatorLayout;
    const ovPictureSize& s = out.s;
    ovPictureCanvas c(s.width, s.height);
    c.verticalGradient(ovHex(0x18212B), ovHex(0x0B0F14));
    c.roundedRect(s.x(L::display.left), s.y(L::display.top), s.x(L::display.right), s.y(L::display.bottom),
                  s.d(8), ovHex(0x2E4A3E));
    c.roundedRect(s.x(L::display.left) + s.d(2), s.y(L::display.top) + s.d(2), s.x(L::display.right) - s.d(2),
                  s.y(L::display.bottom) - s.d(2), s.d(7), ovHex(0x1C2E27));
    // Digit columns split the row in whole pixels, exactly as the hit test does.
    for (const L::DigitRow& row : L::digitRows) {
        const int left = ovFracOf(s.width, row.area.left), right = ovFracOf(s.width, row.area.right);
        const int step = (right - left) / L::rowColumns;
        for (int i = 0; i < L::rowColumns; ++i) {
            char label[2] = {static_cast<char>(row.captions[i][0]), 0};
            calcKey(c, s, static_cast<float>(left + i * step), s.y(row.area.top),
                    static_cast<float>(left + (i + 1) * step), s.y(row.area.bottom), label, ovHex(0x4A5E74),
                    ovHex(0x33445A), kLabel, 30);
        }
    }
    for (int k = 0; k < static_cast<int>(std::size(L::keys)); ++k) {
        const L::Key& key = L::keys[k];
        const Band band = visibleBand(key.area, k);
        const bool op = key.area.left >= 0.8f || key.code == L::backspace;
        const bool clear = key.code == L::allClear;
        const ovRgba top = clear ? ovHex(0xE07A5F) : op ? ovHex(0xF0B45A) : ovHex(0x3A4A5C);
        const ovRgba bottom = clear ? ovHex(0xB5523A) : op ? ovHex(0xCF8A2E) : ovHex(0x29374A);
        const ovRgba ink = op ? kLabelDark : kLabel;
        calcKey(c, s, s.x(key.area.left), s.y(band.top), s.x(key.area.right), s.y(band.bottom), key.label,
                top, bottom, ink, key.label[1] == 0 ? 30 : 24);
    }
    const L::Area& close = L::closeArea;
    calcKey(c, s, s.x(close.left), s.y(close.top), s.x(close.right), s.y(close.bottom), "Close",
            ovHex(0x5C6B7C), ovHex(0x3E4A58), kLabel, 24);
    out.check(c.write24(out.at("calculator.bmp")));
}
} // namespace

int ovMakeHomePictures(const std::filesystem::path& images, const ovPictureSize& size, const char* only) {
    Out out{images, size, only};
    if (out.wants("homeScreen.bmp"))
        makeHomeScreen(out);
    makePressed(out, ovHomeLayout::contactButton, "contactPress.bmp");
    makePressed(out, ovHomeLayout::messageButton, "msgPress.bmp");
    makePressed(out, ovHomeLayout::appointmentButton, "apptPress.bmp");
    makePressed(out, ovHomeLayout::taskButton, "taskPress.bmp");
    barButton(out, "HyperbarPlugin1.bmp", 0, false);
    barButton(out, "HyperbarPlugin2.bmp", 1, false);
    barButton(out, "HyperbarPlugin1Down.bmp", 0, true);
    barButton(out, "HyperbarPlugin2Down.bmp", 1, true);
    makeStatusPictures(out);
    if (out.wants("calculator.bmp"))
        makeCalculator(out);
    return out.failures;
}
