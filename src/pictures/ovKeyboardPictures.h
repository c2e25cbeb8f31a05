#pragma once
#include "ovPictureSize.h"

#include <string>

// Draws "inputkb.bmp" and "inputnum.bmp" into the folder; returns the number of failures
// (each reported on standard error).
int ovMakeKeyboardPictures(const std::string& imagesFolder, const ovPictureSize& size);
