#pragma once
// The window's look: a calm dark slate with light text and one muted blue for what is
// pressed or chosen. Colours are 0x00BBGGRR, as everywhere in the program.
#include "gfx/ovGeometry.h"

struct ovWindowTheme {
    static constexpr ovColor barColor = ovRgb(22, 26, 33);
    static constexpr ovColor edgeColor = ovRgb(52, 60, 74);
    static constexpr ovColor textColor = ovRgb(228, 232, 238);
    static constexpr ovColor dimTextColor = ovRgb(158, 168, 184);
    static constexpr ovColor keyPressedColor = ovRgb(48, 62, 82);
    static constexpr ovColor keyActiveColor = ovRgb(36, 44, 57);
    static constexpr ovColor menuColor = ovRgb(34, 40, 50);
    static constexpr ovColor menuBorderColor = ovRgb(78, 90, 108);
    static constexpr ovColor menuSeparatorColor = ovRgb(50, 58, 71);
    static constexpr ovColor accentColor = ovRgb(56, 112, 168);
    static constexpr ovColor accentPressedColor = ovRgb(88, 146, 204);
    static constexpr ovColor boxColor = ovRgb(30, 35, 44);
    static constexpr ovColor boxTitleColor = ovRgb(42, 50, 63);
    static constexpr ovColor emptyScreenColor = ovRgb(0, 0, 0);
    // What stays of each colour channel behind the modal box, out of 256.
    static constexpr uint32_t dimShare = 96;
};
