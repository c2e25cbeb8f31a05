#pragma once
// The logic of the program's window: how timer, pointer, paint, size and command
// messages reach the application. The hosts (window or script) turn their events
// into these calls and show the frames this hands them.
#include "shell/ovApp.h"
#include "shell/ovPointerEvent.h"

class ovFontSet;
class ovFramebuffer;
class ovSystem;

// What the shell needs from the host that owns the window.
class ovShellHost {
public:
    virtual ~ovShellHost() = default;
    // Creates the 10 ms timer; false when it could not be created.
    virtual bool createTimer() = 0;
    // The back buffer was drawn: show it at the top-left of the program's screen area.
    virtual void presentFrame(const ovFramebuffer& frame) = 0;
    // Close the window (the Exit command).
    virtual void closeWindow() = 0;
    // Show the About box modally.
    virtual void showAbout() = 0;
};

class ovShell final : public ovAppWindow {
public:
    // lastTickSeconds: the tick count in seconds taken before the program's objects
    // were created, so that the first timer message measures the start-up. fonts: the
    // program's font set, which exists before the first paint reads it.
    ovShell(ovApp& app, ovSystem& system, ovShellHost& host, const ovFontSet& fonts, float lastTickSeconds);
    ~ovShell() override;

    void onCreate();
    // False when the new size is refused (landscape): the host then ends the program
    // with exit code 1.
    bool onSize();
    void onTimer();
    // A pointer message at a point of the screen rectangle.
    void onPointer(const ovPointerEvent& event);
    // True when the command is one of the program's.
    bool onCommand(int id);
    void onPaint();

    void repaintNow() override { onPaint(); }

    bool timerCreated() const { return timerCreated_; }
    float tickDelta() const { return tickDelta_; }
    float tickTotal() const { return tickTotal_; }

    // Seconds of a tick count, in single precision as the whole program keeps time.
    static float secondsOf(uint32_t tickCount);
    static constexpr float secondsPerTick = 0.001f;

private:
    ovApp& app_;
    ovSystem& system_;
    ovShellHost& host_;
    const ovFontSet& fonts_;
    bool timerCreated_ = false;
    float lastTickSeconds_;
    float tickDelta_ = 0.0f;
    float tickTotal_ = 0.0f;
};
