// Every picture the program shows, drawn for one screen rectangle: the application's
// background and the navigator's buttons here, the screens' pictures by their own
// files. Button and key pictures are sized from the same layout fractions the program
// hit-tests with, so a picture always matches its touch areas and is drawn at the
// size it is shown.
#include "pictures/ovPictureSet.h"

#include "ovContactPickerPictures.h"
#include "ovDatePickerPictures.h"
#include "ovHomePictures.h"
#include "ovInfoDisplayPictures.h"
#include "ovKeyboardPictures.h"
#include "ovPictureCanvas.h"
#include "ovPictureChoice.h"
#include "ovTimePickerPictures.h"
#include "shell/ovNodeLayout.h"
#include "shell/ovScreenGeometry.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

namespace fs = std::filesystem;

namespace {
// The theme: a calm dark blue-grey, light buttons with dark labels, amber focus
// (web-order hex, as ovHex reads it).
const ovRgba kBackgroundTop = ovHex(0x1E2935);
const ovRgba kBackgroundBottom = ovHex(0x0D1218);
const ovRgba kButtonTop = ovHex(0xE4EAF1);
const ovRgba kButtonBottom = ovHex(0xB9C6D6);
const ovRgba kFocusTop = ovHex(0xFFD98A);
const ovRgba kFocusBottom = ovHex(0xF0A93B);
const ovRgba kBorder = ovHex(0x0A0E13, 0.55f);
const ovRgba kStrip = ovHex(0x3F6E9E);
const ovRgba kStripHover = ovHex(0x7FB2E5);
const ovRgba kChevron = ovHex(0xFFFFFF);

struct Writer {
    fs::path images;
    ovPictureSize s;
    const char* only = nullptr;
    int failures = 0;
    void check(const ovResult<>& written) {
        if (!written) {
            std::fprintf(stderr, "orvida: %s\n", written.reason().c_str());
            ++failures;
        }
    }
    std::string at(const char* name) const { return (images / name).string(); }
};

void makeBackground(Writer& w) {
    ovPictureCanvas c(w.s.width, w.s.height);
    c.verticalGradient(kBackgroundTop, kBackgroundBottom);
    // A faint glow behind the upper middle, where the staircase of buttons grows. It
    // is nothing where 8.8 (dx² + dy²) reaches 1, so only the box around that ellipse
    // (|dx|, |dy| < 0.338, with a pixel to spare) is walked.
    const auto span = [](float centre, int extent) {
        return std::pair{std::max(0, static_cast<int>((centre - 0.338f) * extent) - 1),
                         std::min(extent, static_cast<int>((centre + 0.338f) * extent) + 2)};
    };
    const auto [left, right] = span(0.45f, c.width());
    const auto [top, bottom] = span(0.35f, c.height());
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            const float dx = (x - c.width() * 0.45f) / c.width();
            const float dy = (y - c.height() * 0.35f) / c.height();
            const float glow = 0.10f * std::max(0.0f, 1.0f - 2.2f * (dx * dx + dy * dy) * 4.0f);
            c.blend(x, y, ovHex(0x5C86B0), glow);
        }
    w.check(c.write24(w.at("background.bmp")));
}

// A node button: a rounded, softly shaded plate with a thin dark rim.
void makeButton(Writer& w, const char* name, const ovRgba& top, const ovRgba& bottom) {
    const int width = ovFracOf(w.s.width, ovNodeLayout::wideWidth);
    const int height = ovFracOf(w.s.height, ovNodeLayout::buttonHeight);
    ovPictureCanvas c(width, height);
    const float r = std::min(height * 0.32f, w.s.d(22.0f));
    c.roundedRect(0.5f, 0.5f, width - 0.5f, height - 0.5f, r, kBorder);
    c.roundedRectGradient(1.5f, 1.5f, width - 1.5f, height - 1.5f, r - 1, top, bottom);
    // A highlight along the upper edge.
    c.line(r, w.s.d(3.0f), width - r, w.s.d(3.0f), w.s.d(1.2f), ovHex(0xFFFFFF, 0.45f));
    w.check(c.write32(w.at(name)));
}

// The back strip over a button's left edge: a tab with a chevron pointing back.
void makeBackStrip(Writer& w, const char* name, const ovRgba& colour) {
    const int width =
        ovFracOf(w.s.width, ovNodeLayout::backStripLeft) + ovFracOf(w.s.width, ovNodeLayout::backStripRight);
    const int height = ovFracOf(w.s.height, ovNodeLayout::buttonHeight) -
                       2 * ovFracOf(w.s.height, ovNodeLayout::backStripInset);
    ovPictureCanvas c(width, height);
    const float r = width * 0.35f;
    c.roundedRect(0.5f, 0.5f, width - 0.5f, height - 0.5f, r, kBorder);
    c.roundedRectGradient(1.5f, 1.5f, width - 1.5f, height - 1.5f, r - 1,
                          ovMix(colour, ovHex(0xFFFFFF), 0.2f), colour);
    // The chevron keeps its shape: sized from the look, no wider than the strip allows.
    const float cx = width * 0.46f, cy = height * 0.5f;
    const float size = std::min(w.s.d(18.0f), width * 0.5f);
    c.line(cx + size * 0.5f, cy - size, cx - size * 0.5f, cy, w.s.d(2.6f), kChevron);
    c.line(cx - size * 0.5f, cy, cx + size * 0.5f, cy + size, w.s.d(2.6f), kChevron);
    w.check(c.write32(w.at(name)));
}
} // namespace

const char* const ovPictureNames[ovPictureCount] = {
    "background.bmp",
    "nodeStart.bmp",
    "nodeFocus.bmp",
    "backButton.bmp",
    "backButtonHover.bmp",
    "inputkb.bmp",
    "inputnum.bmp",
    "contactPicker.bmp",
    "infoDisplay.bmp",
    "timepicker.bmp",
    "timeDuration.bmp",
    "selectionButton.bmp",
    "endTimeIcon.bmp",
    "reminderIcon.bmp",
    "ovnextButtonHover.bmp",
    "ovbackButtonHover.bmp",
    "calendar.bmp",
    "calendarBack.bmp",
    "homeScreen.bmp",
    "contactPress.bmp",
    "msgPress.bmp",
    "apptPress.bmp",
    "taskPress.bmp",
    "HyperbarPlugin1.bmp",
    "HyperbarPlugin2.bmp",
    "HyperbarPlugin1Down.bmp",
    "HyperbarPlugin2Down.bmp",
    "power.bmp",
    "memory.bmp",
    "sdcard.bmp",
    "meterEmpty.bmp",
    "meterFull.bmp",
    "calculator.bmp",
};

namespace {
// Draws every picture, or only the one named.
int draw(const fs::path& images, const ovPictureSize& size, const char* only) {
    Writer w{images, size, only};
    if (ovPictureWanted(only, "background.bmp"))
        makeBackground(w);
    if (ovPictureWanted(only, "nodeStart.bmp"))
        makeButton(w, "nodeStart.bmp", kButtonTop, kButtonBottom);
    if (ovPictureWanted(only, "nodeFocus.bmp"))
        makeButton(w, "nodeFocus.bmp", kFocusTop, kFocusBottom);
    if (ovPictureWanted(only, "backButton.bmp"))
        makeBackStrip(w, "backButton.bmp", kStrip);
    if (ovPictureWanted(only, "backButtonHover.bmp"))
        makeBackStrip(w, "backButtonHover.bmp", kStripHover);
    const std::string folder = images.string();
    w.failures += ovMakeKeyboardPictures(folder, size, only);
    if (ovPictureWanted(only, "contactPicker.bmp"))
        w.failures += ovMakeContactPickerPictures(folder, size);
    if (ovPictureWanted(only, "infoDisplay.bmp"))
        w.failures += ovMakeInfoDisplayPictures(folder, size);
    w.failures += ovMakeTimePickerPictures(folder, size, only);
    w.failures += ovMakeDatePickerPictures(folder, size, only);
    w.failures += ovMakeHomePictures(images, size, only);
    return w.failures;
}
} // namespace

int ovDrawPictures(const fs::path& images, const ovPictureSize& size) {
    const ovPictureCanvas::Reuse reuse;
    return draw(images, size, nullptr);
}

int ovDrawPicture(const fs::path& images, const ovPictureSize& size, const std::string& name) {
    if (std::find(std::begin(ovPictureNames), std::end(ovPictureNames), name) == std::end(ovPictureNames)) {
        std::fprintf(stderr, "orvida: there is no picture \"%s\" to draw\n", name.c_str());
        return 1;
    }
    return draw(images, size, name.c_str());
}
