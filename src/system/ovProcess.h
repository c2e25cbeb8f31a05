#pragma once
// Runs another program to its end, as a child of ours: no shell, its arguments passed
// exactly as given, standard input the bytes given (none by default), standard output
// and error collected. A
// program that outlives its time limit is killed together with everything it started.
#include "base/ovResult.h"

#include <string>
#include <string_view>
#include <vector>

struct ovProcessRun {
    // The exit status, or 128 + the signal number when a signal ended it.
    int exitStatus = 0;
    std::string out;
    std::string err;
};

enum class ovProcessCode { cannotStart = 1, timedOut = 2 };

// argv[0] is looked up on PATH when it holds no slash. extraEnv adds NAME=VALUE entries to
// our environment for the child. input is what the child reads on its standard input,
// whole, whether or not it reads it all. Output beyond a few hundred kilobytes is dropped.
ovResult<ovProcessRun> ovRunProcess(const std::vector<std::string>& argv, int timeoutMs,
                                    const std::vector<std::string>& extraEnv = {},
                                    std::string_view input = {});
