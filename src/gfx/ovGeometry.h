#pragma once
// Small value types for geometry and colour.
//
// Edge rule, used everywhere in the program: a rectangle's width is right - left and
// its height bottom - top, and a point test includes all four edges
// (left <= x <= right, top <= y <= bottom). Filling covers [left, right) x [top, bottom).
#include <cstdint>

struct ovPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ovPoint&) const = default;
};

struct ovRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool contains(ovPoint p) const { return left <= p.x && p.x <= right && top <= p.y && p.y <= bottom; }
    ovRect offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    bool operator==(const ovRect&) const = default;
};

// Colours are 0x00BBGGRR, red in the low byte.
using ovColor = uint32_t;

constexpr ovColor ovRgb(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<ovColor>(r) | (static_cast<ovColor>(g) << 8) | (static_cast<ovColor>(b) << 16);
}
constexpr uint8_t ovRed(ovColor c) {
    return static_cast<uint8_t>(c & 0xFF);
}
constexpr uint8_t ovGreen(ovColor c) {
    return static_cast<uint8_t>((c >> 8) & 0xFF);
}
constexpr uint8_t ovBlue(ovColor c) {
    return static_cast<uint8_t>((c >> 16) & 0xFF);
}
