#pragma once
// The hyper bar's left plug-in: battery charge, free main memory and free space of
// the root file system, each as an icon, a meter and a value. It polls the device on
// every tick while its panel is open and repaints only when a shown value changed.
#include "home/ovHyperBarPlugin.h"

#include <cstdint>
#include <memory>

struct ovBitmap;
class ovDeviceStatus;

class ovDeviceStatusHBPlugin final : public ovHyperBarPlugin {
public:
    explicit ovDeviceStatusHBPlugin(ovApp& app);
    ~ovDeviceStatusHBPlugin() override;

    ovBitmap* powerIcon = nullptr;
    ovBitmap* memoryIcon = nullptr;
    ovBitmap* storageIcon = nullptr;
    ovBitmap* meterEmptyImage = nullptr;
    ovBitmap* meterFullImage = nullptr;
    // Byte counts are 64-bit: today's memories and disks do not fit in 32 bits.
    uint64_t memoryTotal = 0;
    uint64_t memoryAvailable = 0;
    uint64_t storageTotal = 0; // 0: the free-space query failed
    uint64_t storageFree = 0;
    int batteryPercent = 0;

    void tick() override;
    void drawPanel(ovCanvas& dc) override;

    // Where the readings come from: the machine's own unless a test gives other ones
    // (the plug-in does not own them).
    void setDeviceStatus(ovDeviceStatus* status);

    // The value texts as the panel shows them (ASCII, at most 31 characters).
    static void batteryText(int percent, char (&out)[32]);
    static void memoryText(uint64_t available, char (&out)[32]);
    static void storageText(uint64_t total, uint64_t free, char (&out)[32]);
    // The filled width of a meter for a share of total (none when total is 0).
    static int fillWidth(uint64_t part, uint64_t total, int meterWidth);

private:
    bool loadPictures();

    std::unique_ptr<ovDeviceStatus> own_;
    ovDeviceStatus* status_;
};
