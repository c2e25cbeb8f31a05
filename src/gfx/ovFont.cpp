#include "gfx/ovFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <type_traits>

namespace {

// clang-format off
// FreeType's own list of error codes and texts, expanded into a table.
#undef FTERRORS_H_
#define FT_ERRORDEF(e, v, s) {e, s},
#define FT_ERROR_START_LIST {
#define FT_ERROR_END_LIST {0, nullptr}};
struct FreetypeMessage {
    int code;
    const char* message;
};
const FreetypeMessage freetypeMessages[] =
#include FT_ERRORS_H

const char* freetypeMessage(FT_Error error) {
    for (const auto& m : freetypeMessages) {
        if (m.message != nullptr && m.code == error)
            return m.message;
    }
    return "unknown FreeType error";
}
// clang-format on

struct LibraryDeleter {
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceDeleter {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using LibraryPtr = std::unique_ptr<std::remove_pointer_t<FT_Library>, LibraryDeleter>;
using FacePtr = std::unique_ptr<std::remove_pointer_t<FT_Face>, FaceDeleter>;

int roundPixels(FT_Pos value26_6) {
    return static_cast<int>((value26_6 + 32) >> 6);
}

} // namespace

// Each font owns its FreeType library: fonts can then be opened and used from
// different threads (tests, the picture generator) without a shared lock. The face
// is declared after the library so that it is released first.
struct ovFont::Face {
    LibraryPtr library;
    FacePtr face;
};

ovFont::~ovFont() = default;

ovResult<std::unique_ptr<ovFont>> ovFont::open(const std::string& path, int emPixels) {
    if (emPixels <= 0 || emPixels > 4096) {
        return ovFail("cannot open font " + path + ": invalid pixel size " + std::to_string(emPixels));
    }
    FT_Library rawLibrary = nullptr;
    if (FT_Error e = FT_Init_FreeType(&rawLibrary)) {
        return ovFail(std::string("cannot start FreeType: ") + freetypeMessage(e));
    }
    auto face = std::make_unique<Face>();
    face->library.reset(rawLibrary);

    FT_Face rawFace = nullptr;
    if (FT_Error e = FT_New_Face(rawLibrary, path.c_str(), 0, &rawFace)) {
        return ovFail("cannot open font " + path + ": " + freetypeMessage(e));
    }
    face->face.reset(rawFace);
    if (!FT_IS_SCALABLE(rawFace)) {
        return ovFail("cannot open font " + path + ": not a scalable font");
    }
    if (FT_Error e = FT_Set_Pixel_Sizes(rawFace, 0, static_cast<FT_UInt>(emPixels))) {
        return ovFail("cannot open font " + path + " at " + std::to_string(emPixels) +
                      " pixels: " + freetypeMessage(e));
    }
    // Pick the Unicode map explicitly; a face without one still draws its notdef glyph.
    FT_Select_Charmap(rawFace, FT_ENCODING_UNICODE);

    std::unique_ptr<ovFont> font(new ovFont());
    font->face_ = std::move(face);
    font->emPixels_ = emPixels;
    const FT_Size_Metrics& metrics = rawFace->size->metrics;
    font->ascent_ = roundPixels(metrics.ascender);
    font->descent_ = -roundPixels(metrics.descender);
    if (font->descent_ < 0)
        font->descent_ = 0;
    return font;
}

const ovGlyph& ovFont::glyph(char32_t codePoint) const {
    if (codePoint < latin_.size() && latin_[codePoint] != nullptr)
        return *latin_[codePoint];
    if (auto it = cache_.find(codePoint); it != cache_.end())
        return it->second;

    ovGlyph& glyph = cache_[codePoint];
    if (codePoint < latin_.size())
        latin_[codePoint] = &glyph;
    render(codePoint, glyph);
    return glyph;
}

void ovFont::render(char32_t codePoint, ovGlyph& glyph) const {
    FT_Face face = face_->face.get();
    const FT_UInt index = FT_Get_Char_Index(face, codePoint);
    // Embedded bitmap strikes are skipped so that every size is drawn from the outline
    // with the same grey-scale anti-aliasing.
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_NORMAL) != 0)
        return;
    FT_GlyphSlot slot = face->glyph;
    glyph.advance = roundPixels(slot->advance.x);
    if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0)
        return;

    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && bitmap.pixel_mode != FT_PIXEL_MODE_MONO)
        return;
    const int width = static_cast<int>(bitmap.width);
    const int height = static_cast<int>(bitmap.rows);
    glyph.width = width;
    glyph.height = height;
    glyph.bearingX = slot->bitmap_left;
    glyph.bearingY = slot->bitmap_top;
    glyph.coverage.resize(static_cast<size_t>(width) * height);
    const int pitch = bitmap.pitch;
    for (int y = 0; y < height; ++y) {
        // A negative pitch means the rows are stored bottom-up.
        const unsigned char* src = pitch >= 0
                                       ? bitmap.buffer + static_cast<ptrdiff_t>(y) * pitch
                                       : bitmap.buffer + static_cast<ptrdiff_t>(height - 1 - y) * -pitch;
        uint8_t* dst = glyph.coverage.data() + static_cast<size_t>(y) * width;
        if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
            const int levels = bitmap.num_grays > 1 ? bitmap.num_grays - 1 : 255;
            for (int x = 0; x < width; ++x)
                dst[x] = levels == 255 ? src[x] : static_cast<uint8_t>(std::min(255, src[x] * 255 / levels));
        } else {
            for (int x = 0; x < width; ++x)
                dst[x] = (src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
        }
    }
    glyph.stride = (width + 7) & ~7;
    glyph.paddedCoverage.assign(static_cast<size_t>(glyph.stride) * height, 0);
    for (int y = 0; y < height; ++y)
        std::copy_n(glyph.coverage.data() + static_cast<size_t>(y) * width, width,
                    glyph.paddedCoverage.data() + static_cast<size_t>(y) * glyph.stride);
}
