// Whole starts of the program, each a process of its own on the headless host: the
// time from exec to the end of a one-line script (which covers the first frame) and the
// process's peak resident set. A start at a size whose pictures are not in the cache
// yet draws them; the others only load them.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {
struct Start {
    double milliseconds = 0;
    long peakKilobytes = 0;
    bool ok = false;
};

Start runOnce(const fs::path& work, const std::string& size, const fs::path& cache) {
    const std::string program = ORVIDA_BIN_DIR "/orvida";
    const std::string data = (work / "data").string();
    const std::string script = (work / "script").string();
    const auto begin = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        setenv("XDG_CACHE_HOME", cache.c_str(), 1);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        execl(program.c_str(), program.c_str(), "--headless", "--screen", size.c_str(), "--data",
              data.c_str(), "--script", script.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    Start start;
    if (child < 0)
        return start;
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child)
        return start;
    start.milliseconds =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
    start.peakKilobytes = usage.ru_maxrss;
    start.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return start;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool report(const char* what, const std::vector<Start>& runs, double barMs, long barKb) {
    std::vector<double> times;
    long peak = 0;
    for (const Start& s : runs) {
        if (!s.ok) {
            std::printf("%-58s the program failed\n", what);
            return false;
        }
        times.push_back(s.milliseconds);
        peak = std::max(peak, s.peakKilobytes);
    }
    if (barMs > 0)
        std::printf("%-58s %8.1f ms (bar %.0f ms)\n", what, median(times), barMs);
    if (barKb > 0)
        std::printf("%-58s %8.1f MB (bar %ld MB)\n", what, peak / 1024.0, barKb / 1024);
    return true;
}
} // namespace

int main() {
    std::string pattern = (fs::temp_directory_path() / "orvida-start-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("orvida_start_bench: cannot make a folder to work in");
        return 1;
    }
    const fs::path work = pattern;
    fs::create_directories(work / "data");
    std::ofstream(work / "script") << "wait 10\n";
    constexpr int kRuns = 5;
    bool ok = true;

    // Drawing: every run on an empty cache of its own.
    std::vector<Start> drawing;
    for (int i = 0; i < 3; ++i)
        drawing.push_back(runOnce(work, "1080x2340", work / ("fresh" + std::to_string(i))));
    ok = report("first start at 1080x2340, drawing the pictures", drawing, 500, 0) && ok;

    // Loading: the pictures drawn once before.
    const fs::path cache = work / "cache";
    for (const char* size : {"480x640", "1080x2340"}) {
        ok = runOnce(work, size, cache).ok && ok;
        std::vector<Start> runs;
        for (int i = 0; i < kRuns; ++i)
            runs.push_back(runOnce(work, size, cache));
        const bool small = std::string(size) == "480x640";
        const std::string start = std::string("start to first frame at ") + size + ", pictures cached";
        const std::string peak = std::string("peak resident set of a headless start at ") + size;
        ok = report(start.c_str(), runs, small ? 50 : 0, 0) && ok;
        ok = report(peak.c_str(), runs, 0, small ? 32 * 1024 : 64 * 1024) && ok;
    }
    std::error_code ignored;
    fs::remove_all(work, ignored);
    return ok ? 0 : 1;
}
