#pragma once
// The list background the account picker (and the contact picker) show.
#include <string>

// Writes contactPicker.bmp into the folder; returns an error text, or empty.
std::string ovMakeListPickerBackground(const std::string& imagesFolder, int width, int height);
