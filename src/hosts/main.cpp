// orvida: the program, its headless host, and the store tool.
#include "ovHeadlessHost.h"
#include "ovOptions.h"

#include <cstdio>

int main(int argc, char** argv) {
    const ovOptionsResult parsed = ovParseOptions(argc, argv);
    if (!parsed.ok) {
        std::fprintf(stderr, "orvida: %s\nTry 'orvida --help'.\n", parsed.error.c_str());
        return 2;
    }
    const ovOptions& options = parsed.options;
    if (options.help) {
        std::fputs(ovUsageText(), stdout);
        return 0;
    }
    if (options.version) {
        std::puts("orvida 1.0");
        return 0;
    }
    if (options.headless)
        return ovRunHeadless(options);
    std::fprintf(stderr, "orvida: the window host is not available in this build; use --headless\n");
    return 1;
}
