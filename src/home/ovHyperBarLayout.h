#pragma once
// The hyper bar's buttons and its plug-ins' panels, as fractions of the screen
// rectangle, shared by the bar, its plug-ins and the picture generator.
namespace ovHyperBarLayout {

inline constexpr float buttonWidth = 0.48f;
inline constexpr float buttonHeight = 0.1f;
// Panel heights from the bottom edge.
inline constexpr float defaultPanelHeight = 0.28f;
inline constexpr float statusPanelHeight = 0.4f;
inline constexpr float calculatorPanelHeight = 1.0f;

// The device status panel's rows: icon, meter and value, measured from the panel's
// top-left corner.
inline constexpr float rowLeft = 0.02f;
inline constexpr float rowTop = 0.02f;
inline constexpr float iconWidth = 0.1666f;
inline constexpr float iconHeight = 0.1125f;
inline constexpr float meterGap = 0.005f;
inline constexpr float meterWidth = 0.58f;
inline constexpr float meterHeight = 0.0375f;
inline constexpr float valueGap = 0.015f;
inline constexpr float valueWidth = 1.0f;

} // namespace ovHyperBarLayout
