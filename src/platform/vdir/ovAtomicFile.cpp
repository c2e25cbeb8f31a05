#include "platform/vdir/ovAtomicFile.h"

#include "platform/pim/ovPimItem.h"
#include "platform/system/ovFileDescriptor.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string errnoText() {
    return std::strerror(errno);
}
} // namespace

ovResult<> ovSyncFolder(const std::string& folder) {
    ovFileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid() || ::fsync(fd.get()) != 0)
        return ovFail(folder + ": cannot be flushed to disk: " + errnoText());
    return {};
}

ovAtomicFile::ovAtomicFile(ovAtomicFile&& other) noexcept
    : path_(std::move(other.path_)), temporary_(std::move(other.temporary_)), mtimeNs_(other.mtimeNs_),
      size_(other.size_) {
    other.temporary_.clear();
}

ovAtomicFile::~ovAtomicFile() {
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
}

ovResult<ovAtomicFile> ovAtomicFile::prepare(const std::string& path, std::string_view bytes) {
    ovAtomicFile file;
    file.path_ = path;
    // Hidden, so that the peers sharing the folder (and our own scan) pass it by. Made
    // with open() rather than mkstemp() so that the user's umask gives its mode.
    ovFileDescriptor fd;
    for (int attempt = 0; attempt < 100 && !fd.valid(); ++attempt) {
        const std::string candidate = folderOf(path) + "/." + nameOf(path) + "." + ovPimNewUid().substr(0, 6);
        fd.reset(::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd.valid())
            file.temporary_ = candidate;
        else if (errno != EEXIST)
            break;
    }
    if (!fd.valid())
        return ovFail(path + ": cannot be written: " + errnoText());
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return ovFail(path + ": cannot be written: " + errnoText());
        done += static_cast<size_t>(n);
    }
    if (::fsync(fd.get()) != 0)
        return ovFail(path + ": cannot be flushed to disk: " + errnoText());
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return ovFail(path + ": cannot be examined: " + errnoText());
    file.mtimeNs_ = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    file.size_ = static_cast<int64_t>(st.st_size);
    return file;
}

ovResult<> ovAtomicFile::commit() {
    if (temporary_.empty())
        return ovFail(path_ + ": nothing to put in place");
    if (::rename(temporary_.c_str(), path_.c_str()) != 0)
        return ovFail(path_ + ": cannot be replaced: " + errnoText());
    temporary_.clear();
    return ovSyncFolder(folderOf(path_));
}

ovResult<> ovAtomicFile::write(const std::string& path, std::string_view bytes) {
    ovResult<ovAtomicFile> prepared = prepare(path, bytes);
    if (!prepared)
        return prepared.error();
    return prepared.value().commit();
}
