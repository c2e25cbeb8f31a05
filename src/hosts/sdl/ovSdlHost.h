#pragma once
// The window host: one SDL window of the device's screen size showing the window
// chrome around the program's back buffer, a 10 ms timer kept on the main thread,
// mouse and touch turned into the pointer messages, Ctrl+Q and Ctrl+A.
#include "hosts/common/ovOptions.h"
#include "hosts/common/ovWindowChrome.h"
#include "hosts/sdl/ovSdlLibrary.h"
#include "hosts/sdl/ovSdlSystem.h"
#include "program/ovProgram.h"
#include "services/notify/ovDbusNotifier.h"

#include <SDL.h>

#include <memory>
#include <string>

class ovSingleInstance;

class ovSdlHost final : public ovShellHost {
public:
    // Creates the program on the system's services and the store in storeFile (none
    // when empty). This runs the orientation check: on a landscape screen it shows the
    // message and the host is closed at once with exit code 1. SDL's video subsystem
    // must be running; no window exists yet.
    explicit ovSdlHost(ovSdlSystem& system, const std::string& storeFile = {},
                       const ovProgramFolders& folders = {});
    ~ovSdlHost() override;
    ovSdlHost(const ovSdlHost&) = delete;
    ovSdlHost& operator=(const ovSdlHost&) = delete;

    // Creates the (still hidden) window of the screen's size, its renderer and texture.
    // Refused with the reason when SDL cannot.
    ovResult<> openWindow();
    // The same in a window made beforehand (ovOpenSdlWindow), full screen or not.
    ovResult<> openWindow(ovSdlWindowPtr window, ovSdlRendererPtr renderer);
    // What the entry point does once the window exists: the orientation check, the
    // timer, the first paint; then the window is shown and brought forward.
    void start();
    // The message loop. Returns the exit code once the window has been closed;
    // raise requests of a second start arrive through `instance`.
    int run(ovSingleInstance* instance = nullptr);

    // One event as the loop hands it over; a test may feed events itself.
    void handleEvent(const SDL_Event& event);
    // One timer message.
    void tick();
    bool closed() const { return closed_; }
    // What run() returns: 0, or 1 once the screen was refused as landscape.
    int exitCode() const { return exitCode_; }
    // Shows the window and brings it to the front.
    void raise();

    ovProgram& program() { return *program_; }
    ovWindowChrome& chrome() { return *chrome_; }
    SDL_Window* window() { return window_.get(); }
    int presents() const { return presents_; }
    int raises() const { return raises_; }

    // Window pixels of the chrome for a position in the SDL window, false when the
    // position is beside the shown frame (the window was made larger than the screen).
    bool toFramePixels(double windowX, double windowY, int& x, int& y) const;

    bool createTimer() override;
    void presentFrame(const ovFramebuffer& frame) override;
    void closeWindow() override;
    void showAbout() override;

private:
    void present();
    void presentIfChanged();
    void updateViewport();
    void windowEvent(const SDL_WindowEvent& event);
    void keyDown(const SDL_KeyboardEvent& event);
    void pointer(ovPointerEvent::Kind kind, double windowX, double windowY);

    ovSdlSystem& system_;
    ovDbusNotifier notifier_{"Orvida"};
    std::unique_ptr<ovProgram> program_;
    std::unique_ptr<ovWindowChrome> chrome_;
    ovSdlWindowPtr window_;
    ovSdlRendererPtr renderer_;
    ovSdlTexturePtr texture_;
    SDL_Rect viewport_{}; // where the frame lies in the window, in window coordinates

    bool closed_ = false;
    int exitCode_ = 0;
    bool timerOn_ = false;
    Uint64 nextTickMs_ = 0;

    // One pointer at a time: the mouse's left button or the first finger down.
    enum class Pointer { None, Mouse, Finger };
    Pointer pointer_ = Pointer::None;
    SDL_TouchID touchId_ = 0;
    SDL_FingerID fingerId_ = 0;

    int presents_ = 0;
    int raises_ = 0;
};

// A hidden window of width x height window units (on a high-density display more
// pixels), or filling the display; with its renderer. Refused with SDL's reason.
struct ovSdlWindowParts {
    ovSdlWindowPtr window;
    ovSdlRendererPtr renderer;
};
ovResult<ovSdlWindowParts> ovOpenSdlWindow(int width, int height, bool fullScreen);

// `orvida` with a window: returns the process exit code.
int ovRunWindow(const ovOptions& options);
