#pragma once
// The contact picker's areas as fractions of the screen rectangle (left, top, right,
// bottom). The picker hit-tests and draws with these and the picture generator draws
// its list rows and buttons from them, so that every face lies under its touch area.
#include "gfx/ovGeometry.h"
#include "pickers/ovFracRect.h"
#include "shell/ovScreenGeometry.h"

namespace ovContactPickerLayout {
constexpr int rows = 6;

constexpr ovFracRect searchBox{0.02f, 0.02f, 0.7f, 0.11f};
// Divided into `rows` equal bands for the row taps.
constexpr ovFracRect listArea{0.017f, 0.157f, 0.767f, 0.967f};
constexpr ovFracRect scrollUp{0.779f, 0.149f, 0.995f, 0.332f};
constexpr ovFracRect scrollDown{0.779f, 0.799f, 0.995f, 0.981f};
constexpr ovFracRect back{0.767f, 0.019f, 0.995f, 0.117f};
constexpr ovFracRect range{0.8f, 0.404f, 0.958f, 0.56f};
constexpr ovFracRect count{0.8f, 0.56f, 0.958f, 0.716f};

// Where row i's text is drawn; the vertical fractions are worked out in single precision.
constexpr float rowTextLeft = 0.06f;
constexpr float rowTextRight = 0.7f;
constexpr float rowTextTop = 0.181f;
constexpr float rowTextBottom = 0.32f;
constexpr float rowPitch = 0.1315f;

inline ovRect pixels(const ovFracRect& f, int right, int bottom) {
    return {ovFracOf(right, f.left), ovFracOf(bottom, f.top), ovFracOf(right, f.right),
            ovFracOf(bottom, f.bottom)};
}
inline ovRect rowTextRect(int i, int right, int bottom) {
    const float step = rowPitch * static_cast<float>(i);
    return {ovFracOf(right, rowTextLeft), ovFracOf(bottom, rowTextTop + step), ovFracOf(right, rowTextRight),
            ovFracOf(bottom, rowTextBottom + step)};
}
// The touch band of row i, as rowAt divides the list area: bands of (bottom - top) / rows
// pixels sharing their boundary lines.
inline ovRect rowRect(int i, int right, int bottom) {
    const ovRect list = pixels(listArea, right, bottom);
    const int h = list.height() / rows;
    return {list.left, list.top + i * h, list.right, list.top + (i + 1) * h};
}
} // namespace ovContactPickerLayout
