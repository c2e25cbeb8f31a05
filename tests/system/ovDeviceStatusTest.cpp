#include "system/ovDeviceStatus.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;

// The Linux readings from files laid out as the kernel lays out /sys and /proc.
class LinuxDeviceStatus : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("orvida-status-" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "power");
    }
    void TearDown() override { fs::remove_all(root); }
    void supply(const std::string& name, const std::string& type, const std::string& capacity) {
        fs::create_directories(root / "power" / name);
        std::ofstream(root / "power" / name / "type") << type << "\n";
        if (!capacity.empty())
            std::ofstream(root / "power" / name / "capacity") << capacity << "\n";
    }
    ovLinuxDeviceStatus status() {
        return ovLinuxDeviceStatus((root / "power").string(), (root / "meminfo").string());
    }
    fs::path root;
};

TEST_F(LinuxDeviceStatus, BatteryFromTheFirstBatteryWithACapacity) {
    EXPECT_EQ(status().batteryPercent().value(), ovDeviceStatus::noBatteryPercent); // a desktop
    supply("AC", "Mains", "");
    supply("hidpp_battery_0", "Battery", "");
    EXPECT_EQ(status().batteryPercent().value(), ovDeviceStatus::noBatteryPercent);
    supply("BAT0", "Battery", "57");
    EXPECT_EQ(status().batteryPercent().value(), 57);
    EXPECT_FALSE(ovLinuxDeviceStatus((root / "nowhere").string()).batteryPercent().ok());

    // One reader polled on: it follows the charge and notices the battery going away.
    ovLinuxDeviceStatus polled = status();
    EXPECT_EQ(polled.batteryPercent().value(), 57);
    std::ofstream(root / "power" / "BAT0" / "capacity") << "58\n";
    EXPECT_EQ(polled.batteryPercent().value(), 58);
    fs::remove_all(root / "power" / "BAT0");
    EXPECT_EQ(polled.batteryPercent().value(), ovDeviceStatus::noBatteryPercent);
}

TEST_F(LinuxDeviceStatus, MemoryFromMeminfoInSixtyFourBits) {
    EXPECT_FALSE(status().memoryStatus().ok()); // no file
    std::ofstream(root / "meminfo") << "MemTotal:       16318480 kB\nMemFree:          512000 kB\n"
                                       "MemAvailable:    8159240 kB\nBuffers:          1024 kB\n";
    const ovResult<ovMemoryStatus> memory = status().memoryStatus();
    ASSERT_TRUE(memory.ok()) << memory.reason();
    EXPECT_EQ(memory.value().totalPhysical, 16318480ull * 1024);
    EXPECT_EQ(memory.value().availablePhysical, 8159240ull * 1024);
    std::ofstream(root / "meminfo") << "MemTotal:       16318480 kB\n";
    EXPECT_FALSE(status().memoryStatus().ok());
}

TEST_F(LinuxDeviceStatus, DiskSpaceOfAFolderAndAFailure) {
    const ovResult<ovDiskSpace> disk = status().diskFreeSpace("/");
    ASSERT_TRUE(disk.ok()) << disk.reason();
    EXPECT_GT(disk.value().totalBytes, 0u);
    EXPECT_LE(disk.value().totalFreeBytes, disk.value().totalBytes);
    EXPECT_FALSE(status().diskFreeSpace((root / "missing").string()).ok());
}
