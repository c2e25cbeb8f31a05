#pragma once
// The date picker's month bar and back button, drawn for the screen rectangle from the
// picker's own layout. Returns how many could not be written.
#include "ovPictureChoice.h"
#include "ovPictureSize.h"

#include <string>

// `only`: see ovPictureWanted.
int ovMakeDatePickerPictures(const std::string& imagesFolder, const ovPictureSize& size,
                             const char* only = nullptr);

namespace ovDatePickerPalette {
constexpr unsigned barFace = 0x2C3E52; // 0xRRGGBB
constexpr unsigned arrowFace = 0x3F6E9E;
constexpr unsigned backFace = 0x8D9AAB;
} // namespace ovDatePickerPalette
