#pragma once
// Where the confirmation text stands, as fractions of the screen rectangle; the
// picture generator puts the text's panel under it.
namespace ovInfoDisplayLayout {
constexpr float textLeft = 0.03f;
constexpr float textTop = 0.45f;
constexpr float textRight = 0.97f;
constexpr float textBottom = 0.78f;
} // namespace ovInfoDisplayLayout
