#pragma once
// The device's battery, memory and storage readings, as the status panel polls them.
// The Linux implementation reads the kernel's own files; tests give exact values and
// failures through the same interface.
#include "base/ovResult.h"

#include <cstdint>
#include <string>

struct ovMemoryStatus {
    uint64_t totalPhysical = 0;
    uint64_t availablePhysical = 0;
};

struct ovDiskSpace {
    uint64_t totalBytes = 0;
    uint64_t totalFreeBytes = 0;
};

class ovDeviceStatus {
public:
    // The answer of a machine that has no battery to report on.
    static constexpr int noBatteryPercent = 255;

    virtual ~ovDeviceStatus() = default;
    // Charge 0..100, or noBatteryPercent; fails when the power supplies cannot be read.
    virtual ovResult<int> batteryPercent() = 0;
    virtual ovResult<ovMemoryStatus> memoryStatus() = 0;
    virtual ovResult<ovDiskSpace> diskFreeSpace(const std::string& folder) = 0;
};

class ovLinuxDeviceStatus final : public ovDeviceStatus {
public:
    // The folders are settable so that a test can point them at files of its own.
    explicit ovLinuxDeviceStatus(std::string powerSupplyFolder = "/sys/class/power_supply",
                                 std::string meminfoFile = "/proc/meminfo");

    // The first supply of type "Battery" with a readable capacity, clamped to 0..100.
    // The panel asks on every tick: the battery found is remembered, and the folder is
    // searched again only when its file stops answering, or now and then while there
    // is none.
    ovResult<int> batteryPercent() override;
    // MemTotal and MemAvailable.
    ovResult<ovMemoryStatus> memoryStatus() override;
    // statvfs: the whole size and every free block, the reserved ones included.
    ovResult<ovDiskSpace> diskFreeSpace(const std::string& folder) override;

private:
    // Searches the folder; fails when it cannot be read.
    ovResult<int> scanSupplies();

    std::string powerSupplyFolder_;
    std::string meminfoFile_;
    std::string capacityFile_; // of the battery found last, or empty
    int pollsUntilScan_ = 0;   // while no battery was found
};
