// The headless host as a user runs it: the real executable, a script, its output.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

struct ProgramRun {
    int exitCode = -1;
    std::string out;
};

// CTest runs the cases of this program side by side: each process has its own folder.
fs::path testFolder() {
    return fs::temp_directory_path() / ("orvida-host-test-" + std::to_string(getpid()));
}

ProgramRun runOrvida(const std::string& args, const std::string& script) {
    const fs::path dir = testFolder();
    fs::create_directories(dir);
    const fs::path scriptFile = dir / "script.txt";
    std::ofstream(scriptFile) << script;
    const std::string command = std::string(ORVIDA_BIN_DIR) +
                                "/orvida --headless --now 2026-12-09T10:00:00 " + args + " --script " +
                                scriptFile.string() + " 2>&1";
    ProgramRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}
} // namespace

TEST(HeadlessHost, StateFollowsTheTapsAndShotWritesAPicture) {
    const fs::path shot = testFolder() / "home.png";
    fs::remove(shot);
    const ProgramRun run = runOrvida("--screen 240x320", "state\n"
                                                         "tap 140 114\n"
                                                         "state\n"
                                                         "tap 120 85\n"
                                                         "state\n"
                                                         "shot " +
                                                             shot.string() + "\n");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    const size_t first = run.out.find("{\"current\":{\"id\":0,\"label\":\"Start\"");
    const size_t second = run.out.find("{\"current\":{\"id\":5,\"label\":\"Home Screen\"", first);
    // A tap on the date, beside the buttons, leaves the home screen current.
    const size_t third = run.out.find("{\"current\":{\"id\":5,", second + 1);
    EXPECT_NE(first, std::string::npos) << run.out;
    EXPECT_NE(second, std::string::npos) << run.out;
    EXPECT_NE(third, std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"clicks\":2"), std::string::npos) << run.out;
    ASSERT_TRUE(fs::exists(shot));
    std::ifstream png(shot, std::ios::binary);
    char magic[8] = {};
    png.read(magic, 8);
    EXPECT_EQ(std::string(magic + 1, 3), "PNG");
}

TEST(HeadlessHost, MalformedLineStopsWithExitCodeTwoNamingIt) {
    const ProgramRun run = runOrvida("", "state\n# fine\ntap 1 two\nstate\n");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.out.find("script.txt:3:"), std::string::npos) << run.out;
    // The first state line ran, the one after the bad line did not.
    EXPECT_EQ(run.out.find("\"current\""), run.out.rfind("\"current\""));
}

TEST(HeadlessHost, LandscapeIsRefused) {
    const ProgramRun run =
        runOrvida("--debug --data " + (testFolder() / "landscape").string() + " --screen 321x320", "state\n");
    EXPECT_EQ(run.exitCode, 1);
    const size_t message =
        run.out.find("Not designed for landscape mode. Please switch to portrait mode to run it.");
    EXPECT_NE(message, std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("\"current\""), std::string::npos);
    // The refusal ends the program through its entry point: the store is still closed.
    const size_t logOff = run.out.find("Shutting down POOM");
    EXPECT_NE(logOff, std::string::npos) << run.out;
    EXPECT_GT(logOff, message);
}

TEST(HeadlessHost, CtrlQClosesTheProgram) {
    const ProgramRun run = runOrvida("", "key ctrl+q\nstate\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("\"exited\":true"), std::string::npos) << run.out;
}

// A script's output that cannot be had is a failure the caller must see, never exit 0.
TEST(HeadlessHost, FailedReadsAndWritesEndWithAMessageAndANonZeroExit) {
    const fs::path dir = testFolder();
    const std::string data = " --data " + (dir / "io-data").string();
    const ProgramRun missingFolder =
        runOrvida(data, "shot " + (dir / "no-such-folder" / "x.png").string() + "\nstate\n");
    EXPECT_EQ(missingFolder.exitCode, 1) << missingFolder.out;
    EXPECT_NE(missingFolder.out.find("cannot write " + (dir / "no-such-folder" / "x.png").string()),
              std::string::npos)
        << missingFolder.out;
    // The script stops at the failed line.
    EXPECT_EQ(missingFolder.out.find("\"current\""), std::string::npos) << missingFolder.out;

    const ProgramRun fullDevice = runOrvida(data, "winshot /dev/full\n");
    EXPECT_EQ(fullDevice.exitCode, 1) << fullDevice.out;
    EXPECT_NE(fullDevice.out.find("cannot write /dev/full"), std::string::npos) << fullDevice.out;

    const std::string binary = std::string(ORVIDA_BIN_DIR) + "/orvida --headless --now 2026-12-09T10:00:00";
    const fs::path errors = dir / "errors.txt";
    auto exitOf = [](const std::string& command) {
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    auto errorText = [&] {
        std::ifstream in(errors);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_NE(exitOf(binary + data + " --script " + dir.string() + " 2>" + errors.string()), 0);
    EXPECT_NE(errorText().find("it is a folder"), std::string::npos) << errorText();

    std::ofstream(dir / "state.txt") << "state\n";
    EXPECT_EQ(exitOf(binary + data + " --script " + (dir / "state.txt").string() + " >/dev/full 2>" +
                     errors.string()),
              1);
    EXPECT_NE(errorText().find("cannot write"), std::string::npos) << errorText();

    // A line that never ends runs out of the memory it is given (sanitizers reserve far
    // more address space than a limit allows, so only the plain build runs this case).
    if (!kSanitized) {
        EXPECT_EQ(exitOf("ulimit -v 1500000; " + binary + data + " --script /dev/zero 2>" + errors.string()),
                  1);
        EXPECT_NE(errorText().find("too long to hold in memory"), std::string::npos) << errorText();
    }
}
