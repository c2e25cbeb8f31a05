#pragma once
// The look the keyboard, contact list and confirmation pictures share: a flat dark
// board, rounded keys with a soft shade, white labels.
#include "gfx/ovGeometry.h"
#include "ovPictureCanvas.h"
#include "ovPictureSize.h"

namespace ovPickerStyle {
// The board between the keys: one flat colour, so that a gap is easy to tell from a key.
inline const ovRgba board = ovHex(0x111820);
inline const ovRgba keyTop = ovHex(0x3E5166);
inline const ovRgba keyBottom = ovHex(0x2A394A);
inline const ovRgba actionTop = ovHex(0x5A92CC);
inline const ovRgba actionBottom = ovHex(0x3A6A9A);
inline const ovRgba okTop = ovHex(0xFFD98A);
inline const ovRgba okBottom = ovHex(0xF0A93B);
inline const ovRgba field = ovHex(0x070B0F);
inline const ovRgba fieldRim = ovHex(0x3F6E9E);
inline const ovRgba label = ovHex(0xF4F7FA);
inline const ovRgba darkLabel = ovHex(0x1E2935);
inline const ovRgba quietLabel = ovHex(0xA9BACB);

// Space left between a key's touch area and its face, on every side, in the look's pixels.
constexpr float keyMargin = 5;

// A key face inside its touch area: rounded, shaded top to bottom, a faint highlight.
inline void drawKeyFace(ovPictureCanvas& c, const ovPictureSize& s, const ovRect& area, const ovRgba& top,
                        const ovRgba& bottom, float lookRadius = 10.0f) {
    const float margin = s.d(keyMargin);
    const float radius = s.d(lookRadius);
    const float x0 = static_cast<float>(area.left) + margin;
    const float y0 = static_cast<float>(area.top) + margin;
    const float x1 = static_cast<float>(area.right) - margin;
    const float y1 = static_cast<float>(area.bottom) - margin;
    c.roundedRectGradient(x0, y0, x1, y1, radius, top, bottom);
    c.line(x0 + radius, y0 + 1.5f, x1 - radius, y0 + 1.5f, 1.2f, ovHex(0xFFFFFF, 0.18f));
}

// A dark text field with a thin coloured rim, where the program writes its texts.
inline void drawField(ovPictureCanvas& c, const ovPictureSize& s, const ovRect& area) {
    const float r = s.d(8.0f);
    const float rim = std::max(1.0f, s.d(2.0f));
    c.roundedRect(area.left + 1.0f, area.top + 1.0f, area.right - 1.0f, area.bottom - 1.0f, r, fieldRim);
    c.roundedRect(area.left + 1.0f + rim, area.top + 1.0f + rim, area.right - 1.0f - rim,
                  area.bottom - 1.0f - rim, r - rim, field);
}
} // namespace ovPickerStyle
