#include "ovPictureCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace {
float clamp01(float v) {
    return std::min(1.0f, std::max(0.0f, v));
}
uint8_t byteOf(float v) {
    // Rounds half up, as lround does for these non-negative values, without its call.
    return static_cast<uint8_t>(clamp01(v) * 255.0f + 0.5f);
}

// Signed distance from a point to a rounded rectangle (negative inside).
float roundedDistance(float px, float py, float x0, float y0, float x1, float y1, float r) {
    const float cx = (x0 + x1) * 0.5f, cy = (y0 + y1) * 0.5f;
    const float hx = (x1 - x0) * 0.5f - r, hy = (y1 - y0) * 0.5f - r;
    const float qx = std::fabs(px - cx) - hx, qy = std::fabs(py - cy) - hy;
    // hypot(v, 0) is |v| exactly: the root is only needed off the corners' squares.
    const float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    const float outside = ox == 0.0f ? oy : oy == 0.0f ? ox : std::hypot(ox, oy);
    return outside + std::min(std::max(qx, qy), 0.0f) - r;
}

void put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, static_cast<uint16_t>(v));
    put16(out, static_cast<uint16_t>(v >> 16));
}

// Writes the headers and then each row, bottom row first, as `row` fills it in (the
// padding bytes stay zero), so that no copy of the whole picture is made.
template <class FillRow>
ovResult<> writeBmp(const std::string& path, int width, int height, int bits, const FillRow& fillRow) {
    const uint32_t rowBytes = static_cast<uint32_t>((width * bits / 8 + 3) & ~3);
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, 54 + rowBytes * static_cast<uint32_t>(height));
    put32(out, 0);
    put32(out, 54);
    put32(out, 40);
    put32(out, static_cast<uint32_t>(width));
    put32(out, static_cast<uint32_t>(height));
    put16(out, 1);
    put16(out, static_cast<uint16_t>(bits));
    put32(out, 0); // uncompressed
    put32(out, rowBytes * static_cast<uint32_t>(height));
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    std::vector<uint8_t> row(rowBytes, 0);
    for (int y = height - 1; y >= 0 && file; --y) {
        fillRow(y, row.data());
        file.write(reinterpret_cast<const char*>(row.data()), static_cast<std::streamsize>(row.size()));
    }
    file.close();
    if (!file)
        return ovFail("cannot write " + path);
    return {};
}
} // namespace

ovRgba ovHex(uint32_t rgb, float alpha) {
    return {((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f, alpha};
}

ovRgba ovColour(ovColor color, float alpha) {
    return {ovRed(color) / 255.0f, ovGreen(color) / 255.0f, ovBlue(color) / 255.0f, alpha};
}

ovRgba ovMix(const ovRgba& a, const ovRgba& b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

namespace {
// The pixel memory of canvases gone while a Reuse lives, largest last.
thread_local int reuses = 0;
thread_local std::vector<std::unique_ptr<ovRgba[]>> spare;
thread_local const std::atomic<bool>* stopFlag = nullptr;

bool stopped() {
    return stopFlag != nullptr && stopFlag->load(std::memory_order_relaxed);
}
} // namespace

ovPictureCanvas::StopWhen::StopWhen(const std::atomic<bool>& stop) {
    stopFlag = &stop;
}
ovPictureCanvas::StopWhen::~StopWhen() {
    stopFlag = nullptr;
}

ovPictureCanvas::Reuse::Reuse() {
    ++reuses;
}
ovPictureCanvas::Reuse::~Reuse() {
    if (--reuses == 0)
        std::vector<Tile>().swap(spare);
}

ovPictureCanvas::ovPictureCanvas(int width, int height)
    : width_(std::max(0, width)), height_(std::max(0, height)),
      tilesAcross_((width_ + kTileMask) >> kTileShift), rows_(static_cast<size_t>(height_)),
      tiles_(static_cast<size_t>(tilesAcross_) * static_cast<size_t>((height_ + kTileMask) >> kTileShift)) {}

ovPictureCanvas::~ovPictureCanvas() {
    dropTiles();
}

void ovPictureCanvas::dropTiles() {
    for (Tile& tile : tiles_)
        if (tile != nullptr) {
            if (reuses > 0)
                spare.push_back(std::move(tile));
            tile.reset();
        }
}

ovRgba& ovPictureCanvas::pixel(int x, int y) {
    Tile& tile = tiles_[tileOf(x, y)];
    if (tile == nullptr) {
        if (!spare.empty()) {
            tile = std::move(spare.back());
            spare.pop_back();
        } else {
            tile = std::make_unique_for_overwrite<ovRgba[]>(kTileSide * kTileSide);
        }
        // The tile starts as its rows' colours.
        const int top = y & ~kTileMask;
        for (int row = 0; row < kTileSide; ++row) {
            const ovRgba colour = top + row < height_ ? rows_[static_cast<size_t>(top + row)] : ovRgba{};
            std::fill_n(tile.get() + row * kTileSide, kTileSide, colour);
        }
    }
    return tile[((y & kTileMask) << kTileShift) + (x & kTileMask)];
}

void ovPictureCanvas::blend(int x, int y, const ovRgba& c, float coverage) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    const float sa = clamp01(c.a * coverage);
    if (sa <= 0.0f)
        return;
    ovRgba& d = pixel(x, y);
    const float outA = sa + d.a * (1.0f - sa);
    auto channel = [&](float s, float dst) { return (s * sa + dst * d.a * (1.0f - sa)) / outA; };
    d = {channel(c.r, d.r), channel(c.g, d.g), channel(c.b, d.b), outA};
}

void ovPictureCanvas::fill(const ovRgba& colour) {
    if (stopped())
        return;
    dropTiles();
    std::fill(rows_.begin(), rows_.end(), colour);
}

void ovPictureCanvas::verticalGradient(const ovRgba& top, const ovRgba& bottom) {
    if (stopped())
        return;
    dropTiles();
    for (int y = 0; y < height_; ++y)
        rows_[static_cast<size_t>(y)] =
            ovMix(top, bottom, height_ > 1 ? static_cast<float>(y) / (height_ - 1) : 0.0f);
}

void ovPictureCanvas::roundedRectGradient(float x0, float y0, float x1, float y1, float r, const ovRgba& top,
                                          const ovRgba& bottom) {
    if (stopped())
        return;
    for (int y = std::max(0, static_cast<int>(y0) - 1); y < std::min(height_, static_cast<int>(y1) + 2);
         ++y) {
        const ovRgba c = ovMix(top, bottom, clamp01((y + 0.5f - y0) / std::max(1.0f, y1 - y0)));
        for (int x = std::max(0, static_cast<int>(x0) - 1); x < std::min(width_, static_cast<int>(x1) + 2);
             ++x) {
            const float d = roundedDistance(x + 0.5f, y + 0.5f, x0, y0, x1, y1, r);
            blend(x, y, c, clamp01(0.5f - d));
        }
    }
}

void ovPictureCanvas::roundedRect(float x0, float y0, float x1, float y1, float r, const ovRgba& colour) {
    roundedRectGradient(x0, y0, x1, y1, r, colour, colour);
}

void ovPictureCanvas::line(float x0, float y0, float x1, float y1, float thickness, const ovRgba& colour) {
    if (stopped())
        return;
    const float half = thickness * 0.5f;
    const int left = std::max(0, static_cast<int>(std::min(x0, x1) - half) - 1);
    const int right = std::min(width_ - 1, static_cast<int>(std::max(x0, x1) + half) + 1);
    const int top = std::max(0, static_cast<int>(std::min(y0, y1) - half) - 1);
    const int bottom = std::min(height_ - 1, static_cast<int>(std::max(y0, y1) + half) + 1);
    const float dx = x1 - x0, dy = y1 - y0;
    const float length2 = std::max(1e-6f, dx * dx + dy * dy);
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) {
            const float px = x + 0.5f - x0, py = y + 0.5f - y0;
            const float t = clamp01((px * dx + py * dy) / length2);
            const float d = std::hypot(px - t * dx, py - t * dy) - half;
            blend(x, y, colour, clamp01(0.5f - d));
        }
}

template <class Encode>
ovResult<> ovPictureCanvas::write(const std::string& path, int bytes, Encode encode) const {
    return writeBmp(path, width_, height_, bytes * 8, [&](int y, uint8_t* row) {
        // A run of pixels without a tile of their own is the row's colour, encoded once.
        uint8_t plain[4] = {};
        encode(rows_[static_cast<size_t>(y)], plain);
        for (int left = 0; left < width_; left += kTileSide) {
            const int right = std::min(width_, left + kTileSide);
            const ovRgba* tile = tiles_[tileOf(left, y)].get();
            for (int x = left; x < right; ++x) {
                uint8_t* out = row + static_cast<size_t>(x) * bytes;
                if (tile == nullptr)
                    std::copy_n(plain, bytes, out);
                else
                    encode(tile[((y & kTileMask) << kTileShift) + (x & kTileMask)], out);
            }
        }
    });
}

ovResult<> ovPictureCanvas::write24(const std::string& path) const {
    if (stopped())
        return {};
    return write(path, 3, [](const ovRgba& p, uint8_t* out) {
        uint8_t b = 0, g = 255, r = 0; // the key colour
        if (p.a >= 0.5f) {
            r = byteOf(p.r);
            g = byteOf(p.g);
            b = byteOf(p.b);
            // A drawn pixel must never turn out to be the key by chance.
            if (r == 0 && g == 255 && b == 0)
                g = 254;
        }
        out[0] = b;
        out[1] = g;
        out[2] = r;
    });
}

ovResult<> ovPictureCanvas::write32(const std::string& path) const {
    if (stopped())
        return {};
    return write(path, 4, [](const ovRgba& p, uint8_t* out) {
        const float a = clamp01(p.a);
        out[0] = byteOf(p.b * a);
        out[1] = byteOf(p.g * a);
        out[2] = byteOf(p.r * a);
        out[3] = byteOf(a);
    });
}
