#include "support/ovTestProgram.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

ovTestProgram::ovTestProgram(int width, int height, const std::string& exe)
    : ovTestProgram(ovProgramAssembly(), width, height, exe) {}

ovTestProgram::ovTestProgram(const ovAssembly& assembly, int width, int height, const std::string& exe)
    : ovTestProgram(assembly, std::string(), width, height, exe) {}

ovTestProgram::ovTestProgram(const ovAssembly& assembly, const std::string& dataDir, int width, int height,
                             const std::string& exe)
    : ovTestProgram(assembly, dataDir, std::string(), width, height, exe) {}

ovTestProgram::ovTestProgram(const ovAssembly& assembly, const std::string& dataDir,
                             const std::string& configDir, int width, int height, const std::string& exe) {
    ovOptions options;
    options.headless = true;
    options.screenWidth = width;
    options.screenHeight = height;
    options.now = ovParseIsoLocal("2026-12-09T10:00:00");
    // A store of the test's own, never the user's.
    const std::filesystem::path data = !dataDir.empty() ? std::filesystem::path(dataDir)
                                                        : std::filesystem::temp_directory_path() /
                                                              ("orvida-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(data);
    options.dataDir = data.string();
    options.configDir = configDir;
    host_ = std::make_unique<ovHeadlessHost>(options, exe, &assembly);
}

void ovTestProgram::run(const std::string& lines) {
    std::istringstream in(lines);
    std::ostringstream out;
    for (std::string line; std::getline(in, line);) {
        const ovResult<ovScriptCommand> command = ovParseScriptLine(line);
        ASSERT_TRUE(command.ok()) << line << ": " << command.reason();
        host_->execute(command.value(), out);
    }
}

ovHyperNode* ovTestProgram::makeNode(const std::u16string& label, int id, int tag) {
    ovHyperNode* node = app().makeNode<ovHyperNode>();
    node->x = 0;
    node->y = 0;
    node->valid = 1;
    node->nodeId = id;
    node->label = label;
    node->tag = tag;
    return node;
}
