#pragma once
// Texts in fields of a fixed size. A screen's fields are fractions of the screen, its
// faces grow with the longer side; on a tall narrow screen a text may not stand in its
// field in the face it was meant for. These find the largest face in which it stands
// whole, and where none does, the part of it that fits with "..." in place of the rest:
// a text is made smaller or shorter, never cut through a letter at the field's edge.
#include "base/ovFixedText.h"
#include "gfx/ovGeometry.h"

#include <cstddef>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

class ovCanvas;
class ovFont;

// What is put in place of the part of a text that has no room.
inline constexpr std::u16string_view ovTextCut = u"...";

// The width a field offers a shadowed text: the shadow stands one pixel to the right.
inline int ovTextRoom(const ovRect& field) {
    return field.right - field.left - 1;
}

// The first of the faces (largest first) in which the text stands on one line inside
// the field; nullptr when it stands in none. The canvas's font is left as it was.
const ovFont* ovFaceForLine(ovCanvas& dc, std::u16string_view text, std::span<const ovFont* const> faces,
                            const ovRect& field);
// The first face in which the text, word-wrapped to the field's width, breaks no word
// and stays inside the field's height; nullptr when none.
const ovFont* ovFaceForBlock(ovCanvas& dc, std::u16string_view text, std::span<const ovFont* const> faces,
                             const ovRect& field);

// How many code units from the text's start stand, followed by ovTextCut, in the width
// in the canvas's font; the whole length when the text fits by itself.
size_t ovFittingHead(const ovCanvas& dc, std::u16string_view text, int width);
// How many code units from the text's end stand, after ovTextCut, in the width.
size_t ovFittingTail(const ovCanvas& dc, std::u16string_view text, int width);

// Which end of a text gives way when no face is small enough for it whole: a name
// loses its end; a text being typed its start, so the letters just typed stay in view.
enum class ovCutAt { End, Start };

// How a text is shown in a one-line field: the face, and the text (one of the forms,
// or the last form cut with ovTextCut, kept in the caller's scratch field).
struct ovFittedLine {
    const ovFont* face = nullptr;
    std::u16string_view text;
};
// The first form (longest first) that stands in one of the faces (largest first);
// where none does, the last form in the last face, cut at `cut`.
ovFittedLine ovFitLine(ovCanvas& dc, std::initializer_list<std::u16string_view> forms,
                       std::initializer_list<const ovFont*> faces, const ovRect& field, ovCutAt cut,
                       ovFixedText<512>& scratch);

// The face a choice made for a text in a field, remembered, so that a screen drawn
// frame after frame measures its text again only when the text or the field changes.
class ovFaceMemo {
public:
    template <class Choose> const ovFont* face(std::u16string_view text, const ovRect& field, Choose choose) {
        if (!chosen_ || text != text_ || !(field == field_)) {
            face_ = choose();
            text_ = text;
            field_ = field;
            chosen_ = true;
        }
        return face_;
    }

private:
    std::u16string text_;
    ovRect field_{};
    const ovFont* face_ = nullptr;
    bool chosen_ = false;
};
