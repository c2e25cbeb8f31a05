#include "system/ovProcess.h"

#include "system/ovFileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {
constexpr size_t kMaxOutput = 256 * 1024;

// A pipe whose ends close themselves.
struct ovPipe {
    int fd[2] = {-1, -1};
    ~ovPipe() { closeBoth(); }
    bool open() { return pipe2(fd, O_CLOEXEC) == 0; }
    void closeEnd(int i) {
        if (fd[i] >= 0)
            close(fd[i]);
        fd[i] = -1;
    }
    void closeBoth() {
        closeEnd(0);
        closeEnd(1);
    }
};

int exitStatusOf(int status) {
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return 128 + WTERMSIG(status);
}

std::string secondsText(int ms) {
    const int tenths = (ms + 50) / 100;
    std::string text = std::to_string(tenths / 10);
    if (tenths % 10 != 0) {
        text += '.';
        text += static_cast<char>('0' + tenths % 10);
    }
    return text + " s";
}
} // namespace

ovResult<ovProcessRun> ovRunProcess(const std::vector<std::string>& argv, int timeoutMs,
                                    const std::vector<std::string>& extraEnv, std::string_view input) {
    if (argv.empty() || argv[0].empty())
        return ovFail(ovProcessCode::cannotStart, "no program to run");
    ovPipe out, err;
    if (!out.open() || !err.open())
        return ovFail(ovProcessCode::cannotStart, std::string("cannot make a pipe: ") + std::strerror(errno));
    // The input waits whole in an anonymous file rather than a pipe: nothing to feed while
    // the child runs, and a child that never reads it cannot make us wait or fail.
    ovFileDescriptor inputFile;
    if (!input.empty()) {
        inputFile.reset(memfd_create("orvida-input", MFD_CLOEXEC));
        if (!inputFile.valid() || !inputFile.writeAll(input) || lseek(inputFile.get(), 0, SEEK_SET) != 0)
            return ovFail(ovProcessCode::cannotStart,
                          std::string("cannot hold the program's input: ") + std::strerror(errno));
    }

    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<std::string> envStore;
    for (char** e = environ; e != nullptr && *e != nullptr; ++e)
        envStore.emplace_back(*e);
    envStore.insert(envStore.end(), extraEnv.begin(), extraEnv.end());
    std::vector<char*> env;
    for (std::string& e : envStore)
        env.push_back(e.data());
    env.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (inputFile.valid())
        posix_spawn_file_actions_adddup2(&actions, inputFile.get(), 0);
    else
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out.fd[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err.fd[1], 2);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    // A group of its own, so a timeout can end the grandchildren a shell started too.
    posix_spawnattr_setpgroup(&attr, 0);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, args[0], &actions, &attr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0)
        return ovFail(ovProcessCode::cannotStart, "cannot run " + argv[0] + ": " + std::strerror(rc));
    out.closeEnd(1);
    err.closeEnd(1);

    ovProcessRun run;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool timedOut = false;
    pollfd fds[2] = {{out.fd[0], POLLIN, 0}, {err.fd[0], POLLIN, 0}};
    std::string* sinks[2] = {&run.out, &run.err};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        const int n = poll(fds, 2, static_cast<int>(left.count()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buffer[4096];
            const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                if (sinks[i]->size() < kMaxOutput)
                    sinks[i]->append(buffer,
                                     std::min(static_cast<size_t>(got), kMaxOutput - sinks[i]->size()));
            } else if (got == 0 || errno != EINTR) {
                fds[i].fd = -1; // the pipe itself is closed by its owner
            }
        }
    }
    int status = 0;
    if (timedOut) {
        kill(-pid, SIGKILL);
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        return ovFail(ovProcessCode::timedOut,
                      argv[0] + " did not finish within " + secondsText(timeoutMs) + " and was stopped");
    }
    // The pipes closed; the program may still be ending (or have left a child behind
    // that closed its outputs). Give it until the deadline, then end the group.
    for (;;) {
        const pid_t w = waitpid(pid, &status, WNOHANG);
        if (w == pid)
            break;
        if (w < 0 && errno != EINTR)
            break;
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(-pid, SIGKILL);
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            return ovFail(ovProcessCode::timedOut,
                          argv[0] + " did not finish within " + secondsText(timeoutMs) + " and was stopped");
        }
        usleep(2000);
    }
    run.exitStatus = exitStatusOf(status);
    return run;
}
