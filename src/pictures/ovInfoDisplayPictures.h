#pragma once
#include "ovPictureSize.h"

#include <string>

// Draws "infoDisplay.bmp" into the folder; returns the number of failures.
int ovMakeInfoDisplayPictures(const std::string& imagesFolder, const ovPictureSize& size);
