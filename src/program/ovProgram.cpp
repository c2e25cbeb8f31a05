#include "program/ovProgram.h"

#include "program/ovProgramAssembly.h"

#include "data/ovUserData.h"
#include "data/pim/ovPimStore.h"
#include "data/vdir/ovVdirSyncThread.h"
#include "home/ovHomeScreen.h"
#include "shell/ovErrorBox.h"
#include "system/ovPaths.h"
#include "system/ovSystem.h"

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
    if (session_->hasStore())
        openVdir(folders.configDir, folders.syncBeside);
    mail_ = std::make_unique<ovMailManager>(
        system, folders.configDir, folders.dataDir.empty() ? ovDefaultDataFolder() : folders.dataDir);
    app_ = std::make_unique<ovApp>(system, assembly != nullptr ? *assembly : ovProgramAssembly());
    if (app_->landscapeRefused())
        return;
    fonts_ = std::make_unique<ovFontSet>(system);
    shell_ = std::make_unique<ovShell>(*app_, system, host, *fonts_, lastTickSeconds_);
}

ovProgram::~ovProgram() {
    firstSync_.reset();
    reminders_.reset();
    shell_.reset();
    fonts_.reset();
    app_.reset();
    mail_.reset();
    session_.reset();
}

void ovProgram::openVdir(const std::string& configDir, bool syncBeside) {
    ovUserData data = ovOpenUserData(*session_->application()->store(), configDir, !syncBeside);
    if (!data.settingsProblem.empty()) {
        showErrorBox(system_, data.settingsProblem +
                                  "\nOrvida keeps your items in its own store until this is mended.");
        return;
    }
    vdir_ = std::move(data.vdir);
    if (vdir_ && syncBeside)
        firstSync_ =
            std::make_unique<ovVdirSyncThread>(session_->application()->store()->file(), vdir_->settings());
    if (vdir_ && data.synced)
        tellSync(*data.synced);
}

void ovProgram::checkFirstSync() {
    if (!firstSync_ || !firstSync_->finished())
        return;
    const ovResult<ovVdirSyncReport> synced = firstSync_->result();
    firstSync_.reset();
    session_->invalidateCache();
    if (app_ && app_->navigator) {
        if (auto* home = dynamic_cast<ovHomeScreen*>(app_->navigator->findById(ovHomeScreenId)))
            home->queryPending = true;
        app_->needsRepaint = true;
    }
    tellSync(synced);
}

void ovProgram::tellSync(const ovResult<ovVdirSyncReport>& synced) {
    if (!synced) {
        showErrorBox(system_, "The calendar folder " + vdir_->settings().root +
                                  " could not be read into the store: " + synced.reason());
        return;
    }
    // Files that could not be taken in are named (their items stay as they were), a few
    // in the box and all of them on the debug output.
    // Files left out at an earlier sync and unchanged since were told then: the debug
    // output names them again, the box only counts them beside new ones.
    const std::vector<std::string>& problems = synced.value().problems;
    const std::vector<std::string>& unchanged = synced.value().unchanged;
    for (const std::string& p : unchanged)
        system_.debugOutput("vdir: " + p + " (unchanged since an earlier sync)\n");
    if (problems.empty())
        return;
    constexpr size_t shown = 4;
    std::string text =
        "Some files of the calendar folder " + vdir_->settings().root + " were left as they are:";
    for (size_t i = 0; i < problems.size(); ++i) {
        system_.debugOutput("vdir: " + problems[i] + "\n");
        if (i < shown)
            text += "\n" + problems[i];
    }
    if (problems.size() > shown)
        text += "\n... and " + std::to_string(problems.size() - shown) +
                " more ('orvida pim sync' lists them all).";
    if (!unchanged.empty()) {
        text += '\n';
        text += std::to_string(unchanged.size());
        text += unchanged.size() == 1 ? " file" : " files";
        text += " left out before, unchanged since, as well.";
    }
    showErrorBox(system_, text);
}

bool ovProgram::start() {
    if (refused() || !app_->orientationCheck())
        return false;
    shell_->onCreate();
    shell_->onPaint();
    return true;
}

void ovProgram::startReminders(ovNotifier& notifier, ovReminderScheduler::FiredHandler onFired) {
    // What became of an e-mail once its screen is gone is told the same way.
    mail_->setNotifier(&notifier);
    reminders_.reset();
    ovPimApplication* pim = session_->application();
    if (pim == nullptr || pim->store() == nullptr)
        return;
    reminders_ = std::make_unique<ovReminderScheduler>(
        pim->store(), notifier, system_,
        [this, onFired = std::move(onFired)](const ovNotification& shown, bool delivered) {
            app_->playClick();
            if (onFired)
                onFired(shown, delivered);
        });
    // What fell due while the program was not running is shown at the start.
    tickReminders();
}

void ovProgram::onTimer() {
    checkFirstSync();
    mail_->pollOutcomes();
    if (shell_)
        shell_->onTimer();
    tickReminders();
}

void ovProgram::tickReminders() {
    if (!reminders_)
        return;
    const ovResult<int> fired = reminders_->tick(ovStoreDateOf(system_.clock().localTime()));
    if (!fired && !reminderFailureTold_) {
        reminderFailureTold_ = true;
        system_.debugOutput("Reminders: " + fired.reason() + "\n");
    }
}
