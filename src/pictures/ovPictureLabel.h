#pragma once
// Text on generated pictures: one line centred on a point, in the Tahoma-compatible
// faces the program itself draws with.
#include "gfx/ovFont.h"
#include "ovPictureCanvas.h"

#include <memory>
#include <string>
#include <string_view>

// The regular or bold face at an em height in pixels; null with the reason in `error`.
std::unique_ptr<ovFont> ovOpenPictureFont(bool bold, int emPixels, std::string& error);
// Draws the text centred on (cx, cy): its advance width across, its capital height (the
// x-height for small letters alone) up and down.
void ovDrawLabel(ovPictureCanvas& c, const ovFont& font, std::u16string_view text, float cx, float cy,
                 const ovRgba& colour);
int ovLabelWidth(const ovFont& font, std::u16string_view text);
