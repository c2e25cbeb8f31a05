#pragma once
// A block of 32-bit pixels, row after row, no padding. A pixel holds a colour as
// 0x00BBGGRR; the top byte is not used (it may hold anything).
#include "gfx/ovGeometry.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class ovFramebuffer {
public:
    ovFramebuffer() = default;
    ovFramebuffer(int width, int height, ovColor fill = 0)
        : width_(width > 0 ? width : 0), height_(height > 0 ? height : 0),
          pixels_(static_cast<size_t>(width_) * static_cast<size_t>(height_), fill) {}

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return pixels_.empty(); }
    uint32_t* data() { return pixels_.data(); }
    const uint32_t* data() const { return pixels_.data(); }
    size_t byteSize() const { return pixels_.size() * sizeof(uint32_t); }

    uint32_t* row(int y) { return pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_); }
    const uint32_t* row(int y) const {
        return pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_);
    }
    // The colour at (x, y) without the unused top byte; 0 outside.
    ovColor pixel(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_)
            return 0;
        return row(y)[x] & 0x00FFFFFFu;
    }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
};
