#include "hosts/headless/ovHeadlessHost.h"

#include "gfx/ovPngWriter.h"
#include "hosts/common/ovStopSignals.h"
#include "shell/ovBackBuffer.h"
#include "system/ovJson.h"
#include "system/ovPaths.h"
#include "system/ovUtf.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <new>
#include <sstream>

namespace {
constexpr int kTimerPeriodMs = 10;
// A tap and a hold end as the window would see them: the finger lifted, then a tick.
constexpr int kTapMs = 50;
constexpr int kAfterReleaseMs = 10;

ovSystemTime startTime(const ovOptions& options) {
    if (options.now)
        return *options.now;
    return ovRealClock().localTime();
}
} // namespace

ovHeadlessHost::ovHeadlessHost(const ovOptions& options, const std::string& executableFile,
                               const ovAssembly* assembly) {
    auto clock = std::make_unique<ovVirtualClock>(startTime(options));
    clock_ = clock.get();
    system_ = std::make_unique<ovHeadlessSystem>(
        std::move(clock), ovScreenSize{options.screenWidth, options.screenHeight}, executableFile);
    system_->setDebugEcho(options.debug);
    program_ = std::make_unique<ovProgram>(*system_, *this, ovStoreFileFor(options), assembly,
                                           ovProgramFolders{options.configDir, options.dataDir});
    if (program_->refused())
        return;
    chrome_ =
        std::make_unique<ovWindowChrome>(program_->app(), program_->shell(), program_->fonts(), *system_);
    program_->start();
    program_->startReminders(notifier_);
}

ovHeadlessHost::~ovHeadlessHost() {
    chrome_.reset();
    program_.reset();
}

void ovHeadlessHost::presentFrame(const ovFramebuffer& frame) {
    if (chrome_)
        chrome_->frameDrawn(frame);
}

void ovHeadlessHost::showAbout() {
    ++aboutShown_;
    chrome_->openAbout();
}

// Script positions are pixels of the program's screen rectangle, as pointer events
// are; the window around it decides, as it does on screen, whether they reach the
// program, a bar or a box.
void ovHeadlessHost::pointer(ovPointerEvent::Kind kind, int x, int y) {
    chrome_->pointer({kind, {x, y}});
}

void ovHeadlessHost::advance(int ms) {
    // Timer messages fall on every 10 ms boundary of virtual time, however the waits
    // of the script divide it.
    while (ms > 0) {
        const int step = std::min(ms, kTimerPeriodMs - sinceTimerMs_);
        clock_->advance(static_cast<uint32_t>(step));
        sinceTimerMs_ += step;
        ms -= step;
        if (sinceTimerMs_ == kTimerPeriodMs) {
            sinceTimerMs_ = 0;
            if (!exited_) {
                program_->onTimer();
                chrome_->tick();
            }
        }
    }
}

void ovHeadlessHost::writeShot(const std::string& file) {
    ovBackBuffer& back = program_->app().backBuffer();
    if (const ovResult<> written = ovWritePng(back.frame(), file); !written)
        fail(written.reason());
}

void ovHeadlessHost::writeWindowShot(const std::string& file) {
    if (const ovResult<> written = ovWritePng(chrome_->compose(), file); !written)
        fail(written.reason());
}

void ovHeadlessHost::fail(const std::string& reason) {
    std::fprintf(stderr, "orvida: %s\n", reason.c_str());
    failed_ = true;
}

void ovHeadlessHost::execute(const ovScriptCommand& c, std::ostream& out) {
    if (refused())
        return;
    // Once the window is closed, touches and keys have nowhere to go; the clock still runs.
    const bool live = !exited_;
    switch (c.kind) {
    case ovScriptCommand::Blank:
        break;
    case ovScriptCommand::Down:
        if (live)
            pointer(ovPointerEvent::Down, c.x, c.y);
        break;
    case ovScriptCommand::Move:
        if (live)
            pointer(ovPointerEvent::Move, c.x, c.y);
        break;
    case ovScriptCommand::Up:
        if (live)
            pointer(ovPointerEvent::Up, c.x, c.y);
        break;
    case ovScriptCommand::Wait:
        advance(c.ms);
        break;
    case ovScriptCommand::Tap:
    case ovScriptCommand::Hold:
        if (live)
            pointer(ovPointerEvent::Down, c.x, c.y);
        advance(c.kind == ovScriptCommand::Tap ? kTapMs : c.ms);
        if (!exited_)
            pointer(ovPointerEvent::Up, c.x, c.y);
        advance(kAfterReleaseMs);
        break;
    case ovScriptCommand::Key:
        // A key goes through the accelerator table, as a key press in the window does.
        if (live)
            for (const ovAccelerator& a : ovLoadAccelerators(ovIdAccelerators))
                if (a.command == c.command) {
                    chrome_->acceleratorKey(a.key, (a.flags & ovAccelControl) != 0,
                                            (a.flags & ovAccelShift) != 0, (a.flags & ovAccelAlt) != 0);
                    break;
                }
        break;
    case ovScriptCommand::Command:
        if (live)
            chrome_->command(c.command);
        break;
    case ovScriptCommand::Shot:
        writeShot(c.file);
        break;
    case ovScriptCommand::WinShot:
        writeWindowShot(c.file);
        break;
    case ovScriptCommand::State:
        out << stateJson() << '\n';
        out.flush();
        if (!out)
            fail("cannot write the state to the standard output");
        break;
    }
}

int ovHeadlessHost::run(std::istream& script, const std::string& name, std::ostream& out) {
    if (refused())
        return ovProgram::refusedExitCode;
    std::string line;
    int number = 0;
    try {
        while (!ovStopSignals::requested() && std::getline(script, line)) {
            ++number;
            const ovResult<ovScriptCommand> command = ovParseScriptLine(line);
            if (!command) {
                std::fprintf(stderr, "orvida: %s:%d: %s\n", name.c_str(), number, command.reason().c_str());
                return 2;
            }
            execute(command.value(), out);
            if (failed_)
                return ioFailureExitCode;
        }
    } catch (const std::bad_alloc&) {
        // A line without an end in a huge file: say so rather than end without a word.
        line = std::string();
        fail(name + ":" + std::to_string(number + 1) + ": the line is too long to read into memory");
        return ioFailureExitCode;
    }
    // A stop signal ends the run as the end of the script does, whatever the read did.
    if (ovStopSignals::requested()) {
        out.flush();
        return 0;
    }
    // getline stops quietly on a read error as on the end of the file.
    if (script.bad()) {
        fail("cannot read the script " + name + ": a read failed, or a line is too long to hold in memory");
        return ioFailureExitCode;
    }
    out.flush();
    if (!out) {
        fail("cannot write to the standard output");
        return ioFailureExitCode;
    }
    return 0;
}

std::string ovHeadlessHost::stateJson() const {
    const ovApp& app = program_->app();
    const ovNavigator& nav = *app.navigator;
    std::ostringstream json;
    json << "{\"current\":";
    if (nav.current != nullptr)
        json << "{\"id\":" << nav.current->nodeId
             << ",\"label\":" << ovJsonString(ovToUtf8(nav.current->label.view()))
             << ",\"tag\":" << nav.current->tag << "}";
    else
        json << "null";
    json << ",\"focused\":";
    if (nav.focused != nullptr)
        json << nav.focused->nodeId;
    else
        json << "null";
    json << ",\"phase\":" << app.touch.phase << ",\"soundsOn\":" << (app.soundsOn ? "true" : "false")
         << ",\"clicks\":" << app.clickCount
         << ",\"hyperbar\":{\"state\":" << (app.hyperBar != nullptr ? app.hyperBar->barState() : 0)
         << ",\"openIndex\":" << (app.hyperBar != nullptr ? app.hyperBar->barOpenIndex() : -1) << "}"
         << ",\"repaints\":" << app.repaintCount << ",\"exited\":" << (exited_ ? "true" : "false")
         << ",\"about\":" << aboutShown_ << ",\"aboutOpen\":" << (chrome_->aboutOpen() ? "true" : "false")
         << ",\"menuOpen\":" << (chrome_->menuOpen() ? "true" : "false")
         << ",\"messages\":" << system_->messageCount()
         << ",\"notifications\":" << notifier_.notifications().size()
         << ",\"lastNotification\":" << ovJsonString(notifier_.lastText())
         << ",\"time\":" << ovJsonString(ovFormatIsoLocal(system_->clock().localTime())) << "}";
    return json.str();
}

int ovRunHeadless(const ovOptions& options) {
    const ovStopSignals stopSignals;
    ovHeadlessHost host(options, ovCurrentExecutableFile());
    if (host.refused())
        return ovProgram::refusedExitCode;
    if (options.script.empty())
        return 0;
    if (options.script == "-")
        return host.run(std::cin, "<stdin>", std::cout);
    // A folder opens as a file that cannot be read: refuse it by name.
    std::error_code error;
    if (std::filesystem::is_directory(options.script, error)) {
        std::fprintf(stderr, "orvida: cannot read script %s: it is a folder\n", options.script.c_str());
        return 2;
    }
    std::ifstream file(options.script);
    if (!file) {
        std::fprintf(stderr, "orvida: cannot open script %s\n", options.script.c_str());
        return 2;
    }
    return host.run(file, options.script, std::cout);
}
