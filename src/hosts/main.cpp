// orvida: the program, its headless host, the store tool, the reminder run and the outbox.
#include "hosts/common/ovOptions.h"
#include "hosts/headless/ovHeadlessHost.h"
#include "hosts/outbox/ovOutboxTool.h"
#include "hosts/pim/ovPimTool.h"
#include "hosts/remind/ovRemindTool.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "pim") == 0)
        return ovRunPimTool(argc - 1, argv + 1);
    if (argc > 1 && std::strcmp(argv[1], "remind") == 0)
        return ovRunRemindTool(argc - 1, argv + 1);
    if (argc > 1 && std::strcmp(argv[1], "outbox") == 0)
        return ovRunOutboxTool(argc - 1, argv + 1);

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
