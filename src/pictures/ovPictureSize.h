#pragma once
// The screen rectangle a set of pictures is drawn for. Areas come from the layout
// fractions at this size; what the looks give in pixels (margins, radii, line widths,
// label sizes) is written for the 480 x 536 rectangle and scaled by one factor, the
// smaller of the two ratios, so that letters and icons keep their proportions and still
// fit at every aspect ratio.
#include "shell/ovScreenGeometry.h"

#include <algorithm>
#include <cmath>

struct ovPictureSize {
    static constexpr int lookWidth = 480;
    static constexpr int lookHeight = 536;

    int width = lookWidth;
    int height = lookHeight;

    float unit() const {
        return std::min(static_cast<float>(width) / lookWidth, static_cast<float>(height) / lookHeight);
    }
    // Pixels at this size for a length written for the 480 x 536 look.
    float d(float lookPixels) const { return lookPixels * unit(); }
    // A label's em height, never too small to read.
    int em(int lookPixels) const { return std::max(7, static_cast<int>(std::lround(lookPixels * unit()))); }
    // A fraction of the rectangle's width or height, as the layout tables hit-test it.
    float x(float fraction) const { return static_cast<float>(ovFracOf(width, fraction)); }
    float y(float fraction) const { return static_cast<float>(ovFracOf(height, fraction)); }
};
