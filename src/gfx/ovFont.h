#pragma once
// A typeface at one pixel size, rendered with FreeType in grey-scale anti-aliasing.
// Glyphs are rendered once and kept in a cache.
#include "base/ovResult.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct ovGlyph {
    int width = 0; // coverage bitmap size
    int height = 0;
    int bearingX = 0;              // from the pen position to the bitmap's left edge
    int bearingY = 0;              // from the baseline up to the bitmap's top edge
    int advance = 0;               // pen advance in whole pixels
    std::vector<uint8_t> coverage; // width * height, 0..255
    // The same rows for drawing, each widened with zeros to `stride` bytes (a multiple
    // of 8), so that a row is laid over the destination in whole blocks of pixels.
    int stride = 0;
    std::vector<uint8_t> paddedCoverage; // stride * height
};

class ovFont {
public:
    // emPixels: the character (em) height in pixels, as asked by a negative font height.
    static ovResult<std::unique_ptr<ovFont>> open(const std::string& path, int emPixels);
    ~ovFont();
    ovFont(const ovFont&) = delete;
    ovFont& operator=(const ovFont&) = delete;

    int emPixels() const { return emPixels_; }
    int ascent() const { return ascent_; }   // pixels above the baseline
    int descent() const { return descent_; } // pixels below the baseline (positive)
    int lineHeight() const { return ascent_ + descent_; }

    // The glyph of a Unicode code point; a missing glyph gives the face's notdef glyph.
    const ovGlyph& glyph(char32_t codePoint) const;
    int advance(char32_t codePoint) const { return glyph(codePoint).advance; }

private:
    ovFont() = default;
    // Renders the code point's glyph into `glyph` (left empty where FreeType fails).
    void render(char32_t codePoint, ovGlyph& glyph) const;
    struct Face;
    std::unique_ptr<Face> face_;
    int emPixels_ = 0;
    int ascent_ = 0;
    int descent_ = 0;
    mutable std::unordered_map<char32_t, ovGlyph> cache_;
    // The glyphs of the first 256 code points, looked up without hashing (a map's
    // elements stay where they are as it grows).
    mutable std::array<const ovGlyph*, 256> latin_{};
};
