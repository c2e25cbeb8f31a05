#pragma once

// Touch phases; buttons act on ovPhaseReleased.
enum ovTouchPhase {
    ovPhaseDown = 1,           // the first update of a press
    ovPhaseHeld = 2,           // later updates while the finger stays down
    ovPhaseReleased = 3,       // the first update after the finger was lifted
    ovPhaseIdle = 4,           // no touch
    ovPhaseReleasedSilent = 5, // like released, after a long press: no sound, no action
};

struct ovTouchState {
    int phase = ovPhaseIdle;
    bool pressed = false;
    int x = 0;
    int y = 0;
};
