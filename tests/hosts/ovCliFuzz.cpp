// libFuzzer target for what a user types at the program: headless script lines, the
// command-line options (NUL bytes separate the arguments) and the local dates of --now.
// Any input gives a command or an error, never a crash, and a date that parses prints
// back as the same text.
#include "hosts/common/ovOptions.h"
#include "hosts/headless/ovScript.h"
#include "system/ovDateTime.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const ovResult<ovScriptCommand> line = ovParseScriptLine(text.substr(start, end - start));
        if (!line && line.reason().empty())
            std::abort();
        start = end + 1;
    }

    std::vector<std::string> args{"orvida"};
    size_t from = 0;
    for (size_t i = 0; i <= text.size(); ++i)
        if (i == text.size() || text[i] == '\0') {
            args.push_back(text.substr(from, i - from));
            from = i + 1;
        }
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const ovResult<ovOptions> options = ovParseOptions(static_cast<int>(args.size()), argv.data());
    if (options && (options.value().screenWidth <= 0 || options.value().screenHeight <= 0))
        std::abort();

    if (const std::optional<ovSystemTime> date = ovParseIsoLocal(text))
        if (ovFormatIsoLocal(*date) != text)
            std::abort();
    return 0;
}
