#pragma once
#include "platform/gfx/ovFramebuffer.h"

#include <string>

// Writes the framebuffer as an opaque 8-bit RGB PNG. Returns an empty string on
// success, otherwise why it failed, naming the file.
std::string ovWritePng(const ovFramebuffer& frame, const std::string& path);
