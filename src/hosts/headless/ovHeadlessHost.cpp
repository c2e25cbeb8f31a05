#include "ovHeadlessHost.h"

#include "ovBackBuffer.h"
#include "ovExecutable.h"
#include "ovPngWriter.h"
#include "ovUtf.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {
constexpr int kTimerPeriodMs = 10;
// A tap and a hold end as the window would see them: the finger lifted, then a tick.
constexpr int kTapMs = 50;
constexpr int kAfterReleaseMs = 10;

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

ovSystemTime startTime(const ovOptions& options) {
    if (options.now)
        return *options.now;
    return ovRealClock().localTime();
}
} // namespace

ovHeadlessHost::ovHeadlessHost(const ovOptions& options, const std::string& executableFile) {
    auto clock = std::make_unique<ovVirtualClock>(startTime(options));
    clock_ = clock.get();
    system_ = std::make_unique<ovHeadlessSystem>(
        std::move(clock), ovScreenSize{options.screenWidth, options.screenHeight}, executableFile);
    system_->setDebugEcho(options.debug);
    program_ = std::make_unique<ovProgram>(*system_, *this);
    program_->start();
}

ovHeadlessHost::~ovHeadlessHost() { program_.reset(); }

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
            if (!exited_)
                program_->shell().onTimer();
        }
    }
}

void ovHeadlessHost::writeShot(const std::string& file) {
    ovBackBuffer& back = program_->app().backBuffer();
    const std::string error = ovWritePng(back.frame(), file);
    if (!error.empty())
        std::fprintf(stderr, "orvida: %s\n", error.c_str());
}

void ovHeadlessHost::execute(const ovScriptCommand& c, std::ostream& out) {
    ovShell& shell = program_->shell();
    // Once the window is closed, touches and keys have nowhere to go; the clock still runs.
    const bool live = !exited_;
    switch (c.kind) {
    case ovScriptCommand::Blank:
        break;
    case ovScriptCommand::Down:
        if (live)
            shell.onPointerDown(c.x, c.y);
        break;
    case ovScriptCommand::Move:
        if (live)
            shell.onPointerMove(c.x, c.y);
        break;
    case ovScriptCommand::Up:
        if (live)
            shell.onPointerUp(c.x, c.y);
        break;
    case ovScriptCommand::Wait:
        advance(c.ms);
        break;
    case ovScriptCommand::Tap:
    case ovScriptCommand::Hold:
        if (live)
            shell.onPointerDown(c.x, c.y);
        advance(c.kind == ovScriptCommand::Tap ? kTapMs : c.ms);
        if (!exited_)
            shell.onPointerUp(c.x, c.y);
        advance(kAfterReleaseMs);
        break;
    case ovScriptCommand::Key:
    case ovScriptCommand::Command:
        if (live)
            shell.onCommand(c.command);
        break;
    case ovScriptCommand::Shot:
    case ovScriptCommand::WinShot:
        writeShot(c.file);
        break;
    case ovScriptCommand::State:
        out << stateJson() << '\n';
        out.flush();
        break;
    }
}

int ovHeadlessHost::run(std::istream& script, const std::string& name, std::ostream& out) {
    std::string line;
    int number = 0;
    while (std::getline(script, line)) {
        ++number;
        ovScriptCommand command;
        std::string error;
        if (!ovParseScriptLine(line, command, error)) {
            std::fprintf(stderr, "orvida: %s:%d: %s\n", name.c_str(), number, error.c_str());
            return 2;
        }
        execute(command, out);
    }
    return 0;
}

std::string ovHeadlessHost::stateJson() const {
    const ovApp& app = program_->app();
    const ovNavigator& nav = *app.navigator;
    std::ostringstream json;
    json << "{\"current\":";
    if (nav.current != nullptr)
        json << "{\"id\":" << nav.current->nodeId << ",\"label\":" << jsonString(ovToUtf8(nav.current->label.view()))
             << ",\"tag\":" << nav.current->tag << "}";
    else
        json << "null";
    json << ",\"focused\":";
    if (nav.focused != nullptr)
        json << nav.focused->nodeId;
    else
        json << "null";
    json << ",\"phase\":" << app.touch.phase << ",\"soundsOn\":" << (app.soundsOn ? "true" : "false")
         << ",\"clicks\":" << app.clickCount << ",\"hyperbar\":{\"state\":0,\"openIndex\":-1}"
         << ",\"repaints\":" << app.repaintCount << ",\"exited\":" << (exited_ ? "true" : "false")
         << ",\"about\":" << aboutShown_ << ",\"messages\":" << system_->messages().size()
         << ",\"time\":" << jsonString(ovFormatIsoLocal(system_->clock().localTime())) << "}";
    return json.str();
}

int ovRunHeadless(const ovOptions& options) {
    ovHeadlessHost host(options, ovCurrentExecutableFile());
    if (options.script.empty())
        return 0;
    if (options.script == "-")
        return host.run(std::cin, "<stdin>", std::cout);
    std::ifstream file(options.script);
    if (!file) {
        std::fprintf(stderr, "orvida: cannot open script %s\n", options.script.c_str());
        return 2;
    }
    return host.run(file, options.script, std::cout);
}
