#pragma once
// Builds BMP files byte by byte, so that the loader tests do not depend on pictures
// made by some other program.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace ovtest {

inline void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
inline void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

// pixels: top row first, each 0xAARRGGBB as a BMP stores it (blue in the low byte).
// bpp 24 or 32 writes true colour; bpp 16 writes 5-5-5 from the top bits of each
// channel. topDown stores a negative height.
inline std::vector<uint8_t> makeBmp(int width, int height, int bpp, const std::vector<uint32_t>& pixels,
                                    bool topDown = false) {
    const size_t rowBytes = ((static_cast<size_t>(width) * bpp + 31) / 32) * 4;
    const size_t offset = 14 + 40;
    std::vector<uint8_t> b(offset + rowBytes * height, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, static_cast<uint32_t>(b.size()));
    put32(b, 10, offset);
    put32(b, 14, 40);
    put32(b, 18, static_cast<uint32_t>(width));
    put32(b, 22, static_cast<uint32_t>(topDown ? -height : height));
    put16(b, 26, 1);
    put16(b, 28, static_cast<uint32_t>(bpp));
    for (int y = 0; y < height; ++y) {
        const int fileRow = topDown ? y : height - 1 - y;
        uint8_t* row = b.data() + offset + rowBytes * fileRow;
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
            if (bpp == 16) {
                const uint32_t r = (p >> 19) & 31, g = (p >> 11) & 31, bl = (p >> 3) & 31;
                const uint32_t v = (r << 10) | (g << 5) | bl;
                row[x * 2] = static_cast<uint8_t>(v);
                row[x * 2 + 1] = static_cast<uint8_t>(v >> 8);
                continue;
            }
            const int n = bpp / 8;
            for (int c = 0; c < n; ++c)
                row[x * n + c] = static_cast<uint8_t>(p >> (8 * c));
        }
    }
    return b;
}

// An 8-bit palette picture: palette entries 0xRRGGBB, indices top row first.
inline std::vector<uint8_t> makePaletteBmp(int width, int height, const std::vector<uint32_t>& palette,
                                           const std::vector<uint8_t>& indices) {
    const size_t rowBytes = (static_cast<size_t>(width) + 3) / 4 * 4;
    const size_t offset = 14 + 40 + palette.size() * 4;
    std::vector<uint8_t> b(offset + rowBytes * height, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, static_cast<uint32_t>(b.size()));
    put32(b, 10, static_cast<uint32_t>(offset));
    put32(b, 14, 40);
    put32(b, 18, static_cast<uint32_t>(width));
    put32(b, 22, static_cast<uint32_t>(height));
    put16(b, 26, 1);
    put16(b, 28, 8);
    put32(b, 46, static_cast<uint32_t>(palette.size()));
    for (size_t i = 0; i < palette.size(); ++i)
        put32(b, 54 + i * 4, palette[i]);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            b[offset + rowBytes * (height - 1 - y) + x] = indices[static_cast<size_t>(y) * width + x];
    return b;
}

} // namespace ovtest
