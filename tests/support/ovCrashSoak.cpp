#include "support/ovCrashSoak.h"

#include <sqlite3.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

ovSoakOutcome ovRunKilledAtRandom(const ovSoakPlan& plan, std::mt19937& random,
                                  const std::function<int(int)>& job) {
    ovSoakOutcome outcome;
    std::bernoulli_distribution killed(plan.killShare);
    std::uniform_int_distribution<int> delay(0, plan.maxDelayMicros);
    for (int first = 0; first < plan.runs; first += plan.atOnce) {
        std::vector<std::pair<pid_t, int>> children;
        for (int i = first; i < std::min(first + plan.atOnce, plan.runs); ++i) {
            const pid_t child = fork();
            if (child < 0)
                std::abort(); // no process for the soak: nothing it says would mean anything
            if (child == 0)
                _exit(job(i));
            children.emplace_back(child, i);
        }
        for (auto& [child, i] : children) {
            if (killed(random)) {
                usleep(static_cast<useconds_t>(delay(random)));
                kill(child, SIGKILL);
            }
        }
        for (auto& [child, i] : children) {
            int status = 0;
            if (waitpid(child, &status, 0) != child)
                std::abort();
            if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
                outcome.confirmed.insert(i);
            else if (WIFSIGNALED(status))
                ++outcome.kills;
            else
                ++outcome.failed;
        }
    }
    return outcome;
}

std::string ovIntegrityOf(const std::string& file) {
    std::string result;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* check = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr) == SQLITE_OK)
            while (sqlite3_step(check) == SQLITE_ROW)
                result += reinterpret_cast<const char*>(sqlite3_column_text(check, 0));
        sqlite3_finalize(check);
    } else {
        result = sqlite3_errmsg(db);
    }
    sqlite3_close(db);
    return result;
}
