// Makes every picture the program shows and its click sound, at the build, into
// OUT/images/wm5 and OUT/sounds. The button pictures are sized from the layout
// fractions the program hit-tests with, on the large (480 x 536) screen rectangle,
// and are stretched down for smaller screens.
#include "ovContactPickerPictures.h"
#include "ovDatePickerPictures.h"
#include "ovHomePictures.h"
#include "ovInfoDisplayPictures.h"
#include "ovKeyboardPictures.h"
#include "ovPictureCanvas.h"
#include "ovTimePickerPictures.h"
#include "ovWavWriter.h"
#include "shell/ovNodeLayout.h"
#include "shell/ovScreenGeometry.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {
constexpr int kDesignWidth = 480;
constexpr int kDesignHeight = 536;

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
    int failures = 0;
    void check(const ovResult<>& written) {
        if (!written) {
            std::fprintf(stderr, "ov_picturegen: %s\n", written.reason().c_str());
            ++failures;
        }
    }
    std::string at(const char* name) const { return (images / name).string(); }
};

void makeBackground(Writer& w) {
    ovPictureCanvas c(kDesignWidth, kDesignHeight);
    c.verticalGradient(kBackgroundTop, kBackgroundBottom);
    // A faint glow behind the upper middle, where the staircase of buttons grows.
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            const float dx = (x - c.width() * 0.45f) / c.width();
            const float dy = (y - c.height() * 0.35f) / c.height();
            const float glow = 0.10f * std::max(0.0f, 1.0f - 2.2f * (dx * dx + dy * dy) * 4.0f);
            c.blend(x, y, ovHex(0x5C86B0), glow);
        }
    w.check(c.write24(w.at("background.bmp")));
}

// A node button: a rounded, softly shaded plate with a thin dark rim.
void makeButton(Writer& w, const char* name, const ovRgba& top, const ovRgba& bottom) {
    const int width = ovFracOf(kDesignWidth, ovNodeLayout::wideWidth);
    const int height = ovFracOf(kDesignHeight, ovNodeLayout::buttonHeight);
    ovPictureCanvas c(width, height);
    const float r = height * 0.32f;
    c.roundedRect(0.5f, 0.5f, width - 0.5f, height - 0.5f, r, kBorder);
    c.roundedRectGradient(1.5f, 1.5f, width - 1.5f, height - 1.5f, r - 1, top, bottom);
    // A highlight along the upper edge.
    c.line(r, 3.0f, width - r, 3.0f, 1.2f, ovHex(0xFFFFFF, 0.45f));
    w.check(c.write32(w.at(name)));
}

// The back strip over a button's left edge: a tab with a chevron pointing back.
void makeBackStrip(Writer& w, const char* name, const ovRgba& colour) {
    const int width = ovFracOf(kDesignWidth, ovNodeLayout::backStripLeft) +
                      ovFracOf(kDesignWidth, ovNodeLayout::backStripRight);
    const int height = ovFracOf(kDesignHeight, ovNodeLayout::buttonHeight) -
                       2 * ovFracOf(kDesignHeight, ovNodeLayout::backStripInset);
    ovPictureCanvas c(width, height);
    const float r = width * 0.35f;
    c.roundedRect(0.5f, 0.5f, width - 0.5f, height - 0.5f, r, kBorder);
    c.roundedRectGradient(1.5f, 1.5f, width - 1.5f, height - 1.5f, r - 1,
                          ovMix(colour, ovHex(0xFFFFFF), 0.2f), colour);
    const float cx = width * 0.46f, cy = height * 0.5f, size = height * 0.2f;
    c.line(cx + size * 0.5f, cy - size, cx - size * 0.5f, cy, 2.6f, kChevron);
    c.line(cx - size * 0.5f, cy, cx + size * 0.5f, cy + size, 2.6f, kChevron);
    w.check(c.write32(w.at(name)));
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: ov_picturegen OUTPUT_FOLDER\n");
        return 2;
    }
    const fs::path out = argv[1];
    Writer w{out / "images" / "wm5"};
    std::error_code ec;
    fs::create_directories(w.images, ec);
    fs::create_directories(out / "sounds", ec);
    if (ec) {
        std::fprintf(stderr, "ov_picturegen: cannot create folders under %s: %s\n", argv[1],
                     ec.message().c_str());
        return 1;
    }

    makeBackground(w);
    makeButton(w, "nodeStart.bmp", kButtonTop, kButtonBottom);
    makeButton(w, "nodeFocus.bmp", kFocusTop, kFocusBottom);
    makeBackStrip(w, "backButton.bmp", kStrip);
    makeBackStrip(w, "backButtonHover.bmp", kStripHover);
    w.failures += ovMakeKeyboardPictures(w.images.string());
    w.failures += ovMakeContactPickerPictures(w.images.string());
    w.failures += ovMakeInfoDisplayPictures(w.images.string());
    w.failures += ovMakeTimePickerPictures(w.images.string());
    w.failures += ovMakeDatePickerPictures(w.images.string());
    w.failures += ovMakeHomePictures(w.images);

    constexpr int kSampleRate = 22050;
    w.check(ovWriteWav((out / "sounds" / "open.wav").string(), ovMakeClick(kSampleRate), kSampleRate));
    return w.failures == 0 ? 0 : 1;
}
