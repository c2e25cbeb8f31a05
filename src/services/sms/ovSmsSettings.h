#pragma once
// How text messages leave the device, from the [sms] section of orvida.conf:
//
//   [sms]
//   provider = command             # or modemmanager, or spool
//   command = /usr/local/bin/send-sms --modem 0
//   timeout = 30                   # seconds the command (or the modem) may take
//
// Without a provider line, messages go to ModemManager where it runs, else to the spool.
// The command's words are split at spaces, with double quotes for words that hold
// spaces; no shell is involved. Other sections belong to other parts of the program
// and are left alone.
#include <string>
#include <string_view>
#include <vector>

struct ovSmsSettings {
    enum class Provider { spool, command, modemmanager };
    static constexpr int defaultTimeoutSeconds = 30;

    Provider provider = Provider::spool;
    bool providerGiven = false; // false: chosen by what the machine offers
    std::vector<std::string> command;
    int timeoutSeconds = defaultTimeoutSeconds;
    std::string file; // where they were read from; empty without a file
    // "FILE:LINE: problem"; the settings hold what the good lines said.
    std::vector<std::string> problems;
};

// orvida.conf in the configuration folder given, or in $XDG_CONFIG_HOME/orvida.
std::string ovOrvidaConfigFile(const std::string& configDir);
ovSmsSettings ovParseSmsSettings(std::string_view text, const std::string& fileName);
// A missing file gives the defaults.
ovSmsSettings ovReadSmsSettings(const std::string& file);
// Splits a command line into words: spaces separate, double quotes keep spaces, a
// backslash inside quotes escapes " and \. False for an unclosed quote.
bool ovSplitCommandLine(std::string_view text, std::vector<std::string>& words);
