#include "gfx/ovTextFit.h"

#include "gfx/ovCanvas.h"
#include "gfx/ovFont.h"

namespace {
bool isHigh(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLow(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The advance of the code point that starts (forward) or ends (backward) at i, and its
// length in code units.
int advanceAt(const ovFont& font, std::u16string_view text, size_t i, bool forward, size_t& units) {
    char32_t c = text[i];
    units = 1;
    if (forward && isHigh(text[i]) && i + 1 < text.size() && isLow(text[i + 1])) {
        c = 0x10000 + ((static_cast<char32_t>(text[i]) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        units = 2;
    } else if (!forward && isLow(text[i]) && i > 0 && isHigh(text[i - 1])) {
        c = 0x10000 + ((static_cast<char32_t>(text[i - 1]) - 0xD800) << 10) + (text[i] - 0xDC00);
        units = 2;
    }
    return font.advance(c);
}

// Units that stand in the width from one end, leaving room for the cut mark.
size_t fitting(const ovCanvas& dc, std::u16string_view text, int width, bool fromStart) {
    const ovFont* font = dc.font();
    if (font == nullptr)
        return 0;
    if (dc.measureText(text) <= width)
        return text.size();
    const int room = width - dc.measureText(ovTextCut);
    int used = 0;
    size_t taken = 0;
    while (taken < text.size()) {
        size_t units = 1;
        const size_t at = fromStart ? taken : text.size() - 1 - taken;
        const int advance = advanceAt(*font, text, at, fromStart, units);
        if (used + advance > room)
            break;
        used += advance;
        taken += units;
    }
    return taken;
}

class FontRestore {
public:
    explicit FontRestore(ovCanvas& dc) : dc_(dc), previous_(dc.font()) {}
    ~FontRestore() { dc_.selectFont(previous_); }
    FontRestore(const FontRestore&) = delete;
    FontRestore& operator=(const FontRestore&) = delete;

private:
    ovCanvas& dc_;
    const ovFont* previous_;
};
} // namespace

namespace {
// The first face (largest first) in which `stands` says the text stands.
template <class Stands>
const ovFont* firstFace(ovCanvas& dc, std::span<const ovFont* const> faces, Stands stands) {
    const FontRestore restore(dc);
    for (const ovFont* face : faces) {
        if (face == nullptr)
            continue;
        dc.selectFont(face);
        if (stands(*face))
            return face;
    }
    return nullptr;
}
} // namespace

const ovFont* ovFaceForLine(ovCanvas& dc, std::u16string_view text, std::span<const ovFont* const> faces,
                            const ovRect& field) {
    return firstFace(dc, faces, [&](const ovFont& face) {
        return dc.measureText(text) <= ovTextRoom(field) && face.lineHeight() <= field.bottom - field.top;
    });
}

const ovFont* ovFaceForBlock(ovCanvas& dc, std::u16string_view text, std::span<const ovFont* const> faces,
                             const ovRect& field) {
    return firstFace(dc, faces, [&](const ovFont&) {
        const ovCanvas::Block block = dc.measureWrapped(text, ovTextRoom(field));
        return block.wordsWhole && block.height <= field.bottom - field.top;
    });
}

size_t ovFittingHead(const ovCanvas& dc, std::u16string_view text, int width) {
    return fitting(dc, text, width, true);
}

size_t ovFittingTail(const ovCanvas& dc, std::u16string_view text, int width) {
    return fitting(dc, text, width, false);
}

ovFittedLine ovFitLine(ovCanvas& dc, std::initializer_list<std::u16string_view> forms,
                       std::initializer_list<const ovFont*> faces, const ovRect& field, ovCutAt cut,
                       ovFixedText<512>& scratch) {
    const std::span<const ovFont* const> faceList(faces.begin(), faces.size());
    for (const std::u16string_view form : forms)
        if (const ovFont* face = ovFaceForLine(dc, form, faceList, field))
            return {face, form};
    if (faces.size() == 0 || forms.size() == 0)
        return {};
    const ovFont* smallest = *(faces.end() - 1);
    const std::u16string_view last = *(forms.end() - 1);
    const FontRestore restore(dc);
    dc.selectFont(smallest);
    const int room = ovTextRoom(field);
    scratch.clear();
    if (cut == ovCutAt::End) {
        scratch.append(last.substr(0, ovFittingHead(dc, last, room)));
        scratch.append(ovTextCut);
    } else {
        scratch.append(ovTextCut);
        scratch.append(last.substr(last.size() - ovFittingTail(dc, last, room)));
    }
    return {smallest, scratch.view()};
}
