#pragma once
// The pictures drawn for the display, kept between runs: one folder per screen
// rectangle under the user's cache, with a stamp naming the version that drew them. A
// later start at the same size only loads them; a folder whose stamp names another
// version (or none) is drawn afresh (see ovDisplayPictures, which draws them).
#include "base/ovResult.h"
#include "pictures/ovPictureSize.h"

#include <string>

// $XDG_CACHE_HOME/orvida/pictures when XDG_CACHE_HOME is an absolute path, otherwise
// ~/.cache/orvida/pictures.
std::string ovPictureCacheRoot();

// The folder of pictures drawn for `size` under `root` (root/WIDTHxHEIGHT), every
// picture missing or stale drawn now. Fails, with the reason, when they can neither be found
// nor drawn and kept there; the program then shows the pictures it ships with.
ovResult<std::string> ovPicturesForDisplay(const std::string& root, const ovPictureSize& size,
                                           const std::string& version);
