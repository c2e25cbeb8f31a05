// orvida: the program, its headless host, and the store tool.
#include "hosts/common/ovOptions.h"
#include "hosts/headless/ovHeadlessHost.h"
#include "hosts/pim/ovPimTool.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "pim") == 0)
        return ovRunPimTool(argc - 1, argv + 1);

    const ovResult<ovOptions> parsed = ovParseOptions(argc, argv);
    if (!parsed) {
        std::fprintf(stderr, "orvida: %s\nTry 'orvida --help'.\n", parsed.reason().c_str());
        return 2;
    }
    const ovOptions& options = parsed.value();
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
    // The window host, in src/hosts/sdl.
    int ovRunWindow(const ovOptions& options);
    return ovRunWindow(options);
}
