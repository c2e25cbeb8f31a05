#pragma once
// SDL itself: initialised by the constructor of the one owner, shut down by its
// destructor, so nothing of SDL outlives the host that used it.
#include "base/ovResult.h"
#include <SDL.h>

#include <memory>
#include <string>

class ovSdlLibrary {
public:
    // Initialises the subsystems; nullptr with SDL's reason when it cannot (for the
    // video subsystem: there is no display to show a window on).
    static ovResult<std::unique_ptr<ovSdlLibrary>> open(Uint32 subsystems);
    ~ovSdlLibrary();
    ovSdlLibrary(const ovSdlLibrary&) = delete;
    ovSdlLibrary& operator=(const ovSdlLibrary&) = delete;

    // The video driver in use ("x11", "wayland", "dummy", ...).
    std::string videoDriver() const;
    // True when SDL fell back to a driver that shows nothing ("offscreen", "dummy")
    // without being asked for it through SDL_VIDEODRIVER: there is no display.
    bool fellBackToNoDisplay() const;

private:
    ovSdlLibrary() = default;
};

// Owners of the SDL objects the window host creates.
struct ovSdlWindowDeleter {
    void operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }
};
struct ovSdlRendererDeleter {
    void operator()(SDL_Renderer* r) const { SDL_DestroyRenderer(r); }
};
struct ovSdlTextureDeleter {
    void operator()(SDL_Texture* t) const { SDL_DestroyTexture(t); }
};
using ovSdlWindowPtr = std::unique_ptr<SDL_Window, ovSdlWindowDeleter>;
using ovSdlRendererPtr = std::unique_ptr<SDL_Renderer, ovSdlRendererDeleter>;
using ovSdlTexturePtr = std::unique_ptr<SDL_Texture, ovSdlTextureDeleter>;
