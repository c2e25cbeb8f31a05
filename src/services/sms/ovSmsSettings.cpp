#include "services/sms/ovSmsSettings.h"

#include "system/ovIniSection.h"
#include "system/ovPaths.h"

#include <algorithm>
#include <sstream>

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
    ovIniSection section = ovReadIniSection(text, fileName, "sms");
    s.problems = std::move(section.headerProblems);
    for (const ovIniSetting& setting : section.settings) {
        if (!setting.problem.empty()) {
            s.problems.push_back(setting.problem);
            continue;
        }
        auto problem = [&](const std::string& what) {
            s.problems.push_back(ovIniProblem(fileName, setting.line, what));
        };
        const std::string& key = setting.key;
        const std::string& value = setting.value;
        if (key == "provider") {
            s.providerGiven = true;
            if (value == "spool")
                s.provider = ovSmsSettings::Provider::spool;
            else if (value == "command")
                s.provider = ovSmsSettings::Provider::command;
            else if (value == "modemmanager")
                s.provider = ovSmsSettings::Provider::modemmanager;
            else
                problem("the SMS provider is 'spool', 'command' or 'modemmanager', not '" + value + "'");
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
    std::string text;
    ovSmsSettings defaults;
    if (ovReadSettingsFile(file, "Orvida's configuration", text, defaults.problems))
        return ovParseSmsSettings(text, file);
    return defaults;
}
