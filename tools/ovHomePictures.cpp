// The home screen's background and pressed buttons, the hyper bar's buttons, the
// device status icons and meters, and the calculator's keypad. Every area comes from
// the layout tables the screens hit-test with, on the large (480 x 536) screen
// rectangle; the program stretches the pictures to smaller screens.
#include "ovHomePictures.h"

#include "gfx/ovCanvas.h"
#include "gfx/ovFont.h"
#include "home/ovCalculatorLayout.h"
#include "home/ovHomeLayout.h"
#include "home/ovHyperBarLayout.h"
#include "ovPictureCanvas.h"
#include "shell/ovFontSet.h"
#include "shell/ovScreenGeometry.h"
#include "system/ovUtf.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {
constexpr int kW = 480;
constexpr int kH = 536;

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
    int failures = 0;
    void check(const ovResult<>& written) {
        if (!written) {
            std::fprintf(stderr, "ov_picturegen: %s\n", written.reason().c_str());
            ++failures;
        }
    }
    std::string at(const char* name) const { return (images / name).string(); }
};

float px(float f) {
    return static_cast<float>(ovFracOf(kW, f));
}
float py(float f) {
    return static_cast<float>(ovFracOf(kH, f));
}

// Text through the program's own FreeType canvas: drawn white on black, then used as
// coverage for the colour on the picture.
const ovFont* font(int pixels, bool bold) {
    static std::map<std::pair<int, bool>, std::unique_ptr<ovFont>> fonts;
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

void text(ovPictureCanvas& c, const char* utf8, float x0, float y0, float x1, float y1, int pixels, bool bold,
          const ovRgba& colour, unsigned format = ovTextCenter | ovTextVCenter) {
    const ovFont* f = font(pixels, bold);
    if (f == nullptr)
        return;
    const ovRect rect{static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1), static_cast<int>(y1)};
    ovFramebuffer mask(c.width(), c.height(), 0);
    ovCanvas canvas(mask);
    canvas.selectFont(f);
    canvas.setBackgroundMode(ovTransparent);
    canvas.setTextColor(0xFFFFFF);
    canvas.drawText(ovToUtf16(utf8), rect, format);
    for (int y = std::max(0, rect.top); y < std::min(c.height(), rect.bottom); ++y)
        for (int x = std::max(0, rect.left); x < std::min(c.width(), rect.right); ++x)
            if (const ovColor v = mask.pixel(x, y); (v & 0xFF) != 0)
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
void wizardButton(ovPictureCanvas& c, int button, float x0, float y0, float x1, float y1, bool pressed) {
    const ovRgba top = pressed ? kPressedTop : kPlateTop;
    const ovRgba bottom = pressed ? kPressedBottom : kPlateBottom;
    const ovRgba ink = pressed ? kLabelDark : kLabel;
    plate(c, x0 + 3, y0 + 3, x1 - 3, y1 - 3, 14.0f, top, bottom);
    const float h = y1 - y0;
    const float s = h * 0.5f;
    const float cx = (x0 + x1) * 0.5f;
    const float cy = y0 + h * 0.4f;
    switch (button) {
    case ovHomeLayout::contactButton:
        contactIcon(c, cx, cy, s, ink);
        break;
    case ovHomeLayout::messageButton:
        messageIcon(c, cx, cy, s, ink);
        break;
    case ovHomeLayout::appointmentButton:
        appointmentIcon(c, cx, cy, s, ink, top);
        break;
    default:
        taskIcon(c, cx, cy, s, ink);
        break;
    }
    text(c, kButtonNames[button], x0, y0 + h * 0.72f, x1, y1 - 6, 22, true, ink);
}

void makeHomeScreen(Out& out) {
    namespace L = ovHomeLayout;
    ovPictureCanvas c(kW, kH);
    c.verticalGradient(kBackTop, kBackBottom);
    for (int i = 0; i < 4; ++i) {
        const L::Area& a = L::buttons[i].highlight;
        wizardButton(c, i, px(a.left), py(a.top), px(a.right), py(a.bottom), false);
    }
    // A quiet well behind the next appointment and the clock, and the time line's scale.
    c.roundedRect(px(0.02f), py(0.385f), px(0.765f), py(0.545f), 10.0f, kWell);
    c.roundedRect(px(L::clockText.left), py(L::clockText.top) - 2, px(L::clockText.right),
                  py(L::clockText.bottom) + 2, 8.0f, kWell);
    const float lineLeft = px(L::timeLine.left), lineRight = px(L::timeLine.right);
    const float below = py(L::timeLine.bottom);
    for (int hour = 0; hour <= 48; hour += 6) {
        const float x = lineLeft + (lineRight - lineLeft) * hour / 48.0f;
        const float length = hour == 24 ? 12.0f : 6.0f;
        c.line(x, below + 2, x, below + 2 + length, hour == 24 ? 2.5f : 1.5f, hour == 24 ? kAccent : kLabel);
    }
    const float labelTop = below + 14, labelBottom = below + 36;
    text(c, "-24 h", lineLeft + 4, labelTop, lineLeft + 84, labelBottom, 18, true, kLabel,
         ovTextLeft | ovTextVCenter);
    text(c, "now", (lineLeft + lineRight) / 2 - 40, labelTop, (lineLeft + lineRight) / 2 + 40, labelBottom,
         16, true, kAccent);
    text(c, "+24 h", lineRight - 84, labelTop, lineRight - 4, labelBottom, 18, true, kLabel,
         ovTextRight | ovTextVCenter);
    out.check(c.write24(out.at("homeScreen.bmp")));
}

void makePressed(Out& out, int button, const char* name) {
    const ovHomeLayout::Area& a = ovHomeLayout::buttons[button].highlight;
    const int w = ovFracOf(kW, a.right) - ovFracOf(kW, a.left);
    const int h = ovFracOf(kH, a.bottom) - ovFracOf(kH, a.top);
    ovPictureCanvas c(w, h);
    wizardButton(c, button, 0, 0, static_cast<float>(w), static_cast<float>(h), true);
    out.check(c.write24(out.at(name)));
}

// A tab standing on the bar's edge, rounded at the top only.
void barButton(Out& out, const char* name, int which, bool down) {
    using namespace ovHyperBarLayout;
    const int w = ovFracOf(kW, buttonWidth);
    const int h = ovFracOf(kH, buttonHeight);
    ovPictureCanvas c(w, h);
    const float r = 12.0f;
    const ovRgba top = down ? kPressedTop : ovHex(0x4A6A8C);
    const ovRgba bottom = down ? kPressedBottom : ovHex(0x2C4158);
    const ovRgba ink = down ? kLabelDark : kLabel;
    c.roundedRect(1, 1, w - 1.0f, h + r, r, kRim);
    c.roundedRectGradient(2.5f, 2.5f, w - 2.5f, h + r, r - 1, top, bottom);
    const float cy = h * 0.5f + 1;
    const float ix = 36;
    if (which == 0) {
        // A gauge: a battery with a charge level.
        c.roundedRect(ix - 18, cy - 10, ix + 14, cy + 10, 3, ink);
        c.roundedRect(ix - 15, cy - 7, ix + 11, cy + 7, 2, top);
        c.roundedRect(ix - 13, cy - 5, ix + 2, cy + 5, 1, ink);
        c.roundedRect(ix + 14, cy - 4, ix + 18, cy + 4, 1, ink);
        text(c, "Status", 62, 2, w - 8.0f, static_cast<float>(h), 22, true, ink, ovTextLeft | ovTextVCenter);
    } else {
        c.roundedRect(ix - 13, cy - 17, ix + 13, cy + 17, 4, ink);
        c.roundedRect(ix - 9, cy - 13, ix + 9, cy - 5, 1, top);
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col)
                c.roundedRect(ix - 9 + col * 7, cy - 1 + row * 5.5f, ix - 5 + col * 7, cy + 2.5f + row * 5.5f,
                              0.5f, top);
        text(c, "Calculator", 62, 2, w - 8.0f, static_cast<float>(h), 22, true, ink,
             ovTextLeft | ovTextVCenter);
    }
    out.check(c.write24(out.at(name)));
}

void makeStatusPictures(Out& out) {
    using namespace ovHyperBarLayout;
    const int iw = ovFracOf(kW, iconWidth), ih = ovFracOf(kH, iconHeight);
    const ovRgba ink = ovHex(0x2B3A4C);
    const ovRgba light = ovHex(0xE1E1FF); // the panel's colour
    {
        ovPictureCanvas c(iw, ih);
        const float cx = iw * 0.5f, cy = ih * 0.5f;
        c.roundedRect(cx - 26, cy - 14, cx + 22, cy + 14, 5, ink);
        c.roundedRect(cx - 22, cy - 10, cx + 18, cy + 10, 3, light);
        c.roundedRect(cx + 22, cy - 6, cx + 28, cy + 6, 2, ink);
        c.line(cx - 2, cy - 8, cx - 9, cy + 1, 3.0f, ovHex(0xE0A020));
        c.line(cx - 9, cy + 1, cx + 1, cy + 1, 3.0f, ovHex(0xE0A020));
        c.line(cx + 1, cy + 1, cx - 6, cy + 9, 3.0f, ovHex(0xE0A020));
        out.check(c.write24(out.at("power.bmp")));
    }
    {
        ovPictureCanvas c(iw, ih);
        const float cx = iw * 0.5f, cy = ih * 0.5f;
        for (int i = 0; i < 5; ++i) {
            const float x = cx - 16 + i * 8;
            c.line(x, cy - 20, x, cy + 20, 2.5f, ink);
        }
        c.roundedRect(cx - 22, cy - 14, cx + 22, cy + 14, 4, ink);
        c.roundedRect(cx - 12, cy - 6, cx + 12, cy + 6, 2, ovHex(0x5F7A96));
        out.check(c.write24(out.at("memory.bmp")));
    }
    {
        ovPictureCanvas c(iw, ih);
        const float cx = iw * 0.5f, cy = ih * 0.5f;
        // A card with its corner cut off.
        c.roundedRect(cx - 16, cy - 12, cx + 16, cy + 22, 4, ink);
        c.roundedRect(cx - 6, cy - 22, cx + 16, cy - 8, 4, ink);
        c.line(cx - 15, cy - 11, cx - 5, cy - 21, 3.0f, ink);
        for (int i = 0; i < 3; ++i)
            c.roundedRect(cx - 3 + i * 7, cy - 19, cx - 5 + i * 7, cy - 11, 1, ovHex(0xD9B44A));
        out.check(c.write24(out.at("sdcard.bmp")));
    }
    const int mw = ovFracOf(kW, meterWidth), mh = ovFracOf(kH, meterHeight);
    {
        ovPictureCanvas c(mw, mh);
        c.roundedRect(0.5f, 0.5f, mw - 0.5f, mh - 0.5f, mh * 0.45f, ovHex(0x6B7C8F));
        c.roundedRectGradient(2, 2, mw - 2.0f, mh - 2.0f, mh * 0.4f, ovHex(0xC9D3DE), ovHex(0xF3F6F9));
        out.check(c.write24(out.at("meterEmpty.bmp")));
    }
    {
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

void calcKey(ovPictureCanvas& c, float x0, float y0, float x1, float y1, const char* label, const ovRgba& top,
             const ovRgba& bottom, const ovRgba& ink, int size) {
    plate(c, x0 + 3, y0 + 3, x1 - 3, y1 - 3, 10.0f, top, bottom);
    text(c, label, x0, y0, x1, y1, size, true, ink);
}

void makeCalculator(Out& out) {
    namespace L = ovCalculatorLayout;
    ovPictureCanvas c(kW, kH);
    c.verticalGradient(ovHex(0x18212B), ovHex(0x0B0F14));
    c.roundedRect(px(L::display.left), py(L::display.top), px(L::display.right), py(L::display.bottom), 8,
                  ovHex(0x2E4A3E));
    c.roundedRect(px(L::display.left) + 2, py(L::display.top) + 2, px(L::display.right) - 2,
                  py(L::display.bottom) - 2, 7, ovHex(0x1C2E27));
    // Digit columns split the row in whole pixels, exactly as the hit test does.
    for (const L::DigitRow& row : L::digitRows) {
        const int left = ovFracOf(kW, row.area.left), right = ovFracOf(kW, row.area.right);
        const int step = (right - left) / L::rowColumns;
        for (int i = 0; i < L::rowColumns; ++i) {
            char label[2] = {static_cast<char>(row.captions[i][0]), 0};
            calcKey(c, static_cast<float>(left + i * step), py(row.area.top),
                    static_cast<float>(left + (i + 1) * step), py(row.area.bottom), label, ovHex(0x4A5E74),
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
        calcKey(c, px(key.area.left), py(band.top), px(key.area.right), py(band.bottom), key.label, top,
                bottom, ink, key.label[1] == 0 ? 30 : 24);
    }
    const L::Area& close = L::closeArea;
    calcKey(c, px(close.left), py(close.top), px(close.right), py(close.bottom), "Close", ovHex(0x5C6B7C),
            ovHex(0x3E4A58), kLabel, 24);
    out.check(c.write24(out.at("calculator.bmp")));
}
} // namespace

int ovMakeHomePictures(const std::filesystem::path& images) {
    Out out{images};
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
    makeCalculator(out);
    return out.failures;
}
