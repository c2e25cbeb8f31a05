#include "program/ovProgram.h"

#include "program/ovProgramAssembly.h"

#include "platform/pim/ovPimPaths.h"
#include "platform/system/ovSystem.h"
#include "shell/ovErrorBox.h"

ovProgram::ovProgram(ovSystem& system, ovShellHost& host, const std::string& storeFile,
                     const ovAssembly* assembly, const ovProgramFolders& folders)
    : system_(system), lastTickSeconds_(ovShell::secondsOf(system.clock().tickCount())) {
    if (storeFile.empty())
        session_ = std::make_unique<ovPoomSession>(system, ovNoStore);
    else
        session_ = std::make_unique<ovPoomSession>(system, storeFile);
    if (!storeFile.empty() && !session_->hasStore())
        showErrorBox(system,
                     session_->openError() +
                         "\nOrvida runs without its store: nothing will be saved until this is mended.");
    mail_ = std::make_unique<ovMailManager>(
        system, folders.configDir, folders.dataDir.empty() ? ovDefaultDataFolder() : folders.dataDir);
    app_ = std::make_unique<ovApp>(system, assembly != nullptr ? *assembly : ovProgramAssembly());
    if (app_->landscapeRefused())
        return;
    fonts_ = std::make_unique<ovFontSet>(system);
    shell_ = std::make_unique<ovShell>(*app_, system, host, *fonts_, lastTickSeconds_);
}

ovProgram::~ovProgram() {
    shell_.reset();
    fonts_.reset();
    app_.reset();
    mail_.reset();
    session_.reset();
}

bool ovProgram::start() {
    if (refused() || !app_->orientationCheck())
        return false;
    shell_->onCreate();
    shell_->onPaint();
    return true;
}
