#pragma once
// One pointer message: the press, a move while pressed, or the release, at a point in
// pixels of the program's screen rectangle. Each host turns its own input (a script
// line, a mouse button, a finger) into these once; the window chrome and the shell
// pass them on as they are. The window's bars lie outside the screen rectangle: the
// top bar at negative y, the soft-key bar below its bottom edge.
#include "gfx/ovGeometry.h"

struct ovPointerEvent {
    enum Kind { Down, Move, Up };
    Kind kind = Down;
    ovPoint point;

    bool pressed() const { return kind != Up; }
};
