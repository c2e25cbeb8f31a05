#pragma once
// The owner of a POSIX file descriptor (a file, a socket): closed exactly once, when
// the owner goes or is given another one.
#include <unistd.h>

#include <utility>

class ovFileDescriptor {
public:
    ovFileDescriptor() = default;
    // Takes a descriptor as open(2), socket(2) and friends return it; -1 holds nothing.
    explicit ovFileDescriptor(int fd) : fd_(fd) {}
    ~ovFileDescriptor() { reset(); }
    ovFileDescriptor(ovFileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    ovFileDescriptor& operator=(ovFileDescriptor&& other) noexcept {
        if (this != &other)
            reset(std::exchange(other.fd_, -1));
        return *this;
    }
    ovFileDescriptor(const ovFileDescriptor&) = delete;
    ovFileDescriptor& operator=(const ovFileDescriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes what is held and takes fd instead.
    void reset(int fd = -1) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_ = -1;
};
