#pragma once
#include "ovPictureChoice.h"
#include "ovPictureSize.h"

#include <string>

// Draws "inputkb.bmp" and "inputnum.bmp" into the folder; returns the number of failures
// (each reported on standard error). `only`: see ovPictureWanted.
int ovMakeKeyboardPictures(const std::string& imagesFolder, const ovPictureSize& size,
                           const char* only = nullptr);
