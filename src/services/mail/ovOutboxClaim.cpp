#include "services/mail/ovOutboxClaim.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

std::optional<ovOutboxClaim> ovOutboxClaim::take(const std::string& file) {
    ovFileDescriptor fd(open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid() || flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return std::nullopt;
    // The sender before us may have finished between our listing and our lock: the
    // name then names nothing, or another file.
    struct stat held {
    }, named{};
    if (fstat(fd.get(), &held) != 0 || stat(file.c_str(), &named) != 0 || held.st_ino != named.st_ino ||
        held.st_dev != named.st_dev)
        return std::nullopt;
    return ovOutboxClaim(file, std::move(fd));
}
