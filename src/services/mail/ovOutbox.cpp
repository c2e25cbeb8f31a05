#include "services/mail/ovOutbox.h"

#include "services/mail/ovMailProps.h"
#include "system/ovDurableFile.h"
#include "system/ovPaths.h"
#include "system/ovUtf.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {
std::atomic<unsigned> counter{0};
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
        name.assign(1, '%');
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
    std::string text;
    for (const std::string& rcpt : envelope)
        text += "X-Orvida-Envelope-To: " + rcpt + "\r\n";
    text += message;
    // Only the owner reads a queued message; the outbox's reader takes whole *.eml files.
    if (ovResult<> written = ovDurableFile::write(file, text, {.mode = 0600}); !written)
        return ovFail(ovMailCode::diskError, written.reason());
    return file;
}

ovResult<void> ovOutbox::remove(const std::string& file) {
    if (unlink(file.c_str()) != 0 && errno != ENOENT)
        return ovFail(ovMailCode::diskError, file + ": cannot be removed: " + std::strerror(errno));
    return {};
}

std::vector<std::string> ovOutbox::files() const {
    std::vector<std::string> found;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder_.c_str()), closedir);
    if (dir == nullptr)
        return found;
    while (const dirent* e = readdir(dir.get())) {
        const std::string name = e->d_name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".eml") == 0)
            found.push_back(folder_ + "/" + name);
    }
    std::sort(found.begin(), found.end());
    return found;
}
