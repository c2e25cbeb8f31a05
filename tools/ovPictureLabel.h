#pragma once
// Text on generated pictures: one line centred on a point, in the Tahoma-compatible
// faces the program itself draws with.
#include "ovPictureCanvas.h"
#include "platform/gfx/ovFont.h"

#include <memory>
#include <string>
#include <string_view>

// The regular or bold face at an em height in pixels; null with the reason in `error`.
std::unique_ptr<ovFont> ovOpenPictureFont(bool bold, int emPixels, std::string& error);
// Draws the text with its capital height centred on cy and its advance width on cx.
void ovDrawLabel(ovPictureCanvas& c, const ovFont& font, std::u16string_view text, float cx, float cy,
                 const ovRgba& colour);
int ovLabelWidth(const ovFont& font, std::u16string_view text);
