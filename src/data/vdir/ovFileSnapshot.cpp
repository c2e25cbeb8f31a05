#include "data/vdir/ovFileSnapshot.h"

#include "system/ovFileDescriptor.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

int64_t ovNanoseconds(const struct timespec& t) {
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

namespace {
constexpr int kAttempts = 8;

int64_t mtimeOf(const struct stat& st) {
    return ovNanoseconds(st.st_mtim);
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           mtimeOf(a) == mtimeOf(b) && a.st_ctim.tv_sec == b.st_ctim.tv_sec &&
           a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}
} // namespace

std::string ovContentDigest(std::string_view bytes) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (const unsigned char c : bytes) {
        hash ^= c;
        hash *= 0x100000001b3ull;
    }
    static const char digits[] = "0123456789abcdef";
    std::string out(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4)
        out[static_cast<size_t>(i)] = digits[hash & 15];
    return out;
}

ovResult<ovFileSnapshot> ovFileSnapshot::read(const std::string& path) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (attempt > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10 * attempt));
        ovFileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
        if (!fd.valid())
            return ovFail(path + ": cannot be read: " + std::strerror(errno));
        struct stat before {};
        if (::fstat(fd.get(), &before) != 0)
            return ovFail(path + ": cannot be examined: " + std::strerror(errno));
        if (!S_ISREG(before.st_mode))
            return ovFail(path + ": is not a plain file");
        if (before.st_size > maxSize)
            return ovFail(path + ": is larger than " + std::to_string(maxSize >> 20) +
                          " MiB, too large for one calendar item or contact");
        ovFileSnapshot snapshot;
        snapshot.bytes.resize(static_cast<size_t>(before.st_size) + 1);
        // One byte more than the size said: a file still growing shows as a change.
        const ssize_t got = fd.readAll(snapshot.bytes.data(), snapshot.bytes.size());
        if (got < 0)
            return ovFail(path + ": cannot be read: " + std::strerror(errno));
        const size_t done = static_cast<size_t>(got);
        struct stat after {
        }, atPath{};
        if (::fstat(fd.get(), &after) != 0 || ::stat(path.c_str(), &atPath) != 0)
            continue; // gone or replaced while read: look again
        if (done != static_cast<size_t>(before.st_size) || !sameFile(before, after) ||
            !sameFile(before, atPath))
            continue;
        snapshot.bytes.resize(done);
        snapshot.mtimeNs = mtimeOf(before);
        snapshot.ctimeNs = ovNanoseconds(before.st_ctim);
        snapshot.size = static_cast<int64_t>(before.st_size);
        snapshot.digest = ovContentDigest(snapshot.bytes);
        return snapshot;
    }
    return ovFail(path + ": kept changing while it was read; it is left for the next sync");
}
