#include "ovTestProgram.h"

#include <gtest/gtest.h>
#include <sstream>

ovTestProgram::ovTestProgram(int width, int height, const std::string& exe) {
    ovOptions options;
    options.headless = true;
    options.screenWidth = width;
    options.screenHeight = height;
    options.now = ovParseIsoLocal("2026-12-09T10:00:00");
    host_ = std::make_unique<ovHeadlessHost>(options, exe);
}

void ovTestProgram::run(const std::string& lines) {
    std::istringstream in(lines);
    std::ostringstream out;
    for (std::string line; std::getline(in, line);) {
        ovScriptCommand command;
        std::string error;
        ASSERT_TRUE(ovParseScriptLine(line, command, error)) << line << ": " << error;
        host_->execute(command, out);
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
