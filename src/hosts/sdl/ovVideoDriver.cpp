#include "hosts/sdl/ovVideoDriver.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <wayland-client.h>

namespace {
struct DisplayCloser {
    void operator()(wl_display* d) const { wl_display_disconnect(d); }
};
struct RegistryCloser {
    void operator()(wl_registry* r) const { wl_registry_destroy(r); }
};

void onGlobal(void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
    if (std::strcmp(interface, "wl_seat") == 0)
        *static_cast<bool*>(data) = true;
}
void onGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kListener = {onGlobal, onGlobalRemove};

bool set(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// Where libwayland-client would connect: $WAYLAND_DISPLAY (a name in the runtime folder
// or an absolute path), else wayland-0 in the runtime folder.
bool compositorReachable() {
    if (set("WAYLAND_DISPLAY") || set("WAYLAND_SOCKET"))
        return true;
    if (!set("XDG_RUNTIME_DIR"))
        return false;
    struct stat info {};
    const std::string socket = std::string(std::getenv("XDG_RUNTIME_DIR")) + "/wayland-0";
    return stat(socket.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}
} // namespace

ovResult<> ovWaylandSeatOffered() {
    const std::unique_ptr<wl_display, DisplayCloser> display(wl_display_connect(nullptr));
    if (!display)
        return ovFail("cannot connect to the Wayland compositor");
    const std::unique_ptr<wl_registry, RegistryCloser> registry(wl_display_get_registry(display.get()));
    if (!registry)
        return ovFail("the Wayland compositor gives no list of its globals");
    bool seat = false;
    wl_registry_add_listener(registry.get(), &kListener, &seat);
    if (wl_display_roundtrip(display.get()) < 0)
        return ovFail("the Wayland compositor did not answer");
    if (!seat)
        return ovFail("the Wayland compositor offers no input seat (wl_seat)");
    return {};
}

ovResult<ovVideoDriverChoice> ovChooseVideoDriver() {
    ovVideoDriverChoice choice;
    // The user's word wins.
    if (set("SDL_VIDEODRIVER") || !compositorReachable())
        return choice;
    const ovResult<> seat = ovWaylandSeatOffered();
    if (seat) {
        // X11 stays as the way out should the Wayland driver still not start.
        choice.driver = set("DISPLAY") ? "wayland,x11" : "wayland";
        return choice;
    }
    if (set("DISPLAY")) {
        choice.driver = "x11";
        choice.warning = seat.reason() + "; using X11 instead";
        return choice;
    }
    return ovFail(seat.reason() + ", and DISPLAY is not set for X11: no display to show the window on");
}
