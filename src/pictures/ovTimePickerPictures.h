#pragma once
// The time picker's seven pictures, drawn for the screen rectangle from the picker's own
// layout table. Returns how many pictures could not be written.
#include "ovPictureChoice.h"
#include "ovPictureSize.h"

#include <string>

// `only`: see ovPictureWanted.
int ovMakeTimePickerPictures(const std::string& imagesFolder, const ovPictureSize& size,
                             const char* only = nullptr);

// The colours the pictures give the picker's elements, for tests that probe them.
namespace ovTimePickerPalette {
constexpr unsigned itemFace = 0xD7E1EC; // 0xRRGGBB
constexpr unsigned toggleFace = 0x9FD3C7;
constexpr unsigned unitFace = 0xC9D6E6;
constexpr unsigned nextFace = 0x5FA8E0;
constexpr unsigned backFace = 0x8D9AAB;
constexpr unsigned panel = 0x243140;
} // namespace ovTimePickerPalette
