#include "gfx/ovPngWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

// Static, like the decoder: other parts of the program may carry their own copy of stb.
// The encoder writes into memory and we write the file ourselves, so that a failure
// can say why (stb's own file writer only says that it failed).
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace {

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

} // namespace

ovResult<> ovWritePng(const ovFramebuffer& frame, const std::string& path) {
    if (frame.empty())
        return ovFail("cannot write " + path + ": the picture is empty");

    const int width = frame.width();
    const int height = frame.height();
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    uint8_t* out = rgb.data();
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = frame.row(y);
        for (int x = 0; x < width; ++x) {
            const uint32_t c = row[x];
            *out++ = static_cast<uint8_t>(c);
            *out++ = static_cast<uint8_t>(c >> 8);
            *out++ = static_cast<uint8_t>(c >> 16);
        }
    }

    std::vector<uint8_t> png;
    if (!stbi_write_png_to_func(appendBytes, &png, width, height, 3, rgb.data(), width * 3))
        return ovFail("cannot encode " + path + " as PNG");

    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file)
        return ovFail("cannot write " + path + ": " + std::strerror(errno));
    if (std::fwrite(png.data(), 1, png.size(), file.get()) != png.size())
        return ovFail("cannot write " + path + ": " + std::strerror(errno));
    FILE* raw = file.release();
    if (std::fclose(raw) != 0)
        return ovFail("cannot write " + path + ": " + std::strerror(errno));
    return {};
}
