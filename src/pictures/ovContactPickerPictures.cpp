// The contact list's background: six row plates exactly on the row bands the picker
// hit-tests, scroll buttons, the back button and the panel for the range and count.
#include "ovContactPickerPictures.h"

#include "ovPickerPictureStyle.h"
#include "ovPictureLabel.h"
#include "pickers/ovContactPickerLayout.h"

#include <cstdio>

namespace {
using namespace ovPickerStyle;

inline const ovRgba rowTop = ovHex(0x2C3C4E);
inline const ovRgba rowBottom = ovHex(0x223040);
inline const ovRgba panel = ovHex(0x1B2633);

ovRect design(const ovPictureSize& s, const ovFracRect& f) {
    return ovContactPickerLayout::pixels(f, s.width, s.height);
}

// A triangle pointing up (dir -1) or down (dir 1), centred on (cx, cy).
void drawArrow(ovPictureCanvas& c, float cx, float cy, float size, float thickness, int dir,
               const ovRgba& colour) {
    const float tipY = cy + dir * size * 0.5f;
    const float baseY = cy - dir * size * 0.5f;
    for (float t = 0.0f; t <= 1.0f; t += 0.02f) {
        const float y = baseY + (tipY - baseY) * t;
        const float half = size * 0.6f * (1.0f - t);
        c.line(cx - half, y, cx + half, y, thickness, colour);
    }
}
} // namespace

int ovMakeContactPickerPictures(const std::string& imagesFolder, const ovPictureSize& s) {
    using namespace ovContactPickerLayout;
    std::string error;
    std::unique_ptr<ovFont> font = ovOpenPictureFont(true, s.em(26), error);
    if (!font) {
        std::fprintf(stderr, "ov_picturegen: contact list labels: %s\n", error.c_str());
        return 1;
    }
    ovPictureCanvas c(s.width, s.height);
    c.fill(board);
    drawField(c, s, design(s, searchBox));

    for (int i = 0; i < rows; ++i)
        drawKeyFace(c, s, rowRect(i, s.width, s.height), rowTop, rowBottom, 8.0f);

    const ovRect up = design(s, scrollUp);
    drawKeyFace(c, s, up, actionTop, actionBottom);
    drawArrow(c, (up.left + up.right) * 0.5f, (up.top + up.bottom) * 0.5f, up.width() * 0.42f, s.d(2.0f), -1,
              label);
    const ovRect down = design(s, scrollDown);
    drawKeyFace(c, s, down, actionTop, actionBottom);
    drawArrow(c, (down.left + down.right) * 0.5f, (down.top + down.bottom) * 0.5f, down.width() * 0.42f,
              s.d(2.0f), 1, label);

    const ovRect backKey = design(s, back);
    drawKeyFace(c, s, backKey, actionTop, actionBottom);
    ovDrawLabel(c, *font, u"Back", (backKey.left + backKey.right) * 0.5f,
                (backKey.top + backKey.bottom) * 0.5f, label);

    // The range sits over the count, split by a thin rule.
    const ovRect shown = design(s, range);
    const ovRect total = design(s, count);
    c.roundedRect(shown.left - s.d(2.0f), shown.top, shown.right + s.d(2.0f), total.bottom, s.d(10.0f),
                  panel);
    c.line(shown.left + s.d(10.0f), total.top, shown.right - s.d(10.0f), total.top, s.d(1.5f),
           ovHex(0x3F6E9E));

    const ovResult<> why = c.write24(imagesFolder + "/contactPicker.bmp");
    if (!why) {
        std::fprintf(stderr, "ov_picturegen: %s\n", why.reason().c_str());
        return 1;
    }
    return 0;
}
