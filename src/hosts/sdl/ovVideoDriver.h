#pragma once
// Which of SDL's video drivers the window runs on. SDL 2.26 takes X11 whenever DISPLAY
// is set, also under Xwayland; where a Wayland compositor runs we choose its driver
// ourselves. Before that we look whether the compositor offers an input seat: SDL
// 2.26's Wayland driver crashes inside SDL_Init on a compositor without one.
#include "base/ovResult.h"

#include <string>

struct ovVideoDriverChoice {
    std::string driver;  // the hint for SDL_VIDEODRIVER; empty: SDL's own choice
    std::string warning; // a word for stderr about the choice, or empty
};

// Reads the environment (SDL_VIDEODRIVER, WAYLAND_DISPLAY, XDG_RUNTIME_DIR, DISPLAY)
// and, where a compositor is reachable, asks it for its globals. Refused with the
// reason when a Wayland compositor without a seat is the only display there is.
ovResult<ovVideoDriverChoice> ovChooseVideoDriver();

// True when the Wayland compositor the environment names answers and offers a wl_seat;
// false with the reason otherwise.
ovResult<> ovWaylandSeatOffered();
