#pragma once
// The account picker's screen as fractions of the screen rectangle (left, top, right,
// bottom). The picker draws and hit-tests with these and the picture generator draws
// its background with them, so the picture always matches the touch areas.
namespace ovMsgAcctPickerLayout {
struct Frac {
    float left, top, right, bottom;
};
constexpr int rows = 6;
constexpr Frac title{0.02f, 0.02f, 0.7f, 0.11f};
// Row j's text: top rowTop + j * rowStep, bottom rowBottom + j * rowStep.
constexpr float rowLeft = 0.06f;
constexpr float rowRight = 0.7f;
constexpr float rowTop = 0.181f;
constexpr float rowBottom = 0.32f;
constexpr float rowStep = 0.1315f;
constexpr Frac counter{0.8f, 0.404f, 0.958f, 0.56f};
constexpr Frac total{0.8f, 0.56f, 0.958f, 0.716f};
// The touch areas.
constexpr Frac list{0.017f, 0.157f, 0.767f, 0.967f};
constexpr Frac up{0.779f, 0.149f, 0.995f, 0.332f};
constexpr Frac down{0.779f, 0.799f, 0.995f, 0.981f};
constexpr Frac back{0.767f, 0.019f, 0.995f, 0.117f};
} // namespace ovMsgAcctPickerLayout
