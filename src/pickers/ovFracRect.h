#pragma once
// A rectangle as fractions of the screen rectangle (left, top, right, bottom), as the
// screens' layout tables give their areas; one definition for every table.
struct ovFracRect {
    float left = 0, top = 0, right = 0, bottom = 0;
};
