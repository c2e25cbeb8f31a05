#pragma once
// The node buttons' geometry as fractions of the screen rectangle. The navigator
// lays out and hit-tests with these, and the picture generator sizes the button
// pictures with them, so that a picture always matches its touch area.
namespace ovNodeLayout {
constexpr float wideWidth = 0.41f;
constexpr float shortWidth = 0.308f;
constexpr float buttonHeight = 0.072f;
constexpr float backStripLeft = 0.05f;
constexpr float backStripRight = 0.0125f;
constexpr float backStripInset = 0.003125f;
constexpr float stepX = 0.1042f;
constexpr float stepY = 0.1093f;
} // namespace ovNodeLayout
