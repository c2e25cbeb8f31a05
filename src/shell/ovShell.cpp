#include "shell/ovShell.h"

#include "resources/ovResourceIds.h"
#include "shell/ovBackBuffer.h"
#include "shell/ovErrorBox.h"
#include "system/ovSystem.h"

float ovShell::secondsOf(uint32_t tickCount) {
    return static_cast<float>(tickCount) * secondsPerTick;
}

ovShell::ovShell(ovApp& app, ovSystem& system, ovShellHost& host, const ovFontSet& fonts,
                 float lastTickSeconds)
    : app_(app), system_(system), host_(host), fonts_(fonts), lastTickSeconds_(lastTickSeconds) {
    app_.setWindow(this);
}

ovShell::~ovShell() {
    app_.setWindow(nullptr);
}

void ovShell::onCreate() {
    if (!timerCreated_ && !host_.createTimer())
        showErrorBox(system_,
                     "The 10 ms timer could not be created; the screen will only follow the pointer.");
    timerCreated_ = true;
}

bool ovShell::onSize() {
    return app_.orientationCheck();
}

void ovShell::onTimer() {
    const float now = secondsOf(system_.clock().tickCount());
    tickDelta_ = now - lastTickSeconds_;
    // The tick count wraps after 2^32 ms (49.7 days); time still only moves forward.
    if (tickDelta_ < 0.0f)
        tickDelta_ += 4294967296.0f * secondsPerTick;
    tickTotal_ = tickTotal_ + tickDelta_;
    lastTickSeconds_ = now;
    app_.update(tickDelta_, tickTotal_);
}

void ovShell::onPointer(const ovPointerEvent& event) {
    app_.touch.x = event.point.x;
    app_.touch.y = event.point.y;
    app_.touch.pressed = event.pressed();
    // A pointer change is handled at once, with the times of the last tick, so that a
    // press and release between two ticks are both seen.
    app_.update(tickDelta_, tickTotal_);
}

bool ovShell::onCommand(int id) {
    switch (id) {
    case ovCmdExit:
        host_.closeWindow();
        return true;
    case ovCmdAbout:
        host_.showAbout();
        return true;
    case ovCmdToggleSounds:
        app_.soundsOn = !app_.soundsOn;
        return true;
    default:
        return false;
    }
}

void ovShell::onPaint() {
    app_.loadOnFirstPaint(system_, fonts_);
    ovBackBuffer& back = app_.backBuffer();
    if (!back.created())
        return;
    app_.drawFrame(back.canvas());
    host_.presentFrame(back.frame());
}
