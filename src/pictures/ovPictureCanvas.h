#pragma once
// A floating-point RGBA drawing surface for making the program's pictures: shapes
// with anti-aliased edges, exported as keyed 24-bit or premultiplied 32-bit BMPs. A
// fill or a vertical gradient gives each row one colour; only the square tiles that
// shapes are drawn on keep pixels of their own, so a full-screen picture does not
// hold (or clear, or fill) sixteen bytes for each of its pixels.
#include "base/ovResult.h"
#include "gfx/ovGeometry.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct ovRgba {
    float r = 0, g = 0, b = 0, a = 0; // straight (not premultiplied) colour
};

// Colours come in two spellings and meet here, converted once. ovHex reads the web
// order 0xRRGGBB that colour pickers and design notes write (red in the HIGH byte);
// ovColour reads the program's own ovColor, 0x00BBGGRR (red in the LOW byte), so a
// picture can share a colour with the canvas and the window's theme.
ovRgba ovHex(uint32_t rgb, float alpha = 1.0f);
ovRgba ovColour(ovColor color, float alpha = 1.0f);
ovRgba ovMix(const ovRgba& a, const ovRgba& b, float t);

class ovPictureCanvas {
public:
    // While one lives, a canvas that goes hands its tiles on to the next one made on its
    // thread, so a set of pictures drawn one after another is drawn in memory taken once;
    // the memory is given back when the last one goes.
    class Reuse {
    public:
        Reuse();
        ~Reuse();
        Reuse(const Reuse&) = delete;
        Reuse& operator=(const Reuse&) = delete;
    };

    // While one lives, the canvases of its thread give up once the flag is set: their
    // shapes draw nothing and their writes write nothing (and do not count as failures),
    // so that a picture drawn beside the program ends soon after the program asks.
    class StopWhen {
    public:
        explicit StopWhen(const std::atomic<bool>& stop);
        ~StopWhen();
        StopWhen(const StopWhen&) = delete;
        StopWhen& operator=(const StopWhen&) = delete;
    };

    ovPictureCanvas(int width, int height);
    ~ovPictureCanvas();
    ovPictureCanvas(const ovPictureCanvas&) = delete;
    ovPictureCanvas& operator=(const ovPictureCanvas&) = delete;
    int width() const { return width_; }
    int height() const { return height_; }

    // Source-over with a coverage of 0..1.
    void blend(int x, int y, const ovRgba& colour, float coverage);
    void fill(const ovRgba& colour);
    void verticalGradient(const ovRgba& top, const ovRgba& bottom);
    // Rounded rectangle (x0, y0)-(x1, y1) in pixel edges, radius r, anti-aliased.
    void roundedRect(float x0, float y0, float x1, float y1, float r, const ovRgba& colour);
    // The same, shaded from `top` to `bottom`.
    void roundedRectGradient(float x0, float y0, float x1, float y1, float r, const ovRgba& top,
                             const ovRgba& bottom);
    // A thick line from (x0, y0) to (x1, y1) with round caps.
    void line(float x0, float y0, float x1, float y1, float thickness, const ovRgba& colour);

    const ovRgba& at(int x, int y) const {
        const ovRgba* tile = tiles_[tileOf(x, y)].get();
        return tile != nullptr ? tile[((y & kTileMask) << kTileShift) + (x & kTileMask)] : rows_[y];
    }

    // 24-bit: pixels less than half covered become the key colour, pure green.
    ovResult<> write24(const std::string& path) const;
    // 32-bit premultiplied alpha.
    ovResult<> write32(const std::string& path) const;

private:
    static constexpr int kTileShift = 5;
    static constexpr int kTileSide = 1 << kTileShift;
    static constexpr int kTileMask = kTileSide - 1;
    using Tile = std::unique_ptr<ovRgba[]>;

    size_t tileOf(int x, int y) const {
        return static_cast<size_t>(y >> kTileShift) * tilesAcross_ + static_cast<size_t>(x >> kTileShift);
    }
    // The pixel, its tile given pixels of its own first when it has none.
    ovRgba& pixel(int x, int y);
    // Every tile goes: each row is its colour again.
    void dropTiles();
    // Calls encode(colour, bytes) for each pixel of each row, bottom row first, into rows
    // of `bytes` bytes a pixel, and writes them as a BMP.
    template <class Encode> ovResult<> write(const std::string& path, int bytes, Encode encode) const;

    int width_;
    int height_;
    int tilesAcross_;
    std::vector<ovRgba> rows_; // each row's colour where no tile has pixels of its own
    std::vector<Tile> tiles_;
};
