#include "pickers/ovKeyHit.h"

#include "pickers/ovKeyboardLayout.h"
#include "shell/ovApp.h"
#include "shell/ovScreenGeometry.h"

ovKeyHit lookupKeyOn(ovPoint point, int boardMode, int right, int bottom) {
    ovKeyHit hit;
    const ovKeyboardLayout::ovBoard keys = ovKeyboardLayout::board(boardMode);
    for (int i = 0; i < keys.count; ++i) {
        const ovKeyArea& area = keys.areas[i];
        const ovRect r = ovKeyboardLayout::areaRect(area, right, bottom);
        if (!pointInRect(point, r.left, r.top, r.right, r.bottom))
            continue;
        // The sliver that the integer division leaves at a row's right end is no key.
        const int column = columnAt(r.left, r.top, r.right, r.bottom, area.count, point);
        if (column < 0 || column >= area.count)
            continue;
        const ovKeyCap& key = area.keys[column];
        hit.kind = ovKeyboardLayout::keyKind(area, column);
        hit.code = key.code;
        if (key.text != 0)
            hit.keyText = std::u16string_view(&key.text, 1);
        return hit;
    }
    return hit;
}

ovKeyHit lookupKey(int x, int y, int boardMode) {
    const ovApp* app = ovApp::instance();
    if (app == nullptr)
        return {};
    return lookupKeyOn({x, y}, boardMode, app->screenRect.right, app->screenRect.bottom);
}
