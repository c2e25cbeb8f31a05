#pragma once
// The owner of a POSIX file descriptor (a file, a socket): closed exactly once, when
// the owner goes or is given another one. Its reads and writes are the program's only
// loops that go on after an interrupting signal.
#include <unistd.h>

#include <cstddef>
#include <string_view>
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
    // Reads until the end of the file or until `size` bytes are in, going on when a
    // signal interrupts. The count read, or -1 with errno set.
    ssize_t readAll(void* buffer, size_t size) const;
    // Writes every byte, going on when a signal interrupts. False with errno set.
    bool writeAll(std::string_view bytes) const;

    // Closes what is held and takes fd instead.
    void reset(int fd = -1) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_ = -1;
};
