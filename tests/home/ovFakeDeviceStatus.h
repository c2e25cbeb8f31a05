#pragma once
// Readings of the test's choosing: a real machine's battery, memory and disk cannot be
// set to the values the panel's rules are about, nor made to fail.
#include "system/ovDeviceStatus.h"

class ovFakeDeviceStatus final : public ovDeviceStatus {
public:
    int percent = 57;
    bool powerFails = false;
    ovMemoryStatus memory{512ull << 20, 256ull << 20};
    ovDiskSpace disk{64ull << 30, 16ull << 30};
    bool diskFails = false;
    int polls = 0;

    ovResult<int> batteryPercent() override {
        ++polls;
        if (powerFails)
            return ovFail("no power supply information");
        return percent;
    }
    ovResult<ovMemoryStatus> memoryStatus() override { return memory; }
    ovResult<ovDiskSpace> diskFreeSpace(const std::string&) override {
        if (diskFails)
            return ovFail("statvfs failed");
        return disk;
    }
};
