#include "system/ovDurableFile.h"

#include "system/ovFileDescriptor.h"
#include "system/ovPaths.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string nameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string errnoText() {
    return std::strerror(errno);
}

constexpr std::string_view kTemporaryMark = ".orvida-";
constexpr std::string_view kTemporaryEnd = ".tmp";
constexpr size_t kSuffixLength = 6;

std::string randomSuffix() {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, sizeof letters - 2);
    std::string suffix(kSuffixLength, ' ');
    for (char& c : suffix)
        c = letters[pick(random)];
    return suffix;
}
} // namespace

int ovDurableSteps::flushFile(int fd) const {
    return ::fsync(fd);
}

int ovDurableSteps::replace(const char* from, const char* to) const {
    return ::rename(from, to);
}

int ovDurableSteps::flushFolder(int fd) const {
    return ::fsync(fd);
}

int ovDurableSteps::flushFileSystem(int fd) const {
    return ::syncfs(fd);
}

const ovDurableSteps& ovDurableSteps::real() {
    static const ovDurableSteps steps;
    return steps;
}

ovResult<> ovSyncFolder(const std::string& folder, const ovDurableSteps& steps) {
    ovFileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid() || steps.flushFolder(fd.get()) != 0)
        return ovFail(folder + ": cannot be flushed to disk: " + errnoText());
    return {};
}

ovDurableFile::ovDurableFile(ovDurableFile&& other) noexcept
    : path_(std::move(other.path_)), temporary_(std::move(other.temporary_)), steps_(other.steps_),
      mtimeNs_(other.mtimeNs_), size_(other.size_) {
    other.temporary_.clear();
}

ovDurableFile::~ovDurableFile() {
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
}

ovResult<ovDurableFile> ovDurableFile::prepare(const std::string& path, std::string_view bytes,
                                               const ovDurableOptions& options) {
    ovDurableFile file;
    file.path_ = path;
    file.steps_ = options.steps != nullptr ? options.steps : &ovDurableSteps::real();
    // Hidden, so that the peers sharing a folder (and our own scans) pass it by. Made
    // with open() rather than mkstemp() so that the user's umask gives a new file's mode.
    ovFileDescriptor fd;
    for (int attempt = 0; attempt < 100 && !fd.valid(); ++attempt) {
        const std::string candidate = ovParentFolder(path) + "/." + nameOf(path) +
                                      std::string(kTemporaryMark) + randomSuffix() +
                                      std::string(kTemporaryEnd);
        fd.reset(::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                        options.mode >= 0 ? static_cast<mode_t>(options.mode) : 0666));
        if (fd.valid())
            file.temporary_ = candidate;
        else if (errno != EEXIST)
            break;
    }
    if (!fd.valid())
        return ovFail(path + ": cannot be written: " + errnoText());
    struct stat old {};
    if (options.mode >= 0) {
        if (::fchmod(fd.get(), static_cast<mode_t>(options.mode)) != 0)
            return ovFail(path + ": cannot be written: " + errnoText());
    } else if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        if (::fchmod(fd.get(), old.st_mode & 07777) != 0)
            return ovFail(path + ": cannot be written: " + errnoText());
    }
    if (!fd.writeAll(bytes))
        return ovFail(path + ": cannot be written: " + errnoText());
    if (options.flush && file.steps_->flushFile(fd.get()) != 0)
        return ovFail(path + ": cannot be flushed to disk: " + errnoText());
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return ovFail(path + ": cannot be examined: " + errnoText());
    file.mtimeNs_ = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    file.size_ = static_cast<int64_t>(st.st_size);
    return file;
}

ovResult<> ovDurableFile::commit() {
    if (temporary_.empty())
        return ovFail(path_ + ": nothing to put in place");
    if (steps_->replace(temporary_.c_str(), path_.c_str()) != 0)
        return ovFail(path_ + ": cannot be replaced: " + errnoText());
    temporary_.clear();
    return ovSyncFolder(ovParentFolder(path_), *steps_);
}

ovResult<> ovDurableFile::flushAll(const std::vector<ovDurableFile>& files) {
    // One pass for each file system the temporaries are on (mostly one).
    std::vector<dev_t> flushed;
    for (const ovDurableFile& file : files) {
        const ovFileDescriptor fd(::open(file.temporary_.c_str(), O_RDONLY | O_CLOEXEC));
        struct stat st {};
        if (!fd.valid() || ::fstat(fd.get(), &st) != 0)
            return ovFail(file.path_ + ": cannot be flushed to disk: " + errnoText());
        if (std::find(flushed.begin(), flushed.end(), st.st_dev) != flushed.end())
            continue;
        if (file.steps_->flushFileSystem(fd.get()) != 0)
            return ovFail(file.path_ + ": cannot be flushed to disk: " + errnoText());
        flushed.push_back(st.st_dev);
    }
    return {};
}

ovResult<> ovDurableFile::placeNew() {
    if (temporary_.empty())
        return ovFail(path_ + ": nothing to put in place");
    int placed = ::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, path_.c_str(), RENAME_NOREPLACE);
    if (placed != 0 && (errno == EINVAL || errno == ENOSYS)) {
        // A file system that cannot refuse to replace: a hard link can, where links exist.
        placed = ::link(temporary_.c_str(), path_.c_str());
        if (placed == 0) {
            ::unlink(temporary_.c_str());
        } else if (errno == EPERM || errno == EOPNOTSUPP) {
            // Nor links (a FAT stick): look, then rename.
            struct stat st {};
            placed = ::lstat(path_.c_str(), &st) == 0 ? (errno = EEXIST, -1)
                                                      : steps_->replace(temporary_.c_str(), path_.c_str());
        }
    }
    if (placed != 0) {
        const int error = errno;
        return ovFail(path_ + (error == EEXIST
                                   ? std::string(": another program made a file of that name meanwhile")
                                   : std::string(": cannot be put in place: ") + std::strerror(error)));
    }
    temporary_.clear();
    return {};
}

namespace {
// Where a chain of symlinks ends; the path itself when it is none. The end need not exist:
// a dangling link is written through, making its target.
ovResult<std::string> linkTarget(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0)
            return ovFail(path + ": cannot be followed: " + errnoText());
        target.resize(static_cast<size_t>(n));
        path = target.starts_with('/') ? target : ovParentFolder(path) + "/" + target;
    }
    return ovFail(path + ": cannot be followed: " + std::strerror(ELOOP));
}
} // namespace

ovResult<> ovDurableFile::writeOut(const std::string& path, std::string_view bytes,
                                   const ovDurableOptions& options) {
    ovResult<std::string> target = linkTarget(path);
    if (!target)
        return target.error();
    struct stat st {};
    if (::stat(target.value().c_str(), &st) != 0 || S_ISREG(st.st_mode) || S_ISDIR(st.st_mode))
        return write(target.value(), bytes, options);
    ovFileDescriptor fd(::open(target.value().c_str(), O_WRONLY | O_CLOEXEC));
    if (!fd.valid() || !fd.writeAll(bytes))
        return ovFail(path + ": cannot be written: " + errnoText());
    return {};
}

bool ovDurableFile::isTemporaryName(std::string_view name) {
    const size_t tail = kTemporaryMark.size() + kSuffixLength + kTemporaryEnd.size();
    if (name.size() <= tail + 1 || name[0] != '.' || !name.ends_with(kTemporaryEnd))
        return false;
    const std::string_view marked = name.substr(name.size() - tail);
    const std::string_view suffix = marked.substr(kTemporaryMark.size(), kSuffixLength);
    return marked.starts_with(kTemporaryMark) && std::all_of(suffix.begin(), suffix.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c));
           });
}

ovResult<> ovDurableFile::write(const std::string& path, std::string_view bytes,
                                const ovDurableOptions& options) {
    ovResult<ovDurableFile> prepared = prepare(path, bytes, options);
    if (!prepared)
        return prepared.error();
    return prepared.value().commit();
}
