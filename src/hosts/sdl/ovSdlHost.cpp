#include "hosts/sdl/ovSdlHost.h"

#include "hosts/common/ovSingleInstance.h"
#include "hosts/common/ovStopSignals.h"
#include "hosts/sdl/ovVideoDriver.h"
#include "resources/ovResources.h"
#include "shell/ovPaths.h"
#include "system/ovPaths.h"
#include "system/ovUtf.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {
constexpr Uint64 kTimerPeriodMs = 10;
// How often the loop looks for a second start knocking, in milliseconds.
constexpr Uint64 kRaisePollMs = 100;
// The loop's longest sleep when no timer runs.
constexpr int kIdleWaitMs = 100;
// The longest sleep between two looks at the event queue: one timer period, since the
// screen answers input on its ticks anyway.
constexpr int kPollSleepMs = static_cast<int>(kTimerPeriodMs);
} // namespace

ovSdlHost::ovSdlHost(ovSdlSystem& system, const std::string& storeFile, const ovProgramFolders& folders)
    : system_(system) {
    program_ = std::make_unique<ovProgram>(system_, *this, storeFile, nullptr, folders);
    if (program_->refused()) {
        exitCode_ = ovProgram::refusedExitCode;
        closed_ = true;
        return;
    }
    chrome_ =
        std::make_unique<ovWindowChrome>(program_->app(), program_->shell(), program_->fonts(), system_);
}

ovSdlHost::~ovSdlHost() {
    // The program goes first: nothing may present into a window that is gone.
    chrome_.reset();
    program_.reset();
    texture_.reset();
    renderer_.reset();
    window_.reset();
}

ovResult<ovSdlWindowParts> ovOpenSdlWindow(int width, int height, bool fullScreen) {
    const std::string title = ovToUtf8(ovLoadString(ovIdsAppTitle));
    // Hidden until the first frame is in it, so the window never shows garbage. On a
    // high-density display the window has more pixels than units: we draw them all.
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
    if (fullScreen)
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    ovSdlWindowParts parts;
    parts.window.reset(SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                        width, height, flags));
    if (!parts.window)
        return ovFail(std::string("cannot create the window: ") + SDL_GetError());
    parts.renderer.reset(SDL_CreateRenderer(parts.window.get(), -1, 0));
    if (!parts.renderer)
        parts.renderer.reset(SDL_CreateRenderer(parts.window.get(), -1, SDL_RENDERER_SOFTWARE));
    if (!parts.renderer)
        return ovFail(std::string("cannot draw into the window: ") + SDL_GetError());
    return parts;
}

ovResult<> ovSdlHost::openWindow() {
    ovResult<ovSdlWindowParts> parts = ovOpenSdlWindow(chrome_->width(), chrome_->height(), false);
    if (!parts)
        return ovFail(parts.reason());
    ovSdlWindowParts made = parts.take();
    return openWindow(std::move(made.window), std::move(made.renderer));
}

ovResult<> ovSdlHost::openWindow(ovSdlWindowPtr window, ovSdlRendererPtr renderer) {
    window_ = std::move(window);
    renderer_ = std::move(renderer);
    // 0x00BBGGRR pixels are XBGR8888 words, whatever the byte order.
    texture_.reset(SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_XBGR8888, SDL_TEXTUREACCESS_STREAMING,
                                     chrome_->width(), chrome_->height()));
    if (!texture_)
        return ovFail(std::string("cannot create the window's picture: ") + SDL_GetError());
    updateViewport();
    return {};
}

void ovSdlHost::start() {
    if (!program_->start()) {
        exitCode_ = ovProgram::refusedExitCode;
        closeWindow();
        return;
    }
    // A reminder the desktop cannot show stays in the title bar until the window is touched.
    program_->startReminders(notifier_, [this](const ovNotification& shown, bool delivered) {
        if (!delivered)
            chrome_->showNotice(ovToUtf16(shown.summary + " - " + shown.body));
    });
    present();
    if (window_) {
        SDL_ShowWindow(window_.get());
        SDL_RaiseWindow(window_.get());
        present();
    }
}

bool ovSdlHost::createTimer() {
    // Kept by the loop on the main thread, where every timer message must be handled.
    timerOn_ = true;
    nextTickMs_ = SDL_GetTicks64() + kTimerPeriodMs;
    return true;
}

void ovSdlHost::presentFrame(const ovFramebuffer& frame) {
    if (chrome_)
        chrome_->frameDrawn(frame);
}

void ovSdlHost::closeWindow() {
    closed_ = true;
    if (window_)
        SDL_HideWindow(window_.get());
}

void ovSdlHost::showAbout() {
    chrome_->openAbout();
}

void ovSdlHost::raise() {
    ++raises_;
    system_.debugOutput("orvida: a second start asked for the window\n");
    if (!window_)
        return;
    if ((SDL_GetWindowFlags(window_.get()) & SDL_WINDOW_MINIMIZED) != 0)
        SDL_RestoreWindow(window_.get());
    SDL_ShowWindow(window_.get());
    SDL_RaiseWindow(window_.get());
}

// ---------------------------------------------------------------------------------
// Showing the window

void ovSdlHost::updateViewport() {
    const int w = chrome_->width();
    const int h = chrome_->height();
    int ww = w;
    int wh = h;
    if (window_)
        SDL_GetWindowSize(window_.get(), &ww, &wh);
    if (ww <= 0 || wh <= 0 || (ww == w && wh == h)) {
        viewport_ = {0, 0, w, h};
        return;
    }
    // A window made another size by the window manager shows the screen whole, scaled
    // and centred, never cropped or stretched out of shape.
    const double scale = std::min(static_cast<double>(ww) / w, static_cast<double>(wh) / h);
    const int vw = std::max(1, static_cast<int>(std::lround(w * scale)));
    const int vh = std::max(1, static_cast<int>(std::lround(h * scale)));
    viewport_ = {(ww - vw) / 2, (wh - vh) / 2, vw, vh};
}

bool ovSdlHost::toFramePixels(double windowX, double windowY, int& x, int& y) const {
    const int w = chrome_->width();
    const int h = chrome_->height();
    x = static_cast<int>(std::floor((windowX - viewport_.x) * w / std::max(1, viewport_.w)));
    y = static_cast<int>(std::floor((windowY - viewport_.y) * h / std::max(1, viewport_.h)));
    return x >= 0 && y >= 0 && x < w && y < h;
}

void ovSdlHost::present() {
    if (!renderer_ || !texture_)
        return;
    const ovFramebuffer& frame = chrome_->dirty() ? chrome_->compose() : chrome_->frame();
    SDL_UpdateTexture(texture_.get(), nullptr, frame.data(),
                      frame.width() * static_cast<int>(sizeof(uint32_t)));
    // The viewport is in window coordinates; the renderer may have more pixels.
    int ww = 0, wh = 0, ow = 0, oh = 0;
    SDL_GetWindowSize(window_.get(), &ww, &wh);
    SDL_GetRendererOutputSize(renderer_.get(), &ow, &oh);
    const double sx = ww > 0 ? static_cast<double>(ow) / ww : 1.0;
    const double sy = wh > 0 ? static_cast<double>(oh) / wh : 1.0;
    const SDL_Rect target{
        static_cast<int>(std::lround(viewport_.x * sx)), static_cast<int>(std::lround(viewport_.y * sy)),
        static_cast<int>(std::lround(viewport_.w * sx)), static_cast<int>(std::lround(viewport_.h * sy))};
    SDL_SetRenderDrawColor(renderer_.get(), 0, 0, 0, 255);
    SDL_RenderClear(renderer_.get());
    SDL_RenderCopy(renderer_.get(), texture_.get(), nullptr, &target);
    SDL_RenderPresent(renderer_.get());
    ++presents_;
}

void ovSdlHost::presentIfChanged() {
    if (chrome_->dirty())
        present();
}

// ---------------------------------------------------------------------------------
// Events

void ovSdlHost::tick() {
    if (closed_)
        return;
    program_->onTimer();
    chrome_->tick();
    presentIfChanged();
}

void ovSdlHost::handleEvent(const SDL_Event& event) {
    if (closed_)
        return;
    switch (event.type) {
    case SDL_QUIT:
        // The window's close button or a polite kill: the window closes as with Exit.
        closeWindow();
        return;
    case SDL_WINDOWEVENT:
        if (window_ && event.window.windowID == SDL_GetWindowID(window_.get()))
            windowEvent(event.window);
        break;
    case SDL_KEYDOWN:
        keyDown(event.key);
        break;
    // Mouse events that SDL makes up from touches are left out: the fingers come on
    // their own, and each touch must reach the program once.
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.which != SDL_TOUCH_MOUSEID && event.button.button == SDL_BUTTON_LEFT &&
            pointer_ == Pointer::None) {
            pointer_ = Pointer::Mouse;
            pointer(ovPointerEvent::Down, event.button.x, event.button.y);
        }
        break;
    case SDL_MOUSEMOTION:
        // A mouse that merely hovers is no finger on the screen.
        if (event.motion.which != SDL_TOUCH_MOUSEID && pointer_ == Pointer::Mouse)
            pointer(ovPointerEvent::Move, event.motion.x, event.motion.y);
        break;
    case SDL_MOUSEBUTTONUP:
        if (event.button.which != SDL_TOUCH_MOUSEID && event.button.button == SDL_BUTTON_LEFT &&
            pointer_ == Pointer::Mouse) {
            pointer_ = Pointer::None;
            pointer(ovPointerEvent::Up, event.button.x, event.button.y);
        }
        break;
    case SDL_FINGERDOWN:
    case SDL_FINGERMOTION:
    case SDL_FINGERUP: {
        const SDL_TouchFingerEvent& f = event.tfinger;
        int ww = chrome_->width(), wh = chrome_->height();
        if (window_)
            SDL_GetWindowSize(window_.get(), &ww, &wh);
        // Touch positions come as fractions of the window; one finger is the pointer.
        const double x = f.x * std::max(0, ww - 1);
        const double y = f.y * std::max(0, wh - 1);
        if (event.type == SDL_FINGERDOWN) {
            if (pointer_ != Pointer::None)
                break;
            pointer_ = Pointer::Finger;
            touchId_ = f.touchId;
            fingerId_ = f.fingerId;
            pointer(ovPointerEvent::Down, x, y);
        } else if (pointer_ == Pointer::Finger && f.touchId == touchId_ && f.fingerId == fingerId_) {
            if (event.type == SDL_FINGERMOTION) {
                pointer(ovPointerEvent::Move, x, y);
            } else {
                pointer_ = Pointer::None;
                pointer(ovPointerEvent::Up, x, y);
            }
        }
        break;
    }
    default:
        break;
    }
    if (!closed_)
        presentIfChanged();
}

void ovSdlHost::windowEvent(const SDL_WindowEvent& event) {
    switch (event.event) {
    case SDL_WINDOWEVENT_EXPOSED:
        present();
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        // A window turned wider than tall is a rotated device: the orientation check
        // refuses it and the program ends.
        system_.setWindowSize(event.data1, event.data2);
        if (!program_->shell().onSize()) {
            exitCode_ = ovProgram::refusedExitCode;
            closeWindow();
            break;
        }
        updateViewport();
        present();
        break;
    case SDL_WINDOWEVENT_CLOSE:
        closeWindow();
        break;
    default:
        break;
    }
}

void ovSdlHost::keyDown(const SDL_KeyboardEvent& event) {
    if (event.repeat != 0)
        return;
    const SDL_Keycode sym = event.keysym.sym;
    const Uint16 mod = event.keysym.mod;
    const int virtualKey = sym >= SDLK_a && sym <= SDLK_z ? 'A' + (sym - SDLK_a) : 0;
    if (virtualKey != 0 && chrome_->acceleratorKey(virtualKey, (mod & KMOD_CTRL) != 0,
                                                   (mod & KMOD_SHIFT) != 0, (mod & KMOD_ALT) != 0))
        return;
    if (sym == SDLK_RETURN || sym == SDLK_KP_ENTER)
        chrome_->confirmKey();
    else if (sym == SDLK_ESCAPE || sym == SDLK_AC_BACK)
        chrome_->cancelKey();
}

void ovSdlHost::pointer(ovPointerEvent::Kind kind, double windowX, double windowY) {
    int x = 0, y = 0;
    if (!toFramePixels(windowX, windowY, x, y) && kind == ovPointerEvent::Down) {
        // A press beside the shown screen belongs to nobody, nor does its release.
        pointer_ = Pointer::None;
        return;
    }
    // The one translation: from the window's pixels to the screen rectangle's.
    const ovRect& area = chrome_->screenArea();
    chrome_->pointer({kind, {x - area.left, y - area.top}});
}

int ovSdlHost::run(ovSingleInstance* instance) {
    Uint64 nextRaisePoll = 0;
    while (!closed_) {
        if (ovStopSignals::requested()) {
            // SIGTERM or SIGINT: closed as Exit closes it, so the store is closed on the way out.
            system_.debugOutput("orvida: asked to stop by a signal\n");
            closeWindow();
            break;
        }
        const Uint64 now = SDL_GetTicks64();
        int wait = kIdleWaitMs;
        if (timerOn_)
            wait = nextTickMs_ > now ? static_cast<int>(std::min<Uint64>(nextTickMs_ - now, kIdleWaitMs)) : 0;
        // Polled and slept rather than waited on: SDL 2.26's wait wakes itself with an X
        // message to the window, and one sent while the window closes reached a window
        // the server no longer knew, which made Xlib end the program with exit code 1
        // after a clean Ctrl+Q.
        SDL_Event event;
        bool handled = false;
        while (!closed_ && SDL_PollEvent(&event) != 0) {
            handleEvent(event);
            handled = true;
        }
        if (closed_)
            break;
        if (!handled && wait > 0)
            SDL_Delay(static_cast<Uint32>(std::min(wait, kPollSleepMs)));
        const Uint64 later = SDL_GetTicks64();
        if (timerOn_ && later >= nextTickMs_) {
            // Like the platform's timer message, a late tick comes once, not as a burst.
            nextTickMs_ += kTimerPeriodMs;
            if (nextTickMs_ <= later)
                nextTickMs_ = later + kTimerPeriodMs;
            tick();
        }
        if (instance != nullptr && later >= nextRaisePoll) {
            nextRaisePoll = later + kRaisePollMs;
            if (instance->pollRaiseRequest())
                raise();
        }
    }
    return exitCode_;
}

// ---------------------------------------------------------------------------------
// The entry point with a window

int ovRunWindow(const ovOptions& options) {
    // Ours from the start, before SDL would put its own in place: a stop request must
    // also end a message box, which SDL's would not.
    const ovStopSignals stopSignals;
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // X11 names a window's class after the executable unless told; desktops match the
    // class name to the desktop file.
    const std::string windowClass = ovToUtf8(ovLoadString(ovIdsWindowClass));
    setenv("SDL_VIDEO_X11_WMCLASS", windowClass.c_str(), 0);
    // A front end left open must not keep the screen from blanking.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_APP_NAME, windowClass.c_str());

    // Wayland where a compositor with a seat runs, X11 otherwise; never SDL's crash on a
    // compositor without a seat.
    const ovResult<ovVideoDriverChoice> driver = ovChooseVideoDriver();
    if (!driver) {
        std::fprintf(stderr, "orvida: %s\n", driver.reason().c_str());
        return 3;
    }
    if (!driver.value().warning.empty())
        std::fprintf(stderr, "orvida: %s\n", driver.value().warning.c_str());
    if (!driver.value().driver.empty())
        SDL_SetHint(SDL_HINT_VIDEODRIVER, driver.value().driver.c_str());

    ovResult<std::unique_ptr<ovSdlLibrary>> opened = ovSdlLibrary::open(SDL_INIT_VIDEO);
    std::string error = opened ? std::string() : opened.reason();
    std::unique_ptr<ovSdlLibrary> sdl = opened ? opened.take() : nullptr;
    if (sdl && sdl->fellBackToNoDisplay()) {
        error = std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr
                    ? "DISPLAY and WAYLAND_DISPLAY are not set"
                    : "SDL found no display to open, only its " + sdl->videoDriver() + " driver";
        sdl.reset();
    }
    if (!sdl) {
        std::fprintf(
            stderr,
            "orvida: no display available (%s); use --headless --script FILE to run without a window\n",
            error.c_str());
        return 3;
    }
    // The running copy owns the store: a second start only asks it to show itself, and
    // does not open the store beside it.
    ovSingleInstance instance;
    switch (instance.acquire()) {
    case ovSingleInstance::Role::Secondary:
        if (instance.requestRaise()) {
            if (options.debug)
                std::fputs("orvida: already running; asked it to show its window\n", stderr);
        } else {
            std::fprintf(stderr,
                         "orvida: already running, but it could not be asked to show its window (%s)\n",
                         instance.error().c_str());
        }
        return 0;
    case ovSingleInstance::Role::None:
        std::fprintf(stderr, "orvida: cannot make sure that only one copy runs (%s); starting anyway\n",
                     instance.error().c_str());
        break;
    case ovSingleInstance::Role::Primary:
        break;
    }

    // A display standing upright is a phone's or a turned monitor's: the program fills it.
    SDL_DisplayMode desktop{};
    const bool portraitDisplay = SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.h > desktop.w;
    const bool fullScreen = options.display == ovOptions::Display::FullScreen ||
                            (options.display == ovOptions::Display::Auto && portraitDisplay);
    ovResult<ovSdlWindowParts> parts =
        ovOpenSdlWindow(fullScreen ? desktop.w : options.screenWidth,
                        fullScreen ? desktop.h : options.screenHeight, fullScreen);
    if (!parts) {
        std::fprintf(stderr, "orvida: %s\n", parts.reason().c_str());
        return 3;
    }
    ovSdlWindowParts window = parts.take();
    // Drawn at the window's real pixel size, unless --screen asked for a size: then that
    // screen is shown whole, scaled to the window.
    ovScreenSize screen{options.screenWidth, options.screenHeight};
    int pixelsWide = 0, pixelsHigh = 0;
    if (!options.screenGiven &&
        SDL_GetRendererOutputSize(window.renderer.get(), &pixelsWide, &pixelsHigh) == 0 && pixelsWide > 0 &&
        pixelsHigh > 0)
        screen = {pixelsWide, pixelsHigh};

    ovSdlSystem system(screen, ovCurrentExecutableFile(), options.debug);
    ovSdlHost host(system, ovStoreFileFor(options),
                   ovProgramFolders{options.configDir, options.dataDir, true});
    if (host.program().refused())
        return host.exitCode();

    if (const ovResult<> opened = host.openWindow(std::move(window.window), std::move(window.renderer));
        !opened) {
        std::fprintf(stderr, "orvida: %s\n", opened.reason().c_str());
        return 3;
    }
    host.start();
    if (host.closed())
        return host.exitCode();
    system.debugOutput("orvida: window open, " + std::to_string(host.chrome().width()) + "x" +
                       std::to_string(host.chrome().height()) + (fullScreen ? " full screen" : "") + " on " +
                       sdl->videoDriver() + "\n");
    system.preloadSound(ovSoundPathFor(system.executableFile(), "open.wav"));
    return host.run(&instance);
}
