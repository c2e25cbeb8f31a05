#pragma once
// SIGTERM and SIGINT ask the program to end, as Exit does: a session's logout, `timeout`
// and Ctrl+C in a terminal must be able to end it at any moment, with the store closed
// on the way out. The handler only notes the request (and ends a message box that a
// child process shows); the host's loop sees the note and closes the window.
#include <signal.h>
#include <sys/types.h>

class ovStopSignals {
public:
    // Installs the handlers; the destructor puts the previous ones back.
    ovStopSignals();
    ~ovStopSignals();
    ovStopSignals(const ovStopSignals&) = delete;
    ovStopSignals& operator=(const ovStopSignals&) = delete;

    // A stop signal arrived since the handlers were installed.
    static bool requested();
    // Shows a message box in a child process of its own group and waits for it; a
    // stop signal ends the box (and the wait). show runs in the child. Returns false
    // when no child could be started (the caller then shows the box itself).
    static bool runBoxProcess(void (*show)(const char* text, const char* caption), const char* text,
                              const char* caption);

private:
    struct sigaction previousTerm_ {};
    struct sigaction previousInt_ {};
};
