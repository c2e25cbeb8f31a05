#pragma once
// The pictures of the home screen, the hyper bar and its two plug-ins.
#include "ovPictureChoice.h"
#include "ovPictureSize.h"

#include <filesystem>

// Writes them into the images folder; returns how many could not be written. `only`:
// see ovPictureWanted.
int ovMakeHomePictures(const std::filesystem::path& images, const ovPictureSize& size,
                       const char* only = nullptr);
