// The letter and number boards, drawn from the key tables the keyboard hit-tests with.
#include "ovKeyboardPictures.h"

#include "ovPickerPictureStyle.h"
#include "ovPictureLabel.h"
#include "pickers/ovKeyboardLayout.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace {
using namespace ovPickerStyle;

// The part of an area that its board gives to it: where an earlier area of the table
// covers part of it, the earlier one wins the touch, so its face gives way too.
ovRect visiblePart(const ovPictureSize& s, const ovKeyboardLayout::ovBoard& keys, int index) {
    ovRect r = ovKeyboardLayout::areaRect(keys.areas[index], s.width, s.height);
    for (int i = 0; i < index; ++i) {
        const ovKeyArea& earlier = keys.areas[i];
        const ovRect e = ovKeyboardLayout::keyRect(earlier, 0, s.width, s.height);
        const ovRect last = ovKeyboardLayout::keyRect(earlier, earlier.count - 1, s.width, s.height);
        const ovRect covered{e.left, e.top, last.right, e.bottom};
        const bool overlapY = covered.top < r.bottom && r.top < covered.bottom;
        const bool overlapX = covered.left < r.right && r.left < covered.right;
        if (!overlapY || !overlapX)
            continue;
        // Give way along the side where less of the area is lost.
        const float shareX =
            static_cast<float>(std::min(r.right, covered.right) - std::max(r.left, covered.left)) /
            static_cast<float>(r.width());
        const float shareY =
            static_cast<float>(std::min(r.bottom, covered.bottom) - std::max(r.top, covered.top)) /
            static_cast<float>(r.height());
        if (shareY >= shareX) {
            if (covered.left <= r.left)
                r.left = std::max(r.left, covered.right);
            else
                r.right = std::min(r.right, covered.left);
        } else {
            if (covered.top <= r.top)
                r.top = std::max(r.top, covered.bottom);
            else
                r.bottom = std::min(r.bottom, covered.top);
        }
    }
    return r;
}

struct Fonts {
    std::unique_ptr<ovFont> character;
    std::unique_ptr<ovFont> action;
    std::unique_ptr<ovFont> small;
};

void drawBoard(ovPictureCanvas& c, const ovPictureSize& s, const ovKeyboardLayout::ovBoard& keys,
               const Fonts& fonts, bool bigKeys, const std::unique_ptr<ovFont>& digitFont) {
    c.fill(board);
    using namespace ovKeyboardLayout;
    drawField(c, s,
              {ovFracOf(s.width, textBoxLeft), ovFracOf(s.height, textBoxTop),
               ovFracOf(s.width, textBoxRight), ovFracOf(s.height, textBoxBottom)});
    for (int i = 0; i < keys.count; ++i) {
        const ovKeyArea& area = keys.areas[i];
        if (!area.shown)
            continue;
        for (int column = 0; column < area.count; ++column) {
            ovRect cell = keyRect(area, column, s.width, s.height);
            if (area.count == 1)
                cell = visiblePart(s, keys, i);
            const ovKeyCap& key = area.keys[column];
            const bool action = keyKind(area, column) == ovKeyAction;
            const bool ok = key.code == ovKeyOk;
            drawKeyFace(c, s, cell,
                        ok       ? okTop
                        : action ? actionTop
                                 : keyTop,
                        ok       ? okBottom
                        : action ? actionBottom
                                 : keyBottom);
            const float cx = (cell.left + cell.right) * 0.5f;
            const float cy = (cell.top + cell.bottom) * 0.5f;
            const std::u16string_view face = key.face;
            if (key.text == u' ')
                ovDrawLabel(c, *fonts.small, face, cx, cy, quietLabel);
            else if (action)
                ovDrawLabel(c, *fonts.action, face, cx, cy, ok ? darkLabel : label);
            else
                ovDrawLabel(c, bigKeys ? *digitFont : *fonts.character, face, cx, cy, label);
        }
    }
}
} // namespace

int ovMakeKeyboardPictures(const std::string& imagesFolder, const ovPictureSize& s, const char* only) {
    if (!ovPictureWanted(only, "inputkb.bmp") && !ovPictureWanted(only, "inputnum.bmp"))
        return 0;
    std::string error;
    Fonts fonts;
    fonts.character = ovOpenPictureFont(true, s.em(34), error);
    fonts.action = ovOpenPictureFont(true, s.em(26), error);
    fonts.small = ovOpenPictureFont(false, s.em(24), error);
    std::unique_ptr<ovFont> digits = ovOpenPictureFont(true, s.em(46), error);
    if (!fonts.character || !fonts.action || !fonts.small || !digits) {
        std::fprintf(stderr, "ov_picturegen: keyboard labels: %s\n", error.c_str());
        return 2;
    }
    int failures = 0;
    auto write = [&](const ovPictureCanvas& c, const char* name) {
        const ovResult<> why = c.write24(imagesFolder + "/" + name);
        if (!why) {
            std::fprintf(stderr, "ov_picturegen: %s\n", why.reason().c_str());
            ++failures;
        }
    };
    if (ovPictureWanted(only, "inputkb.bmp")) {
        ovPictureCanvas letters(s.width, s.height);
        drawBoard(letters, s, ovKeyboardLayout::board(ovKeyboardLayout::letterBoard), fonts, false, digits);
        write(letters, "inputkb.bmp");
    }
    if (ovPictureWanted(only, "inputnum.bmp")) {
        ovPictureCanvas numbers(s.width, s.height);
        drawBoard(numbers, s, ovKeyboardLayout::board(ovKeyboardLayout::numberBoard), fonts, true, digits);
        write(numbers, "inputnum.bmp");
    }
    return failures;
}
