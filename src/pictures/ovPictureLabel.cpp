#include "ovPictureLabel.h"

#include "shell/ovFontSet.h"

#include <cmath>

std::unique_ptr<ovFont> ovOpenPictureFont(bool bold, int emPixels, std::string& error) {
    const std::string file = ovFontSet::fontFolder() + (bold ? "/tahomabd.ttf" : "/tahoma.ttf");
    auto opened = ovFont::open(file, emPixels);
    if (!opened) {
        error = opened.reason();
        return nullptr;
    }
    return opened.take();
}

int ovLabelWidth(const ovFont& font, std::u16string_view text) {
    int width = 0;
    for (char16_t c : text)
        width += font.advance(c);
    return width;
}

void ovDrawLabel(ovPictureCanvas& c, const ovFont& font, std::u16string_view text, float cx, float cy,
                 const ovRgba& colour) {
    // Centring on the capital height keeps labels of one row on one baseline; small
    // letters alone centre their x-height, so that their bodies sit in the middle.
    bool small = !text.empty();
    for (char16_t ch : text)
        small = small && ch >= u'a' && ch <= u'z';
    const int height = font.glyph(small ? U'x' : U'H').bearingY;
    const int baseline = static_cast<int>(std::lround(cy + height * 0.5f));
    int pen = static_cast<int>(std::lround(cx - ovLabelWidth(font, text) * 0.5f));
    for (char16_t ch : text) {
        const ovGlyph& g = font.glyph(ch);
        for (int y = 0; y < g.height; ++y)
            for (int x = 0; x < g.width; ++x) {
                const uint8_t a = g.coverage[static_cast<size_t>(y) * g.width + x];
                if (a != 0)
                    c.blend(pen + g.bearingX + x, baseline - g.bearingY + y, colour, a / 255.0f);
            }
        pen += g.advance;
    }
}
