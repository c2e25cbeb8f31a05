#include "ovProgram.h"

#include "ovSystem.h"

ovProgram::ovProgram(ovSystem& system, ovShellHost& host)
    : system_(system), lastTickSeconds_(ovShell::secondsOf(system.clock().tickCount())) {
    app_ = std::make_unique<ovApp>(system);
    fonts_ = std::make_unique<ovFontSet>(system);
    shell_ = std::make_unique<ovShell>(*app_, system, host, lastTickSeconds_);
}

ovProgram::~ovProgram() {
    shell_.reset();
    fonts_.reset();
    app_.reset();
}

void ovProgram::start() {
    app_->orientationCheck();
    shell_->onCreate();
    shell_->onPaint();
}
