#pragma once
// The key under a point of the screen, found in the order of the board's table.
#include "base/ovFixedText.h"
#include "gfx/ovGeometry.h"

struct ovKeyHit {
    int kind = 1;           // ovKeyKind: action (or no key), letter board or number board character
    int code = 0;           // 0: no key under the point
    ovFixedText<2> keyText; // the character of a character key; empty for action keys
};

// boardMode 1 is the letter board, 0 the number board; any other value finds no key.
// Uses the application's screen rectangle.
ovKeyHit lookupKey(int x, int y, int boardMode);
// The same on a screen rectangle with the given right and bottom edges.
ovKeyHit lookupKeyOn(ovPoint point, int boardMode, int right, int bottom);
