#pragma once
// The program's long-lived objects, created in their fixed order and destroyed in
// the reverse one: the start-up tick, the store session, the application (which
// checks the orientation and builds the tree), the fonts, and the window logic.
#include "ovApp.h"
#include "ovFontSet.h"
#include "ovPoomSession.h"
#include "ovShell.h"

#include <memory>

class ovSystem;

class ovProgram {
public:
    // storeFile: the store to log on to; a store that cannot be opened is reported by
    // the error box and the program runs without one. Empty: no store at all.
    ovProgram(ovSystem& system, ovShellHost& host, const std::string& storeFile = {});
    ~ovProgram();
    ovProgram(const ovProgram&) = delete;
    ovProgram& operator=(const ovProgram&) = delete;

    // What the entry point does once the window exists: the orientation check, the
    // create message (timer) and the first paint.
    void start();

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
