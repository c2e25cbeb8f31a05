#pragma once
#include <string>

// Draws "infoDisplay.bmp" into the folder; returns the number of failures.
int ovMakeInfoDisplayPictures(const std::string& imagesFolder);
