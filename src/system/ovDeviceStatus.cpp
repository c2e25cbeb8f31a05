#include "system/ovDeviceStatus.h"

#include "system/ovFileDescriptor.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {
// The panel polls on every tick while it is open, so the files are read with plain
// descriptors into a stack buffer: no streams, no heap.
bool readSmallFile(const char* path, char* buffer, size_t size) {
    const ovFileDescriptor fd(::open(path, O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return false;
    const ssize_t used = fd.readAll(buffer, size - 1);
    buffer[used > 0 ? used : 0] = '\0';
    return used > 0;
}

// The value in kB of a "Name:   1234 kB" line of /proc/meminfo, in bytes.
bool meminfoField(const char* text, const char* name, uint64_t& bytes) {
    const size_t length = std::strlen(name);
    for (const char* line = text; line != nullptr && *line != '\0';) {
        if (std::strncmp(line, name, length) == 0 && line[length] == ':') {
            char* end = nullptr;
            const unsigned long long kb = std::strtoull(line + length + 1, &end, 10);
            if (end == line + length + 1)
                return false;
            bytes = static_cast<uint64_t>(kb) * 1024u;
            return true;
        }
        line = std::strchr(line, '\n');
        if (line != nullptr)
            ++line;
    }
    return false;
}
} // namespace

ovLinuxDeviceStatus::ovLinuxDeviceStatus(std::string powerSupplyFolder, std::string meminfoFile)
    : powerSupplyFolder_(std::move(powerSupplyFolder)), meminfoFile_(std::move(meminfoFile)) {}

namespace {
// How many polls pass between searches for a battery while there is none.
constexpr int kPollsBetweenScans = 500;

bool readPercent(const char* file, int& percent) {
    char text[64];
    if (!readSmallFile(file, text, sizeof text))
        return false;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text)
        return false;
    percent = value < 0 ? 0 : value > 100 ? 100 : static_cast<int>(value);
    return true;
}
} // namespace

ovResult<int> ovLinuxDeviceStatus::batteryPercent() {
    int percent = noBatteryPercent;
    if (!capacityFile_.empty() && readPercent(capacityFile_.c_str(), percent))
        return percent;
    if (capacityFile_.empty() && pollsUntilScan_ > 0) {
        --pollsUntilScan_;
        return noBatteryPercent;
    }
    return scanSupplies();
}

ovResult<int> ovLinuxDeviceStatus::scanSupplies() {
    capacityFile_.clear();
    pollsUntilScan_ = kPollsBetweenScans;
    const std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir(powerSupplyFolder_.c_str()), ::closedir);
    if (folder == nullptr)
        return ovFail("cannot read " + powerSupplyFolder_ + ": " + std::strerror(errno));
    int percent = noBatteryPercent;
    char path[512];
    char text[64];
    while (const dirent* entry = ::readdir(folder.get())) {
        if (entry->d_name[0] == '.')
            continue;
        std::snprintf(path, sizeof path, "%s/%s/type", powerSupplyFolder_.c_str(), entry->d_name);
        if (!readSmallFile(path, text, sizeof text) || std::strncmp(text, "Battery", 7) != 0)
            continue;
        std::snprintf(path, sizeof path, "%s/%s/capacity", powerSupplyFolder_.c_str(), entry->d_name);
        if (readPercent(path, percent)) {
            capacityFile_ = path;
            break;
        }
    }
    return percent;
}

ovResult<ovMemoryStatus> ovLinuxDeviceStatus::memoryStatus() {
    char text[4096];
    if (!readSmallFile(meminfoFile_.c_str(), text, sizeof text))
        return ovFail("cannot read " + meminfoFile_);
    ovMemoryStatus status;
    if (!meminfoField(text, "MemTotal", status.totalPhysical) ||
        !meminfoField(text, "MemAvailable", status.availablePhysical))
        return ovFail(meminfoFile_ + " has no MemTotal or MemAvailable line");
    return status;
}

ovResult<ovDiskSpace> ovLinuxDeviceStatus::diskFreeSpace(const std::string& folder) {
    struct statvfs info {};
    if (::statvfs(folder.c_str(), &info) != 0)
        return ovFail("cannot query the free space of " + folder + ": " + std::strerror(errno));
    ovDiskSpace space;
    space.totalBytes = static_cast<uint64_t>(info.f_blocks) * info.f_frsize;
    space.totalFreeBytes = static_cast<uint64_t>(info.f_bfree) * info.f_frsize;
    return space;
}
