#include "hosts/common/ovOptions.h"

#include "system/ovPaths.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>

namespace {
bool parseInt(const std::string& text, int low, int high, int& out) {
    // Digits only: no sign, no spaces.
    unsigned value = 0;
    const char* last = text.data() + text.size();
    const auto [end, failure] = std::from_chars(text.data(), last, value);
    if (failure != std::errc() || end != last || value < static_cast<unsigned>(low) ||
        value > static_cast<unsigned>(high))
        return false;
    out = static_cast<int>(value);
    return true;
}
} // namespace

bool ovParseScreenSize(const std::string& text, int& width, int& height) {
    const size_t x = text.find('x');
    if (x == std::string::npos)
        return false;
    return parseInt(text.substr(0, x), 1, 16384, width) && parseInt(text.substr(x + 1), 1, 16384, height);
}

const char* ovUsageText() {
    return "Usage: orvida [OPTIONS]\n"
           "       orvida pim [--data DIR] COMMAND ...   (run 'orvida pim --help')\n"
           "       orvida outbox [--data DIR] [--config DIR] [send]   (the e-mail waiting to go)\n"
           "\n"
           "A finger-first front end for a portrait touch screen.\n"
           "\n"
           "Options:\n"
           "  --screen WxH        the device's screen size in pixels (default: a portrait display's\n"
           "                      own size when the program fills it, else 480x640; portrait only)\n"
           "  --fullscreen        fill the display, whatever its shape\n"
           "  --window            open a window of the screen's size, also on a portrait display\n"
           "                      (by default the program fills a portrait display, such as a\n"
           "                      phone's, and opens a window elsewhere)\n"
           "  --data DIR          where the store and outboxes live (default $XDG_DATA_HOME/orvida)\n"
           "  --config DIR        where the settings live (default $XDG_CONFIG_HOME/orvida)\n"
           "  --debug             write the program's debug output to standard error, among it\n"
           "                      the video driver the window runs on\n"
           "  --headless          run without a window, driven by a script\n"
           "  --script FILE       the touch script for --headless ('-' reads standard input)\n"
           "  --now YYYY-MM-DDTHH:MM:SS\n"
           "                      headless only: the local time at the start of the script\n"
           "  --help              show this text\n"
           "  --version           show the version\n";
}

ovResult<ovOptions> ovParseOptions(int argc, const char* const* argv) {
    ovOptions o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc)
                return false;
            out = argv[++i];
            return true;
        };
        const ovError needsValue = ovFail("option " + arg + " needs a value");
        std::string v;
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--version") {
            o.version = true;
        } else if (arg == "--debug") {
            o.debug = true;
        } else if (arg == "--headless") {
            o.headless = true;
        } else if (arg == "--fullscreen") {
            o.display = ovOptions::Display::FullScreen;
        } else if (arg == "--window") {
            o.display = ovOptions::Display::Window;
        } else if (arg == "--screen") {
            if (!value(v))
                return needsValue;
            o.screenGiven = true;
            if (!ovParseScreenSize(v, o.screenWidth, o.screenHeight))
                return ovFail("--screen wants WIDTHxHEIGHT in pixels, such as 480x640, not '" + v + "'");
        } else if (arg == "--data") {
            if (!value(o.dataDir))
                return needsValue;
        } else if (arg == "--config") {
            if (!value(o.configDir))
                return needsValue;
        } else if (arg == "--script") {
            if (!value(o.script))
                return needsValue;
        } else if (arg == "--now") {
            if (!value(v))
                return needsValue;
            o.now = ovParseIsoLocal(v);
            if (!o.now)
                return ovFail("--now wants a local time YYYY-MM-DDTHH:MM:SS, not '" + v + "'");
        } else {
            return ovFail("unknown option '" + arg + "'");
        }
    }
    if (std::find(argv + 1, argv + argc, std::string_view("--fullscreen")) != argv + argc &&
        std::find(argv + 1, argv + argc, std::string_view("--window")) != argv + argc)
        return ovFail("--fullscreen and --window exclude each other");
    if (!o.headless && (!o.script.empty() || o.now))
        return ovFail("--script and --now work only with --headless");
    return o;
}

std::string ovStoreFileFor(const ovOptions& options) {
    return ovPimStoreFileIn(options.dataDir.empty() ? ovDefaultDataFolder() : options.dataDir);
}
