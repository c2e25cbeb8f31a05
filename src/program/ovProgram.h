#pragma once
// The program's long-lived objects, created in their fixed order and destroyed in
// the reverse one: the start-up tick, the store session, the application (which
// checks the orientation and builds the tree), the fonts, and the window logic. The
// fonts exist from here on, before anything is drawn.
#include "shell/ovApp.h"
#include "shell/ovAssembly.h"
#include "shell/ovFontSet.h"
#include "shell/ovShell.h"
#include "store/ovPoomSession.h"

#include <memory>

class ovSystem;

class ovProgram {
public:
    // storeFile: the store to log on to; a store that cannot be opened is reported by
    // the error box and the program runs without one. Empty: no store at all.
    // assembly: what the application is made of; Orvida's own unless a test brings one.
    ovProgram(ovSystem& system, ovShellHost& host, const std::string& storeFile = {},
              const ovAssembly* assembly = nullptr);
    ~ovProgram();
    ovProgram(const ovProgram&) = delete;
    ovProgram& operator=(const ovProgram&) = delete;

    // What the entry point does once the window exists: the orientation check, the
    // create message (timer) and the first paint. False when the screen was refused.
    bool start();

    // The screen is landscape: the message box has been shown, no fonts or window logic
    // exist, and the entry point ends the program with this exit code, so that the store
    // is logged off and closed on the way out.
    bool refused() const { return app_->landscapeRefused(); }
    static constexpr int refusedExitCode = 1;

    ovApp& app() { return *app_; }
    ovShell& shell() { return *shell_; }
    ovFontSet& fonts() { return *fonts_; }
    ovPoomSession& session() { return *session_; }

private:
    ovSystem& system_;
    float lastTickSeconds_;
    std::unique_ptr<ovPoomSession> session_;
    std::unique_ptr<ovApp> app_;
    std::unique_ptr<ovFontSet> fonts_;
    std::unique_ptr<ovShell> shell_;
};
