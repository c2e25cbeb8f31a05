#include "platform/system/ovIniSection.h"

#include <algorithm>

std::string ovIniTrim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r'))
        --e;
    return std::string(s.substr(b, e - b));
}

std::string ovIniProblem(const std::string& fileName, int line, const std::string& what) {
    return fileName + ":" + std::to_string(line) + ": " + what;
}

namespace {
// The value without a trailing " # comment"; a # inside double quotes is kept.
std::string withoutComment(std::string_view value) {
    bool quoted = false;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && quoted)
            ++i;
        else if (value[i] == '"')
            quoted = !quoted;
        else if (value[i] == '#' && !quoted && i > 0 && (value[i - 1] == ' ' || value[i - 1] == '\t'))
            return ovIniTrim(value.substr(0, i));
    }
    return std::string(value);
}
} // namespace

ovIniSection ovReadIniSection(std::string_view text, const std::string& fileName, std::string_view section) {
    ovIniSection out;
    std::string current;
    int lineNumber = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        const size_t end = std::min(text.find('\n', pos), text.size());
        const std::string line = ovIniTrim(text.substr(pos, end - pos));
        pos = end + 1;
        ++lineNumber;
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        if (line[0] == '[') {
            if (line.back() != ']' || line.size() < 3) {
                out.headerProblems.push_back(ovIniProblem(
                    fileName, lineNumber, "a section header looks like [name], not '" + line + "'"));
                // A broken header still ends the section before it: no section has this name.
                current = "[";
            } else {
                current = ovIniTrim(std::string_view(line).substr(1, line.size() - 2));
                if (current == section && out.headerLine == 0)
                    out.headerLine = lineNumber;
            }
            continue;
        }
        if (current != section)
            continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos) {
            out.settings.push_back(
                {lineNumber,
                 {},
                 {},
                 ovIniProblem(fileName, lineNumber, "expected 'name = value', found '" + line + "'")});
            continue;
        }
        out.settings.push_back({lineNumber,
                                ovIniTrim(std::string_view(line).substr(0, eq)),
                                withoutComment(ovIniTrim(std::string_view(line).substr(eq + 1))),
                                {}});
    }
    return out;
}
