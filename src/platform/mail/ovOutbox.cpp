#include "platform/mail/ovOutbox.h"

#include "platform/mail/ovMailProps.h"
#include "platform/pim/ovPimPaths.h"
#include "platform/system/ovUtf.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {
std::atomic<unsigned> counter{0};

bool writeAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}
} // namespace

std::string ovOutbox::folderFor(const std::string& dataFolder, std::u16string_view displayName) {
    // Letters, digits, '-' and '_' stay; every other byte becomes %XX, so no name can
    // climb out of the outbox folder or meet another name's folder.
    std::string name;
    for (unsigned char c : ovToUtf8(displayName)) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
            c == '_') {
            name += static_cast<char>(c);
        } else {
            static const char hex[] = "0123456789ABCDEF";
            name += '%';
            name += hex[c >> 4];
            name += hex[c & 15];
        }
    }
    if (name.empty())
        name = "%";
    // Folder names have a length limit; a long name keeps its start and gains a hash of
    // the whole so that two long names sharing a start stay apart.
    constexpr size_t kMaxName = 120;
    if (name.size() > kMaxName) {
        uint64_t hash = 14695981039346656037ull;
        for (unsigned char c : name)
            hash = (hash ^ c) * 1099511628211ull;
        char tail[24];
        std::snprintf(tail, sizeof tail, "~%016llx", static_cast<unsigned long long>(hash));
        name = name.substr(0, kMaxName) + tail;
    }
    return dataFolder + (dataFolder.empty() || dataFolder.back() == '/' ? "" : "/") + "outbox/" + name;
}

ovResult<std::string> ovOutbox::put(const std::vector<std::string>& envelope, const std::string& message) {
    if (ovResult<> made = ovMakeFolders(folder_); !made)
        return ovFail(ovMailCode::diskError, made.reason());
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const std::string base =
        folder_ + "/" + std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(now).count()) +
        "-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    const std::string file = base + ".eml";
    const std::string temp = base + ".tmp";
    std::string text;
    for (const std::string& rcpt : envelope)
        text += "X-Orvida-Envelope-To: " + rcpt + "\r\n";
    text += message;

    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return ovFail(ovMailCode::diskError, temp + ": cannot be written: " + std::strerror(errno));
    const bool written = writeAll(fd, text) && fsync(fd) == 0;
    const int savedErrno = errno;
    close(fd);
    if (!written || rename(temp.c_str(), file.c_str()) != 0) {
        const std::string why = std::strerror(written ? errno : savedErrno);
        unlink(temp.c_str());
        return ovFail(ovMailCode::diskError, file + ": cannot be written: " + why);
    }
    return file;
}

ovResult<void> ovOutbox::remove(const std::string& file) {
    if (unlink(file.c_str()) != 0 && errno != ENOENT)
        return ovFail(ovMailCode::diskError, file + ": cannot be removed: " + std::strerror(errno));
    return {};
}

std::vector<std::string> ovOutbox::files() const {
    std::vector<std::string> found;
    DIR* dir = opendir(folder_.c_str());
    if (dir == nullptr)
        return found;
    while (const dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".eml") == 0)
            found.push_back(folder_ + "/" + name);
    }
    closedir(dir);
    std::sort(found.begin(), found.end());
    return found;
}
