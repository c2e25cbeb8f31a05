#include "hosts/common/ovOptions.h"

#include "platform/pim/ovPimPaths.h"

#include <cstdlib>
#include <cstring>

namespace {
bool parseInt(const std::string& text, int low, int high, int& out) {
    if (text.empty() || text.size() > 9)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value < low || value > high)
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
           "\n"
           "A finger-first front end for a portrait touch screen.\n"
           "\n"
           "Options:\n"
           "  --screen WxH        the device's screen size in pixels (default 480x640; portrait only)\n"
           "  --data DIR          where the store and outboxes live (default $XDG_DATA_HOME/orvida)\n"
           "  --config DIR        where the settings live (default $XDG_CONFIG_HOME/orvida)\n"
           "  --debug             write the program's debug output to standard error\n"
           "  --headless          run without a window, driven by a script\n"
           "  --script FILE       the touch script for --headless ('-' reads standard input)\n"
           "  --now YYYY-MM-DDTHH:MM:SS\n"
           "                      headless only: the local time at the start of the script\n"
           "  --help              show this text\n"
           "  --version           show the version\n";
}

ovOptionsResult ovParseOptions(int argc, const char* const* argv) {
    ovOptionsResult result;
    ovOptions& o = result.options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                result.error = "option " + arg + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string v;
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--version") {
            o.version = true;
        } else if (arg == "--debug") {
            o.debug = true;
        } else if (arg == "--headless") {
            o.headless = true;
        } else if (arg == "--screen") {
            if (!value(v))
                return result;
            if (!ovParseScreenSize(v, o.screenWidth, o.screenHeight)) {
                result.error = "--screen wants WIDTHxHEIGHT in pixels, such as 480x640, not '" + v + "'";
                return result;
            }
        } else if (arg == "--data") {
            if (!value(o.dataDir))
                return result;
        } else if (arg == "--config") {
            if (!value(o.configDir))
                return result;
        } else if (arg == "--script") {
            if (!value(o.script))
                return result;
        } else if (arg == "--now") {
            if (!value(v))
                return result;
            o.now = ovParseIsoLocal(v);
            if (!o.now) {
                result.error = "--now wants a local time YYYY-MM-DDTHH:MM:SS, not '" + v + "'";
                return result;
            }
        } else {
            result.error = "unknown option '" + arg + "'";
            return result;
        }
    }
    if (!o.headless && (!o.script.empty() || o.now)) {
        result.error = "--script and --now work only with --headless";
        return result;
    }
    result.ok = true;
    return result;
}

std::string ovStoreFileFor(const ovOptions& options) {
    return ovPimStoreFileIn(options.dataDir.empty() ? ovDefaultDataFolder() : options.dataDir);
}
