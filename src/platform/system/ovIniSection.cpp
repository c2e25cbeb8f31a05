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

std::vector<ovIniSetting> ovIniSection(std::string_view text, const std::string& fileName,
                                       std::string_view section, std::vector<std::string>& problems) {
    std::vector<ovIniSetting> settings;
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
            if (line.back() != ']' || line.size() < 3)
                problems.push_back(ovIniProblem(fileName, lineNumber,
                                                "a section header looks like [name], not '" + line + "'"));
            else
                current = ovIniTrim(std::string_view(line).substr(1, line.size() - 2));
            continue;
        }
        if (current != section)
            continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos) {
            problems.push_back(
                ovIniProblem(fileName, lineNumber, "expected 'name = value', found '" + line + "'"));
            continue;
        }
        settings.push_back({lineNumber, ovIniTrim(std::string_view(line).substr(0, eq)),
                            ovIniTrim(std::string_view(line).substr(eq + 1))});
    }
    return settings;
}
