#pragma once
// The program's command line.
#include "base/ovResult.h"
#include "system/ovDateTime.h"

#include <optional>
#include <string>

struct ovOptions {
    int screenWidth = 480;
    int screenHeight = 640;
    bool screenGiven = false; // --screen was given
    // How the window host shows the program: Auto fills a portrait display (a phone) and
    // opens a window of the screen's size elsewhere.
    enum class Display { Auto, FullScreen, Window };
    Display display = Display::Auto;
    std::string dataDir;   // empty: the default under $XDG_DATA_HOME
    std::string configDir; // empty: the default under $XDG_CONFIG_HOME
    bool debug = false;
    bool headless = false;
    std::string script; // "-" for standard input; empty: none
    std::optional<ovSystemTime> now;
    bool help = false;
    bool version = false;
};

ovResult<ovOptions> ovParseOptions(int argc, const char* const* argv);
// Parses "WxH" with both sides in 1..16384.
bool ovParseScreenSize(const std::string& text, int& width, int& height);
const char* ovUsageText();
// The store file the options ask for: in --data DIR, or in the XDG data folder.
std::string ovStoreFileFor(const ovOptions& options);
