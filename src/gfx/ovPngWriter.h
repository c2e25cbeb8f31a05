#pragma once
#include "base/ovResult.h"
#include "gfx/ovFramebuffer.h"

#include <string>

// Writes the framebuffer as an opaque 8-bit RGB PNG. A failure says why, naming the file.
ovResult<> ovWritePng(const ovFramebuffer& frame, const std::string& path);
