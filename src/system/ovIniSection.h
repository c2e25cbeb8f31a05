#pragma once
// Orvida's own settings file is ini-like: `[section]` headers, `name = value` lines,
// blank lines and comments (lines starting with # or ;, and " #" after a value outside
// double quotes). Each part of the program reads the section it owns and leaves the
// others alone.
#include <string>
#include <string_view>
#include <vector>

struct ovIniSetting {
    int line = 0;
    std::string key;
    std::string value;
    // "FILE:LINE: what" for a line of the section that is not `name = value`.
    std::string problem;
};

struct ovIniSection {
    // The section's lines in file order ("" is the part before the first header),
    // those that are not settings with their problem.
    std::vector<ovIniSetting> settings;
    // The line of the section's (first) header; 0 when there is none.
    int headerLine = 0;
    // "FILE:LINE: what" for malformed headers anywhere in the file.
    std::vector<std::string> headerProblems;
};

ovIniSection ovReadIniSection(std::string_view text, const std::string& fileName, std::string_view section);
// "FILE:LINE: what", the form every settings problem is reported in.
std::string ovIniProblem(const std::string& fileName, int line, const std::string& what);
std::string ovIniTrim(std::string_view text);

// Reads a settings file whole. False when there is nothing to read: a missing file adds
// no problem; one that cannot be read, or is larger than any settings file should be,
// adds "FILE: why" (kind names what it should have been, e.g. "an msmtp configuration").
bool ovReadSettingsFile(const std::string& file, const char* kind, std::string& text,
                        std::vector<std::string>& problems);
