#include "system/ovIniSection.h"

#include "system/ovPaths.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

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
                std::string what = "a section header looks like [name], not '";
                what += line;
                what += '\'';
                out.headerProblems.push_back(ovIniProblem(fileName, lineNumber, what));
                // A broken header still ends the section before it: no section has this name.
                current.assign(1, '[');
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

bool ovReadSettingsFile(const std::string& file, const char* kind, std::string& text,
                        std::vector<std::string>& problems) {
    constexpr std::streamoff maxSize = 1 << 20;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        if (errno != ENOENT && ovFileExists(file))
            problems.push_back(file + ": cannot be read: " + std::strerror(errno));
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0);
    if (size < 0 || size > maxSize) {
        problems.push_back(file + ": is too large to be " + kind);
        return false;
    }
    text.assign(static_cast<size_t>(size), '\0');
    in.read(text.data(), size);
    return true;
}
