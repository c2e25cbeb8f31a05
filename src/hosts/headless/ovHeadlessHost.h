#pragma once
// Runs the whole program without a window: a script of touches, waits, keys and
// commands on a virtual clock, with PNG shots of what the window would show.
#include "hosts/common/ovOptions.h"
#include "hosts/common/ovWindowChrome.h"
#include "hosts/headless/ovScript.h"
#include "program/ovProgram.h"
#include "services/notify/ovRecordingNotifier.h"
#include "system/ovHeadlessSystem.h"

#include <iosfwd>
#include <memory>
#include <string>

class ovHeadlessHost final : public ovShellHost {
public:
    // executableFile: where the pictures and sounds are looked for.
    // assembly: the program to run; Orvida's own unless a test brings one.
    ovHeadlessHost(const ovOptions& options, const std::string& executableFile,
                   const ovAssembly* assembly = nullptr);
    ~ovHeadlessHost() override;

    // Runs the script line by line; returns the exit code (2 for a bad line, naming it
    // on stderr as NAME:LINE; 1 when the screen was refused, or when a shot, the script
    // or the standard output could not be read or written).
    static constexpr int ioFailureExitCode = 1;
    int run(std::istream& script, const std::string& name, std::ostream& out);
    // Carries out one parsed line.
    void execute(const ovScriptCommand& command, std::ostream& out);

    // One line of JSON describing what the program shows.
    std::string stateJson() const;

    ovHeadlessSystem& system() { return *system_; }
    ovProgram& program() { return *program_; }
    // The reminders' notifications, recorded instead of shown.
    const ovRecordingNotifier& notifications() const { return notifier_; }
    // The window as the window host would show it; script positions are relative to
    // its screen area.
    ovWindowChrome& chrome() { return *chrome_; }
    bool exited() const { return exited_; }
    // The screen was refused: nothing runs, and the entry point exits with code 1.
    bool refused() const { return program_->refused(); }

    bool createTimer() override { return true; }
    void presentFrame(const ovFramebuffer& frame) override;
    void closeWindow() override { exited_ = true; }
    void showAbout() override;

private:
    void advance(int ms);
    void writeShot(const std::string& file);
    void writeWindowShot(const std::string& file);
    void pointer(ovPointerEvent::Kind kind, int x, int y);
    void fail(const std::string& reason);

    ovRecordingNotifier notifier_;
    std::unique_ptr<ovHeadlessSystem> system_;
    std::unique_ptr<ovProgram> program_;
    std::unique_ptr<ovWindowChrome> chrome_;
    ovVirtualClock* clock_ = nullptr;
    int sinceTimerMs_ = 0;
    bool exited_ = false;
    bool failed_ = false;
    int aboutShown_ = 0;
    std::string error_;
};

// `orvida --headless ...`: returns the process exit code.
int ovRunHeadless(const ovOptions& options);
