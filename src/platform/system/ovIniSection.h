#pragma once
// Orvida's own settings file is ini-like: `[section]` headers, `name = value` lines,
// blank lines and comments starting with # or ;. Each part of the program reads the
// section it owns and leaves the others alone.
#include <string>
#include <string_view>
#include <vector>

struct ovIniSetting {
    int line = 0;
    std::string key;
    std::string value;
};

// The settings of one section, in file order ("" is the part before the first header).
// Malformed headers anywhere, and lines of the section that are not `name = value`, go
// to problems as "FILE:LINE: what".
std::vector<ovIniSetting> ovIniSection(std::string_view text, const std::string& fileName,
                                       std::string_view section, std::vector<std::string>& problems);
// "FILE:LINE: what", the form every settings problem is reported in.
std::string ovIniProblem(const std::string& fileName, int line, const std::string& what);
std::string ovIniTrim(std::string_view text);
