#pragma once
// Where everything on the home screen lies, as fractions of the screen rectangle
// (left, top, right, bottom). The screen hit-tests with these and the picture
// generator draws the background and the pressed pictures from them.
namespace ovHomeLayout {

struct Area {
    float left, top, right, bottom;
};

struct Button {
    Area touch;     // where a finger presses it
    Area highlight; // where its pressed picture is drawn
};

// In the order the buttons are tested: contact, message, appointment, task. The left
// buttons' pictures reach the screen's left edge, but a press in the first 0.04 of the
// width belongs to no button.
inline constexpr Button buttons[4] = {
    {{0.04f, 0.015f, 0.492f, 0.246f}, {0.0f, 0.015f, 0.492f, 0.246f}},
    {{0.5f, 0.015f, 0.992f, 0.246f}, {0.5f, 0.015f, 0.992f, 0.246f}},
    {{0.04f, 0.653f, 0.492f, 0.878f}, {0.0f, 0.653f, 0.492f, 0.878f}},
    {{0.5f, 0.653f, 0.992f, 0.878f}, {0.5f, 0.653f, 0.992f, 0.878f}},
};
enum ButtonIndex { contactButton = 0, messageButton = 1, appointmentButton = 2, taskButton = 3 };

inline constexpr Area dateText{0.033f, 0.276f, 0.767f, 0.362f};
inline constexpr Area clockText{0.77f, 0.487f, 0.988f, 0.541f};
inline constexpr Area timeLine{0.005f, 0.559f, 0.995f, 0.601f};
// Bars stand this far inside the time line's top and bottom.
inline constexpr float barInset = 0.00625f;
inline constexpr Area nextMarker{0.046f, 0.398f, 0.07f, 0.53f};
inline constexpr Area nextHeader{0.1f, 0.4f, 0.756f, 0.445f};
inline constexpr Area nextDetails{0.1f, 0.455f, 0.756f, 0.5f};
inline constexpr Area noneText{0.035f, 0.399f, 0.756f, 0.532f};

} // namespace ovHomeLayout
