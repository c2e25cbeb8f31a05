#pragma once
// The account picker shows the contact picker's list screen ("contactPicker.bmp"), so
// it draws and hit-tests with that screen's table under the names it uses.
#include "pickers/ovContactPickerLayout.h"

namespace ovMsgAcctPickerLayout {
using Frac = ovFracRect;
namespace C = ovContactPickerLayout;
constexpr int rows = C::rows;
constexpr Frac title = C::searchBox;
// Row j's text: top rowTop + j * rowStep, bottom rowBottom + j * rowStep.
constexpr float rowLeft = C::rowTextLeft;
constexpr float rowRight = C::rowTextRight;
constexpr float rowTop = C::rowTextTop;
constexpr float rowBottom = C::rowTextBottom;
constexpr float rowStep = C::rowPitch;
constexpr Frac counter = C::range;
constexpr Frac total = C::count;
// The touch areas.
constexpr Frac list = C::listArea;
constexpr Frac up = C::scrollUp;
constexpr Frac down = C::scrollDown;
constexpr Frac back = C::back;
} // namespace ovMsgAcctPickerLayout
