#pragma once
// The program's long-lived objects, created in their fixed order and destroyed in
// the reverse one: the start-up tick, the store session, the mail manager, the
// application (which checks the orientation and builds the tree), the fonts, and the
// window logic. The fonts exist from here on, before anything is drawn.
#include "messaging/ovMailManager.h"
#include "services/reminders/ovReminderScheduler.h"
#include "shell/ovApp.h"
#include "shell/ovAssembly.h"
#include "shell/ovFontSet.h"
#include "shell/ovShell.h"
#include "store/ovPoomSession.h"

#include <memory>

class ovSystem;
class ovVdir;
class ovVdirSyncThread;
struct ovVdirSyncReport;

// Where the program keeps its settings (--config) and its data (--data); empty: the
// XDG folders.
struct ovProgramFolders {
    std::string configDir;
    std::string dataDir;
    // The window's host sets it: the first sync of a vdir runs beside the window, which
    // comes first and answers touches; the screens fill in when it ends. Otherwise the
    // program starts on a store already in line with the files.
    bool syncBeside = false;
};

class ovProgram {
public:
    // storeFile: the store to log on to; a store that cannot be opened is reported by
    // the error box and the program runs without one. Empty: no store at all.
    // assembly: what the application is made of; Orvida's own unless a test brings one.
    ovProgram(ovSystem& system, ovShellHost& host, const std::string& storeFile = {},
              const ovAssembly* assembly = nullptr, const ovProgramFolders& folders = {});
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

    // Starts firing the store's reminders through the host's notifier, at once for
    // those due now or missed. onFired hears of each fired reminder after the click
    // sound (when sounds are on). Without a store nothing is planned. The notifier also
    // tells what became of e-mail whose screen has gone.
    void startReminders(ovNotifier& notifier, ovReminderScheduler::FiredHandler onFired = {});
    // The timer message: the outcomes of e-mail on its way (so that this tick draws
    // them), the shell's turn, then the reminders'.
    void onTimer();
    // The reminders, once started and when there is a store; else null.
    ovReminderScheduler* reminders() { return reminders_.get(); }
    // The first sync runs beside the window (see ovProgramFolders::syncBeside).
    bool syncing() const { return firstSync_ != nullptr; }

    ovApp& app() { return *app_; }
    ovShell& shell() { return *shell_; }
    ovFontSet& fonts() { return *fonts_; }
    ovPoomSession& session() { return *session_; }
    ovMailManager& mail() { return *mail_; }

private:
    void tickReminders();
    // When orvida.conf names a vdir: its files become the store's contents and every save
    // writes its file.
    void openVdir(const std::string& configDir, bool syncBeside);
    // Says what a sync could not do: a failure, or the files it left as they are.
    void tellSync(const ovResult<ovVdirSyncReport>& synced);
    // Once the first sync beside the window has ended: its word, and the screens refilled.
    void checkFirstSync();

    ovSystem& system_;
    float lastTickSeconds_;
    std::unique_ptr<ovPoomSession> session_;
    std::shared_ptr<ovVdir> vdir_;
    std::unique_ptr<ovVdirSyncThread> firstSync_;
    std::unique_ptr<ovMailManager> mail_;
    std::unique_ptr<ovApp> app_;
    std::unique_ptr<ovFontSet> fonts_;
    std::unique_ptr<ovShell> shell_;
    std::unique_ptr<ovReminderScheduler> reminders_;
    bool reminderFailureTold_ = false;
};
