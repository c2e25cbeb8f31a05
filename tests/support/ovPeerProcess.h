#pragma once
// A helper program a test talks to (a mail server, a modem service): started with pipes
// on its standard input and output, it says it is ready by printing one line, and ends
// when its input closes. One that does not end is killed when the object goes.
#include <string>
#include <vector>

class ovPeerProcess {
public:
    // argv[0] is a path. Waits up to 20 s for the first line.
    explicit ovPeerProcess(std::vector<std::string> argv);
    ~ovPeerProcess();
    ovPeerProcess(const ovPeerProcess&) = delete;
    ovPeerProcess& operator=(const ovPeerProcess&) = delete;

    // The first line, without its newline; empty when none came.
    const std::string& firstLine() const { return firstLine_; }
    void stop();

private:
    std::string firstLine_;
    int pid_ = -1;
    int input_ = -1;
};
