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
#include <fstream>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace {
std::atomic<unsigned> counter{0};
const std::string kEnvelopeHeader = "X-Orvida-Envelope-To: ";

std::string outboxRoot(const std::string& dataFolder) {
    return dataFolder + (dataFolder.empty() || dataFolder.back() == '/' ? "" : "/") + "outbox/";
}

// The paths of a folder's entries whose names pass `wanted`, sorted; none when the
// folder is missing.
template <class Wanted> std::vector<std::string> entriesOf(const std::string& folder, Wanted wanted) {
    std::vector<std::string> found;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (dir == nullptr)
        return found;
    while (const dirent* e = readdir(dir.get()))
        if (const std::string name = e->d_name; wanted(name))
            found.push_back(folder + name);
    std::sort(found.begin(), found.end());
    return found;
}

std::string stateFileOf(const std::string& file) {
    return file.substr(0, file.size() - 4) + ".state";
}

bool readWhole(const std::string& file, std::string& text) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return true;
}

// One line per value; a reason or a subject never breaks a line.
std::string oneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    return text;
}

ovResult<> writeState(const std::string& file, const ovOutboxEntry& e) {
    const std::string text = "account " + oneLine(e.account) + "\nsubject " + oneLine(e.subject) +
                             "\ntries " + std::to_string(e.tries) + "\nlastError " + oneLine(e.lastError) +
                             "\nnextTry " + std::to_string(e.nextTry) + "\nrefused " +
                             (e.refused ? "1" : "0") + "\n";
    return ovDurableFile::write(stateFileOf(file), text, {.mode = 0600});
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
    return outboxRoot(dataFolder) + name;
}

std::string ovOutbox::rootFor(const std::string& dataFolder) {
    return outboxRoot(dataFolder);
}

ovResult<ovOutboxClaim> ovOutbox::put(const std::string& account, const std::string& subject,
                                      const std::vector<std::string>& envelope, const std::string& message) {
    if (ovResult<> made = ovMakeFolders(folder_); !made)
        return ovFail(ovMailCode::diskError, made.reason());
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const std::string base =
        folder_ + "/" + std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(now).count()) +
        "-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    const std::string file = base + ".eml";
    ovOutboxEntry entry;
    entry.account = account;
    entry.subject = subject;
    if (ovResult<> state = writeState(file, entry); !state)
        return ovFail(ovMailCode::diskError, state.reason());
    std::string text;
    for (const std::string& rcpt : envelope)
        text += "X-Orvida-Envelope-To: " + rcpt + "\r\n";
    text += message;
    // Written under a name the listing skips, claimed, and only then given its name, so
    // that no other sender can take it between the two (the lock stays with the file).
    const std::string fresh = base + ".new";
    // Only the owner reads a queued message.
    if (ovResult<> written = ovDurableFile::write(fresh, text, {.mode = 0600}); !written) {
        unlink(stateFileOf(file).c_str());
        return ovFail(ovMailCode::diskError, written.reason());
    }
    std::optional<ovOutboxClaim> claim = ovOutboxClaim::take(fresh);
    if (!claim || rename(fresh.c_str(), file.c_str()) != 0) {
        const std::string why = std::strerror(errno);
        unlink(fresh.c_str());
        unlink(stateFileOf(file).c_str());
        return ovFail(ovMailCode::diskError, file + ": cannot be put in the outbox: " + why);
    }
    (void)ovSyncFolder(folder_);
    claim->followRename(file);
    return std::move(*claim);
}

ovResult<void> ovOutbox::remove(const std::string& file) {
    if (unlink(file.c_str()) != 0 && errno != ENOENT)
        return ovFail(ovMailCode::diskError, file + ": cannot be removed: " + std::strerror(errno));
    // A state file left behind by a crash here names no message and is never read.
    unlink(stateFileOf(file).c_str());
    return {};
}

std::vector<std::string> ovOutbox::files() const {
    return entriesOf(folder_ + "/", [](const std::string& name) {
        return name.size() > 4 && name.compare(name.size() - 4, 4, ".eml") == 0;
    });
}

std::vector<std::string> ovOutbox::allFolders(const std::string& dataFolder) {
    return entriesOf(outboxRoot(dataFolder),
                     [](const std::string& name) { return name != "." && name != ".."; });
}

ovResult<std::string> ovOutbox::messageText(const std::string& file) {
    std::string text;
    if (!readWhole(file, text))
        return ovFail(ovMailCode::diskError, file + ": cannot be read: " + std::strerror(errno));
    size_t at = 0;
    while (text.compare(at, kEnvelopeHeader.size(), kEnvelopeHeader) == 0) {
        const size_t end = text.find("\r\n", at);
        if (end == std::string::npos)
            break;
        at = end + 2;
    }
    return text.substr(at);
}

ovResult<ovOutboxEntry> ovOutbox::read(const std::string& file) {
    std::string text;
    if (!readWhole(file, text))
        return ovFail(ovMailCode::diskError, file + ": cannot be read: " + std::strerror(errno));
    ovOutboxEntry entry;
    entry.file = file;
    for (size_t at = 0; text.compare(at, kEnvelopeHeader.size(), kEnvelopeHeader) == 0;) {
        const size_t end = text.find("\r\n", at);
        if (end == std::string::npos)
            break;
        entry.recipients.push_back(
            text.substr(at + kEnvelopeHeader.size(), end - at - kEnvelopeHeader.size()));
        at = end + 2;
    }
    std::string state;
    if (readWhole(stateFileOf(file), state)) {
        std::istringstream lines(state);
        for (std::string line; std::getline(lines, line);) {
            const size_t space = line.find(' ');
            const std::string key = line.substr(0, space);
            const std::string value = space == std::string::npos ? "" : line.substr(space + 1);
            if (key == "account")
                entry.account = value;
            else if (key == "subject")
                entry.subject = value;
            else if (key == "tries")
                entry.tries = std::atoi(value.c_str());
            else if (key == "lastError")
                entry.lastError = value;
            else if (key == "nextTry")
                entry.nextTry = std::atoll(value.c_str());
            else if (key == "refused")
                entry.refused = value == "1";
        }
    }
    return entry;
}

ovResult<void> ovOutbox::recordFailure(const std::string& file, const std::string& reason, bool mayPass,
                                       int64_t now) {
    ovResult<ovOutboxEntry> entry = read(file);
    if (!entry)
        return entry.error();
    ovOutboxEntry& e = entry.value();
    e.tries += 1;
    e.lastError = reason;
    e.refused = !mayPass;
    e.nextTry = mayPass ? now + pauseAfter(e.tries) : 0;
    if (ovResult<> written = writeState(file, e); !written)
        return ovFail(ovMailCode::diskError, written.reason());
    return {};
}

int64_t ovOutbox::pauseAfter(int tries) {
    static constexpr int64_t kMinutes[] = {1, 2, 5, 10, 30};
    const int index = std::clamp(tries, 1, 5) - 1;
    return kMinutes[index] * 60;
}
