#pragma once
// A decoded picture. Pixels are 0xAABBGGRR; the alpha byte means something only for
// 32-bit pictures, whose colours are premultiplied by it. bitsPerPixel is the depth
// recorded in the file (8, 16, 24 or 32), which decides how the picture is drawn.
#include "base/ovResult.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ovImage {
    int width = 0;
    int height = 0;
    uint16_t bitsPerPixel = 0;
    std::vector<uint32_t> pixels;

    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// What a BMP file's headers say about its picture.
struct ovBmpHeader {
    int width = 0;
    int height = 0;
    uint16_t bitsPerPixel = 0;
    uint32_t pixelOffset = 0; // where the pixel rows start
    uint32_t headersEnd = 0;  // where the headers (and a bitfields picture's masks) end
    uint32_t compression = 0; // 0 for plain rows, 3 for bitfields
    bool topDown = false;     // the first row in the file is the top one
};

// Reads a regular BMP file's headers and checks them against its length without
// decoding the pixels: a file this refuses, ovLoadBmpFile refuses too. A palette
// picture's indices are not looked at.
ovResult<ovBmpHeader> ovReadBmpHeader(const std::string& path);
// True for plain 24- and 32-bit rows right after the headers, the form our own pictures
// are written in: nothing in such a picture's pixels can be refused, so a file whose
// headers ovReadBmpHeader accepts decodes as long as it stays as it was.
bool ovBmpReadsDirectly(const ovBmpHeader& header);
// Decodes a Windows BMP file (8, 16, 24 and 32 bits per pixel). A failure says why,
// naming the file.
ovResult<ovImage> ovLoadBmpFile(const std::string& path);
// Decodes a BMP held in memory; `name` is used in the error text.
ovResult<ovImage> ovDecodeBmp(const uint8_t* data, size_t size, const std::string& name);
