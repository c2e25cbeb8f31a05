#include "hosts/headless/ovScript.h"

#include "resources/ovResourceIds.h"

#include <cstdlib>
#include <sstream>
#include <vector>

namespace {
// Pointer positions travel as signed 16-bit values.
constexpr long kCoordinateLimit = 32767;
// A single wait or hold may not ask for more than a day of virtual time.
constexpr long kMaxWaitMs = 24L * 60 * 60 * 1000;

bool parseNumber(const std::string& text, long low, long high, int& out) {
    if (text.empty())
        return false;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (end == nullptr || *end != 0 || value < low || value > high)
        return false;
    out = static_cast<int>(value);
    return true;
}

bool wantCount(const std::vector<std::string>& words, size_t n, std::string& error) {
    if (words.size() == n + 1)
        return true;
    error = "'" + words[0] + "' takes " + std::to_string(n) + (n == 1 ? " argument" : " arguments") +
            ", got " + std::to_string(words.size() - 1);
    return false;
}

bool parsePoint(const std::vector<std::string>& words, ovScriptCommand& out, std::string& error) {
    if (!parseNumber(words[1], -kCoordinateLimit, kCoordinateLimit, out.x) ||
        !parseNumber(words[2], -kCoordinateLimit, kCoordinateLimit, out.y)) {
        error = "'" + words[0] + "' wants two whole numbers X Y, got '" + words[1] + " " + words[2] + "'";
        return false;
    }
    return true;
}

bool parseMs(const std::string& word, const std::string& what, ovScriptCommand& out, std::string& error) {
    if (!parseNumber(word, 0, kMaxWaitMs, out.ms)) {
        error = "'" + what + "' wants milliseconds from 0 to " + std::to_string(kMaxWaitMs) + ", got '" +
                word + "'";
        return false;
    }
    return true;
}
} // namespace

bool ovParseScriptLine(const std::string& line, ovScriptCommand& out, std::string& error) {
    out = ovScriptCommand();
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    if (words.empty() || words[0][0] == '#')
        return true;

    const std::string& verb = words[0];
    if (verb == "down" || verb == "move" || verb == "up" || verb == "tap") {
        out.kind = verb == "down"   ? ovScriptCommand::Down
                   : verb == "move" ? ovScriptCommand::Move
                   : verb == "up"   ? ovScriptCommand::Up
                                    : ovScriptCommand::Tap;
        return wantCount(words, 2, error) && parsePoint(words, out, error);
    }
    if (verb == "hold") {
        out.kind = ovScriptCommand::Hold;
        return wantCount(words, 3, error) && parsePoint(words, out, error) &&
               parseMs(words[3], verb, out, error);
    }
    if (verb == "wait") {
        out.kind = ovScriptCommand::Wait;
        return wantCount(words, 1, error) && parseMs(words[1], verb, out, error);
    }
    if (verb == "key") {
        out.kind = ovScriptCommand::Key;
        if (!wantCount(words, 1, error))
            return false;
        if (words[1] == "ctrl+q") {
            out.command = ovCmdExit;
        } else if (words[1] == "ctrl+a") {
            out.command = ovCmdAbout;
        } else {
            error = "unknown key '" + words[1] + "' (known: ctrl+q, ctrl+a)";
            return false;
        }
        return true;
    }
    if (verb == "command") {
        out.kind = ovScriptCommand::Command;
        if (!wantCount(words, 1, error))
            return false;
        if (!parseNumber(words[1], 0, 65535, out.command) ||
            (out.command != ovCmdExit && out.command != ovCmdOptions && out.command != ovCmdAbout &&
             out.command != ovCmdToggleSounds)) {
            error = "unknown command '" + words[1] + "' (known: 40000, 40001, 40002, 32771)";
            return false;
        }
        return true;
    }
    if (verb == "shot" || verb == "winshot") {
        out.kind = verb == "shot" ? ovScriptCommand::Shot : ovScriptCommand::WinShot;
        // The rest of the line is the file name, so names with spaces work.
        const size_t start = line.find(verb) + verb.size();
        const size_t first = line.find_first_not_of(" \t", start);
        const size_t last = line.find_last_not_of(" \t\r");
        if (first == std::string::npos) {
            error = "'" + verb + "' wants a file name";
            return false;
        }
        out.file = line.substr(first, last - first + 1);
        return true;
    }
    if (verb == "state") {
        out.kind = ovScriptCommand::State;
        return wantCount(words, 0, error);
    }
    error = "unknown line '" + verb + "'";
    return false;
}
