#pragma once
// Draws the program's pictures for a screen rectangle.
#include "pictures/ovPictureSize.h"

#include <filesystem>
#include <string>

// The file names of every picture ovDrawPictures writes.
constexpr int ovPictureCount = 33;
extern const char* const ovPictureNames[ovPictureCount];

// Writes every picture, drawn for `size`, into the folder (which must exist); returns
// how many could not be drawn or written, each reported on standard error.
int ovDrawPictures(const std::filesystem::path& images, const ovPictureSize& size);
// Writes the one picture of that file name (one of ovPictureNames); returns 0, or 1 when
// it could not be drawn or written (reported on standard error).
int ovDrawPicture(const std::filesystem::path& images, const ovPictureSize& size, const std::string& name);
