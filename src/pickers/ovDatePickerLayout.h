#pragma once
// The date picker's screen: a header row of weekday names, a grid of six weeks with
// Monday first, and a month bar below it. The picker lays out and hit-tests with these
// functions and the picture generator sizes the month bar and back button with them.
#include "shell/ovScreenGeometry.h"

namespace ovDatePickerLayout {
constexpr int columns = 7;
constexpr int rows = 6;
constexpr int cellCount = columns * rows;
// Height of the weekday header; the grid starts below it.
constexpr float headerHeight = 0.0625f;
// The month bar (with the header) is what the grid leaves of the height.
constexpr float reservedHeight = 0.1875f;
// The day bar inside a cell: inset from the sides and the bottom, and its height.
constexpr float barInsetX = 0.01f;
constexpr float barInsetY = 0.01f;
constexpr float barHeight = 0.03f;
// An appointment block's inset from the bar's top and bottom.
constexpr float blockInsetY = 0.00625f;
// Width of the previous- and next-month touch areas at the ends of the month bar.
constexpr float arrowWidth = 0.33f;

struct Grid {
    int cellWidth = 0;
    int cellHeight = 0;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int screenRight = 0;
    int screenBottom = 0;

    ovRect cell(int row, int column) const {
        return {left + column * cellWidth, top + row * cellHeight, left + (column + 1) * cellWidth,
                top + (row + 1) * cellHeight};
    }
    ovRect header(int column) const {
        return {left + column * cellWidth, top - ovFracOf(screenBottom, headerHeight),
                left + (column + 1) * cellWidth, top};
    }
    ovRect dayBar(const ovRect& c) const {
        const int insetY = ovFracOf(screenBottom, barInsetY);
        return {c.left + ovFracOf(screenRight, barInsetX),
                c.bottom - insetY - ovFracOf(screenBottom, barHeight),
                c.right - ovFracOf(screenRight, barInsetX), c.bottom - insetY};
    }
    ovRect monthBar() const { return {left, bottom + 1, screenRight, screenBottom}; }
    ovRect backButton() const { return {right - cellWidth, bottom - cellHeight, right, bottom}; }
    ovRect previousArea() const {
        return {left, bottom, left + ovFracOf(screenRight, arrowWidth), screenBottom};
    }
    ovRect nextArea() const {
        return {right - ovFracOf(screenRight, arrowWidth), bottom, screenRight, screenBottom};
    }
};

// The grid on a screen rectangle with its top-left corner at (0, 0).
inline Grid grid(int screenRight, int screenBottom) {
    Grid g;
    g.screenRight = screenRight;
    g.screenBottom = screenBottom;
    g.cellWidth = screenRight / columns;
    g.cellHeight = (screenBottom - ovFracOf(screenBottom, reservedHeight)) / rows;
    g.left = 0;
    g.top = ovFracOf(screenBottom, headerHeight);
    g.right = g.left + columns * g.cellWidth;
    g.bottom = ovFracOf(screenBottom, headerHeight) + rows * g.cellHeight;
    return g;
}
} // namespace ovDatePickerLayout
