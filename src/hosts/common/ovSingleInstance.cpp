#include "hosts/common/ovSingleInstance.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {
constexpr char kRaiseRequest[] = "raise\n";
// A copy that holds the lock binds its socket right after; these bound the wait for it.
constexpr int kConnectAttempts = 100;
constexpr auto kConnectPause = std::chrono::milliseconds(20);
// How long a connected client may take to send its request.
constexpr int kRequestWaitMs = 200;

std::string describe(const std::string& what, const std::string& file) {
    return what + " " + file + ": " + std::strerror(errno);
}

bool fillAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

} // namespace

std::string ovSingleInstance::defaultFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st {};
    if (runtime != nullptr && runtime[0] == '/' && ::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode))
        return runtime;
    return "/tmp/orvida-" + std::to_string(::getuid());
}

ovSingleInstance::ovSingleInstance(std::string folder)
    : folder_(folder.empty() ? defaultFolder() : std::move(folder)) {}

ovSingleInstance::~ovSingleInstance() {
    if (listenFd_.valid()) {
        listenFd_.reset();
        ::unlink(socketFile().c_str());
    }
    // The lock file stays: removing it could let two copies lock two different files.
}

bool ovSingleInstance::prepareFolder() {
    if (::mkdir(folder_.c_str(), 0700) != 0 && errno != EEXIST) {
        error_ = describe("cannot create the folder", folder_);
        return false;
    }
    struct stat st {};
    if (::lstat(folder_.c_str(), &st) != 0) {
        error_ = describe("cannot read the folder", folder_);
        return false;
    }
    // Another user who could write here could plant a socket that answers for us.
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid() || (st.st_mode & 022) != 0) {
        error_ = "the folder " + folder_ + " is not a private folder of this user";
        return false;
    }
    return true;
}

ovSingleInstance::Role ovSingleInstance::acquire() {
    if (role_ != Role::None)
        return role_;
    if (!prepareFolder())
        return role_;
    const std::string lock = lockFile();
    sockaddr_un address;
    if (!fillAddress(socketFile(), address)) {
        error_ = "the folder " + folder_ + " has too long a name for a local socket";
        return role_;
    }
    // Close-on-exec: a program we start must not inherit the lock and outlive us with it.
    lockFd_.reset(::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!lockFd_.valid()) {
        error_ = describe("cannot open the lock file", lock);
        return role_;
    }
    if (::flock(lockFd_.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) {
            lockFd_.reset();
            role_ = Role::Secondary;
            return role_;
        }
        error_ = describe("cannot lock", lock);
        lockFd_.reset();
        return role_;
    }
    // The process id is only for people looking at the file.
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(lockFd_.get(), 0) == 0 && ::write(lockFd_.get(), pid.data(), pid.size()) < 0) {
        // Not needed for the lock itself.
    }
    if (!listen()) {
        lockFd_.reset();
        return role_;
    }
    role_ = Role::Primary;
    return role_;
}

bool ovSingleInstance::listen() {
    const std::string path = socketFile();
    sockaddr_un address;
    fillAddress(path, address);
    // Whatever socket is there was left by a copy that no longer holds the lock.
    ::unlink(path.c_str());
    listenFd_.reset(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!listenFd_.valid()) {
        error_ = describe("cannot create the socket", path);
        return false;
    }
    if (::bind(listenFd_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listenFd_.get(), 4) != 0) {
        error_ = describe("cannot listen on", path);
        listenFd_.reset();
        return false;
    }
    return true;
}

bool ovSingleInstance::requestRaise() {
    if (role_ != Role::Secondary) {
        error_ = "only a second copy asks the running one to raise its window";
        return false;
    }
    const std::string path = socketFile();
    sockaddr_un address;
    fillAddress(path, address);
    for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
        if (attempt > 0)
            std::this_thread::sleep_for(kConnectPause);
        const ovFileDescriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (!fd.valid()) {
            error_ = describe("cannot create a socket for", path);
            return false;
        }
        if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            const int why = errno;
            // Not listening yet: the running copy is still starting.
            if (why == ENOENT || why == ECONNREFUSED || why == EAGAIN)
                continue;
            errno = why;
            error_ = describe("cannot reach the running copy through", path);
            return false;
        }
        const bool sent = ::send(fd.get(), kRaiseRequest, sizeof kRaiseRequest - 1, MSG_NOSIGNAL) ==
                          static_cast<ssize_t>(sizeof kRaiseRequest - 1);
        if (!sent)
            error_ = describe("cannot send the request through", path);
        return sent;
    }
    error_ = "the running copy does not listen on " + path;
    return false;
}

bool ovSingleInstance::pollRaiseRequest() {
    if (!listenFd_.valid())
        return false;
    bool raise = false;
    for (;;) {
        const ovFileDescriptor fd(::accept4(listenFd_.get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (!fd.valid())
            break;
        ucred peer{};
        socklen_t size = sizeof peer;
        if (::getsockopt(fd.get(), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid()) {
            pollfd p{fd.get(), POLLIN, 0};
            char buffer[16] = {};
            if (::poll(&p, 1, kRequestWaitMs) == 1) {
                const ssize_t n = ::recv(fd.get(), buffer, sizeof buffer, MSG_DONTWAIT);
                if (n >= static_cast<ssize_t>(sizeof kRaiseRequest - 1) &&
                    std::memcmp(buffer, kRaiseRequest, sizeof kRaiseRequest - 1) == 0)
                    raise = true;
            }
        }
    }
    return raise;
}
