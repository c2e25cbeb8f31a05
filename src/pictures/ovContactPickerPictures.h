#pragma once
#include "ovPictureSize.h"

#include <string>

// Draws "contactPicker.bmp" into the folder; returns the number of failures.
int ovMakeContactPickerPictures(const std::string& imagesFolder, const ovPictureSize& size);
