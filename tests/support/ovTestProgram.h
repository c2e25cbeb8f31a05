#pragma once
// The whole program on the headless host, for tests: a virtual clock, recorded
// sounds and message boxes, and script lines to drive it.
#include "hosts/headless/ovHeadlessHost.h"
#include "program/ovProgramAssembly.h"

#include <memory>
#include <string>
#include <vector>

class ovTestProgram {
public:
    // exe: where pictures and sounds are looked for (the build's bin folder by default).
    explicit ovTestProgram(int width = 240, int height = 320,
                           const std::string& exe = ORVIDA_BIN_DIR "/orvida");
    // A program of the test's own making: its modules and its tree instead of Orvida's.
    ovTestProgram(const ovAssembly& assembly, int width = 240, int height = 320,
                  const std::string& exe = ORVIDA_BIN_DIR "/orvida");

    // A program on a store folder of the test's choosing (a fresh one, to read back
    // exactly what a journey saved).
    ovTestProgram(const ovAssembly& assembly, const std::string& dataDir, int width = 240, int height = 320,
                  const std::string& exe = ORVIDA_BIN_DIR "/orvida");
    // The same with settings of its own (--config DIR): accounts from DIR/msmtp.conf.
    ovTestProgram(const ovAssembly& assembly, const std::string& dataDir, const std::string& configDir,
                  int width = 240, int height = 320, const std::string& exe = ORVIDA_BIN_DIR "/orvida");

    // Runs script lines separated by newlines; fails the test on a bad line.
    void run(const std::string& lines);

    ovApp& app() { return host_->program().app(); }
    ovNavigator& nav() { return *app().navigator; }
    ovShell& shell() { return host_->program().shell(); }
    ovHeadlessSystem& system() { return host_->system(); }
    ovHeadlessHost& host() { return *host_; }

    // A plain node, ready to attach.
    ovHyperNode* makeNode(const std::u16string& label, int id, int tag = 0);

private:
    std::unique_ptr<ovHeadlessHost> host_;
};

// A wizard-like owner that records what it is told.
class ovRecordingOwner : public ovHyperNode {
public:
    void childFinished(ovHyperNode* finished) override { finishedNodes.push_back(finished); }
    void reset(ovNavigator&) override { ++resets; }
    std::vector<ovHyperNode*> finishedNodes;
    int resets = 0;
};
