#include "hosts/common/ovStopSignals.h"

#include <cerrno>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// What the handler may touch: plain flags, read and written whole.
volatile sig_atomic_t stopRequested = 0;
// The process group of the message box being shown, 0 when none.
volatile sig_atomic_t boxGroup = 0;

void onStopSignal(int) {
    stopRequested = 1;
    const pid_t group = boxGroup;
    if (group > 0)
        kill(-group, SIGTERM);
}
} // namespace

ovStopSignals::ovStopSignals() {
    stopRequested = 0;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a script read from a pipe that never ends must give up its read.
    action.sa_flags = 0;
    sigaction(SIGTERM, &action, &previousTerm_);
    sigaction(SIGINT, &action, &previousInt_);
}

ovStopSignals::~ovStopSignals() {
    sigaction(SIGTERM, &previousTerm_, nullptr);
    sigaction(SIGINT, &previousInt_, nullptr);
}

bool ovStopSignals::requested() {
    return stopRequested != 0;
}

bool ovStopSignals::runBoxProcess(void (*show)(const char* text, const char* caption), const char* text,
                                  const char* caption) {
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        // The box's own group, so that the stop ends it together with any helper the
        // toolkit starts for it; here the signals end the box at once.
        setpgid(0, 0);
        signal(SIGTERM, SIG_DFL);
        signal(SIGINT, SIG_DFL);
        show(text, caption);
        _exit(0);
    }
    setpgid(child, child);
    boxGroup = child;
    if (stopRequested != 0)
        kill(-child, SIGTERM);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    boxGroup = 0;
    return true;
}
