#pragma once
// Runs the whole program without a window: a script of touches, waits, keys and
// commands on a virtual clock, with PNG shots of what the window would show.
#include "ovHeadlessSystem.h"
#include "ovOptions.h"
#include "ovProgram.h"
#include "ovScript.h"

#include <iosfwd>
#include <memory>
#include <string>

class ovHeadlessHost final : public ovShellHost {
public:
    // executableFile: where the pictures and sounds are looked for.
    ovHeadlessHost(const ovOptions& options, const std::string& executableFile);
    ~ovHeadlessHost() override;

    // Runs the script line by line; returns the exit code (2 for a bad line, naming it
    // on stderr as NAME:LINE).
    int run(std::istream& script, const std::string& name, std::ostream& out);
    // Carries out one parsed line.
    void execute(const ovScriptCommand& command, std::ostream& out);

    // One line of JSON describing what the program shows.
    std::string stateJson() const;

    ovHeadlessSystem& system() { return *system_; }
    ovProgram& program() { return *program_; }
    bool exited() const { return exited_; }

    bool createTimer() override { return true; }
    void presentFrame(const ovFramebuffer&) override {}
    void closeWindow() override { exited_ = true; }
    void showAbout() override { ++aboutShown_; }

private:
    void advance(int ms);
    void writeShot(const std::string& file);

    std::unique_ptr<ovHeadlessSystem> system_;
    std::unique_ptr<ovProgram> program_;
    ovVirtualClock* clock_ = nullptr;
    int sinceTimerMs_ = 0;
    bool exited_ = false;
    int aboutShown_ = 0;
    std::string error_;
};

// `orvida --headless ...`: returns the process exit code.
int ovRunHeadless(const ovOptions& options);
