#include "system/ovFolderLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>

ovFolderLock::ovFolderLock(const std::string& folder, std::chrono::milliseconds wait)
    : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (!fd_.valid())
        return;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (::flock(fd_.get(), LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() > deadline) {
            fd_.reset();
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}
