#include "platform/sms/ovSmsSettings.h"

#include "platform/system/ovConfigPaths.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {
constexpr std::streamoff kMaxFileSize = 1 << 20;

std::string trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r'))
        --e;
    return std::string(s.substr(b, e - b));
}
} // namespace

std::string ovOrvidaConfigFile(const std::string& configDir) {
    if (!configDir.empty())
        return configDir + (configDir.back() == '/' ? "" : "/") + "orvida.conf";
    return ovUserConfigHome() + "/orvida/orvida.conf";
}

bool ovSplitCommandLine(std::string_view text, std::vector<std::string>& words) {
    words.clear();
    std::string word;
    bool inWord = false, quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '"' || text[i + 1] == '\\'))
                word += text[++i];
            else if (c == '"')
                quoted = false;
            else
                word += c;
        } else if (c == '"') {
            quoted = inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(word);
    return !quoted;
}

ovSmsSettings ovParseSmsSettings(std::string_view text, const std::string& fileName) {
    ovSmsSettings s;
    s.file = fileName;
    std::string section;
    int lineNumber = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        const size_t end = std::min(text.find('\n', pos), text.size());
        const std::string line = trim(text.substr(pos, end - pos));
        pos = end + 1;
        ++lineNumber;
        auto problem = [&](const std::string& what) {
            s.problems.push_back(fileName + ":" + std::to_string(lineNumber) + ": " + what);
        };
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        if (line[0] == '[') {
            if (line.back() != ']' || line.size() < 3)
                problem("a section header looks like [name], not '" + line + "'");
            else
                section = trim(std::string_view(line).substr(1, line.size() - 2));
            continue;
        }
        if (section != "sms")
            continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos) {
            problem("expected 'name = value', found '" + line + "'");
            continue;
        }
        const std::string key = trim(std::string_view(line).substr(0, eq));
        const std::string value = trim(std::string_view(line).substr(eq + 1));
        if (key == "provider") {
            if (value == "spool")
                s.provider = ovSmsSettings::Provider::spool;
            else if (value == "command")
                s.provider = ovSmsSettings::Provider::command;
            else
                problem("the SMS provider is 'spool' or 'command', not '" + value + "'");
        } else if (key == "command") {
            std::vector<std::string> words;
            if (!ovSplitCommandLine(value, words))
                problem("the command has a quote that is never closed");
            else if (words.empty())
                problem("'command' names no program");
            else
                s.command = std::move(words);
        } else if (key == "timeout") {
            const bool digits =
                !value.empty() && value.size() <= 4 &&
                std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
            const int seconds = digits ? std::stoi(value) : 0;
            if (seconds < 1 || seconds > 3600)
                problem("'timeout' wants seconds from 1 to 3600, not '" + value + "'");
            else
                s.timeoutSeconds = seconds;
        } else {
            problem("unknown setting '" + key + "' in [sms]");
        }
    }
    return s;
}

ovSmsSettings ovReadSmsSettings(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        ovSmsSettings defaults;
        if (errno != ENOENT && ovFileExists(file))
            defaults.problems.push_back(file + ": cannot be read: " + std::strerror(errno));
        return defaults;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0);
    if (size > kMaxFileSize) {
        ovSmsSettings defaults;
        defaults.problems.push_back(file + ": is too large to be Orvida's configuration");
        return defaults;
    }
    std::string text(static_cast<size_t>(size), '\0');
    in.read(text.data(), size);
    return ovParseSmsSettings(text, file);
}
