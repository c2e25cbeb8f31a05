#pragma once
// The time picker's screen as fractions of the screen rectangle. The picker hit-tests
// with these rectangles and the picture generator draws its boards from them, so a
// picture's items, toggles and buttons stand exactly where the touches land.
#include "pickers/ovFracRect.h"
#include "shell/ovScreenGeometry.h"

namespace ovTimePickerLayout {
constexpr ovFracRect iconRect{0.791f, 0.107f, 0.933f, 0.263f};
constexpr ovFracRect leftListRect{0.02f, 0.02f, 0.36f, 0.98f};
constexpr ovFracRect middleListRect{0.4f, 0.02f, 0.74f, 0.98f};
constexpr ovFracRect backRect{0.75f, 0.761f, 0.983f, 0.973f};
constexpr ovFracRect nextRect{0.75f, 0.537f, 0.983f, 0.75f};
constexpr ovFracRect firstLeftItemRect{0.04f, 0.07f, 0.338f, 0.163f};
constexpr ovFracRect firstMiddleItemRect{0.4f, 0.07f, 0.692f, 0.163f};
constexpr ovFracRect unitPanelRect{0.748f, 0.132f, 0.979f, 0.459f};
constexpr ovFracRect hoursUnitRect{0.754f, 0.276f, 0.969f, 0.342f};
constexpr ovFracRect daysUnitRect{0.754f, 0.347f, 0.969f, 0.414f};
constexpr ovFracRect weeksUnitRect{0.754f, 0.419f, 0.969f, 0.484f};
// Where the step title of the time-of-day form is written.
constexpr ovFracRect labelRect{0.77f, 0.1f, 0.96f, 0.23f};

// Items follow each other down a list at this step.
constexpr float itemStep = 0.109f;
constexpr int leftItemCount = 8;
constexpr int middleItemCount = 6;
// The minute toggles below the middle list: top and bottom, between the first middle
// item's left and right edges.
constexpr float quarterTop = 0.725f;
constexpr float quarterBottom = 0.827f;
constexpr float halfTop = 0.841f;
constexpr float halfBottom = 0.945f;
constexpr int toggleCount = 2;
constexpr int unitCount = 3;

// The first item of each list shows this number, in each form.
constexpr int firstHourLeft = 8;
constexpr int firstHourMiddle = 16;
constexpr int firstNumberMiddle = 8;

inline ovRect resolve(const ovFracRect& f, int width, int height) {
    return {ovFracOf(width, f.left), ovFracOf(height, f.top), ovFracOf(width, f.right),
            ovFracOf(height, f.bottom)};
}
inline ovRect leftItem(int i, int width, int height) {
    return resolve(firstLeftItemRect, width, height).offset(0, i * ovFracOf(height, itemStep));
}
inline ovRect middleItem(int i, int width, int height) {
    return resolve(firstMiddleItemRect, width, height).offset(0, i * ovFracOf(height, itemStep));
}
// 0 the "15" toggle, 1 the "30" toggle.
inline ovRect toggle(int which, int width, int height) {
    const ovRect first = resolve(firstMiddleItemRect, width, height);
    return {first.left, ovFracOf(height, which == 0 ? quarterTop : halfTop), first.right,
            ovFracOf(height, which == 0 ? quarterBottom : halfBottom)};
}
// 0 hours, 1 days, 2 weeks.
inline ovRect unit(int which, int width, int height) {
    const ovFracRect& f = which == 0 ? hoursUnitRect : which == 1 ? daysUnitRect : weeksUnitRect;
    return resolve(f, width, height);
}
} // namespace ovTimePickerLayout
