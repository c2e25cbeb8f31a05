#pragma once
#include "gfx/ovImage.h"

#include <cstdint>
#include <memory>

// One loaded picture. A picture that failed to load has no image and a size of 0 by 0
// and draws as nothing.
struct ovBitmap {
    std::unique_ptr<ovImage> handle;
    int width = 0;
    int height = 0;
    uint16_t bitsPerPixel = 0;
};
