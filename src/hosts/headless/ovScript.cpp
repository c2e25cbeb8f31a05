#include "hosts/headless/ovScript.h"

#include "resources/ovResourceIds.h"

#include <charconv>
#include <sstream>
#include <vector>

namespace {
// Pointer positions travel as signed 16-bit values.
constexpr long kCoordinateLimit = 32767;
// A single wait or hold may not ask for more than a day of virtual time.
constexpr long kMaxWaitMs = 24L * 60 * 60 * 1000;

bool parseNumber(const std::string& text, long low, long high, int& out) {
    long value = 0;
    const char* last = text.data() + text.size();
    const auto [end, failure] = std::from_chars(text.data(), last, value);
    if (failure != std::errc() || end != last || value < low || value > high)
        return false;
    out = static_cast<int>(value);
    return true;
}

ovResult<> wantCount(const std::vector<std::string>& words, size_t n) {
    if (words.size() == n + 1)
        return {};
    return ovFail("'" + words[0] + "' takes " + std::to_string(n) + (n == 1 ? " argument" : " arguments") +
                  ", got " + std::to_string(words.size() - 1));
}

ovResult<> parsePoint(const std::vector<std::string>& words, ovScriptCommand& out) {
    if (!parseNumber(words[1], -kCoordinateLimit, kCoordinateLimit, out.x) ||
        !parseNumber(words[2], -kCoordinateLimit, kCoordinateLimit, out.y))
        return ovFail("'" + words[0] + "' wants two whole numbers X Y, got '" + words[1] + " " + words[2] +
                      "'");
    return {};
}

ovResult<> parseMs(const std::string& word, const std::string& what, ovScriptCommand& out) {
    if (!parseNumber(word, 0, kMaxWaitMs, out.ms))
        return ovFail("'" + what + "' wants milliseconds from 0 to " + std::to_string(kMaxWaitMs) +
                      ", got '" + word + "'");
    return {};
}
} // namespace

ovResult<ovScriptCommand> ovParseScriptLine(const std::string& line) {
    ovScriptCommand out;
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    if (words.empty() || words[0][0] == '#')
        return out;

    const std::string& verb = words[0];
    if (verb == "down" || verb == "move" || verb == "up" || verb == "tap") {
        out.kind = verb == "down"   ? ovScriptCommand::Down
                   : verb == "move" ? ovScriptCommand::Move
                   : verb == "up"   ? ovScriptCommand::Up
                                    : ovScriptCommand::Tap;
        if (ovResult<> r = wantCount(words, 2); !r)
            return r.error();
        if (ovResult<> r = parsePoint(words, out); !r)
            return r.error();
        return out;
    }
    if (verb == "hold") {
        out.kind = ovScriptCommand::Hold;
        if (ovResult<> r = wantCount(words, 3); !r)
            return r.error();
        if (ovResult<> r = parsePoint(words, out); !r)
            return r.error();
        if (ovResult<> r = parseMs(words[3], verb, out); !r)
            return r.error();
        return out;
    }
    if (verb == "wait") {
        out.kind = ovScriptCommand::Wait;
        if (ovResult<> r = wantCount(words, 1); !r)
            return r.error();
        if (ovResult<> r = parseMs(words[1], verb, out); !r)
            return r.error();
        return out;
    }
    if (verb == "key") {
        out.kind = ovScriptCommand::Key;
        if (ovResult<> r = wantCount(words, 1); !r)
            return r.error();
        if (words[1] == "ctrl+q")
            out.command = ovCmdExit;
        else if (words[1] == "ctrl+a")
            out.command = ovCmdAbout;
        else
            return ovFail("unknown key '" + words[1] + "' (known: ctrl+q, ctrl+a)");
        return out;
    }
    if (verb == "command") {
        out.kind = ovScriptCommand::Command;
        if (ovResult<> r = wantCount(words, 1); !r)
            return r.error();
        if (!parseNumber(words[1], 0, 65535, out.command) ||
            (out.command != ovCmdExit && out.command != ovCmdOptions && out.command != ovCmdAbout &&
             out.command != ovCmdToggleSounds))
            return ovFail("unknown command '" + words[1] + "' (known: 40000, 40001, 40002, 32771)");
        return out;
    }
    if (verb == "shot" || verb == "winshot") {
        out.kind = verb == "shot" ? ovScriptCommand::Shot : ovScriptCommand::WinShot;
        // The rest of the line is the file name, so names with spaces work.
        const size_t start = line.find(verb) + verb.size();
        const size_t first = line.find_first_not_of(" \t", start);
        const size_t last = line.find_last_not_of(" \t\r");
        if (first == std::string::npos)
            return ovFail("'" + verb + "' wants a file name");
        out.file = line.substr(first, last - first + 1);
        return out;
    }
    if (verb == "state") {
        out.kind = ovScriptCommand::State;
        if (ovResult<> r = wantCount(words, 0); !r)
            return r.error();
        return out;
    }
    return ovFail("unknown line '" + verb + "'");
}
