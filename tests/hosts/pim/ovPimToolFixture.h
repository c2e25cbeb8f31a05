#pragma once
// The store tool run in-process on a scratch folder of the test's own, with what it
// printed kept for the test to read.
#include "hosts/pim/ovPimTool.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

class ovPimToolFixture : public ::testing::Test {
protected:
    ovPimToolFixture() {
        std::string pattern = (std::filesystem::temp_directory_path() / "ovPimToolTest-XXXXXX").string();
        root = mkdtemp(pattern.data());
        data = root + "/data";
    }
    ~ovPimToolFixture() override { std::filesystem::remove_all(root); }

    // Runs `pim --data DATA args...`; keeps what it printed.
    int run(std::vector<std::string> args) {
        args.insert(args.begin(), {"pim", "--data", data});
        std::ostringstream out, err;
        const int code = ovRunPimTool(args, out, err);
        output = out.str();
        errors = err.str();
        return code;
    }

    std::string root;
    std::string data;
    std::string output;
    std::string errors;
};
