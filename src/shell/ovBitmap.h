#pragma once
#include "gfx/ovImage.h"

#include <cstdint>
#include <memory>
#include <string>

// One loaded picture. A picture that failed to load has no image and a size of 0 by 0
// and draws as nothing. A picture whose decoding was put off (see ovBitmapStore) is
// decoded when it is first drawn (ovBitmapStore::blit): until then `handle` is empty
// and `file` names where it comes from. Both are a cache that drawing fills in, hence
// mutable.
struct ovBitmap {
    mutable std::unique_ptr<ovImage> handle;
    mutable std::string file;
    int width = 0;
    int height = 0;
    uint16_t bitsPerPixel = 0;

    // Decoded, or known good and decoded when first drawn.
    bool loaded() const { return handle != nullptr || !file.empty(); }
};
