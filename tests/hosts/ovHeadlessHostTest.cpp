// The headless host as a user runs it: the real executable, a script, its output.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
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
