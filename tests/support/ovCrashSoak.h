#pragma once
// The crash soaks' common part: jobs run in child processes a few at a time, some killed
// with SIGKILL at a random moment, and the store's own check of itself afterwards.
#include <functional>
#include <random>
#include <set>
#include <string>

struct ovSoakOutcome {
    std::set<int> confirmed; // jobs that ran to the end and exited 0
    int kills = 0;
    int failed = 0; // jobs that ran to the end and reported a failure
};

struct ovSoakPlan {
    int runs = 0;
    int atOnce = 3;
    double killShare = 0.5; // of the jobs, killed at a moment within maxDelayMicros of their start
    int maxDelayMicros = 20000;
};

// job(i) runs in a child process; its return value is the child's exit status.
ovSoakOutcome ovRunKilledAtRandom(const ovSoakPlan& plan, std::mt19937& random,
                                  const std::function<int(int)>& job);
// SQLite's integrity check of the file, read-only: "ok" for a whole store.
std::string ovIntegrityOf(const std::string& file);
