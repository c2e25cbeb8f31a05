#include "home/ovDeviceStatusHBPlugin.h"
#include "home/ovHyperBar.h"
#include "ovFakeDeviceStatus.h"
#include "shell/ovBackBuffer.h"
#include "support/ovTestProgram.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>

namespace {
std::string battery(int percent) {
    char text[32];
    ovDeviceStatusHBPlugin::batteryText(percent, text);
    return text;
}
std::string memory(uint64_t available) {
    char text[32];
    ovDeviceStatusHBPlugin::memoryText(available, text);
    return text;
}
std::string storage(uint64_t total, uint64_t free) {
    char text[32];
    ovDeviceStatusHBPlugin::storageText(total, free, text);
    return text;
}
constexpr uint64_t MB = 1ull << 20;
} // namespace

TEST(DeviceStatusTexts, PercentMegabytesAndGigabytes) {
    EXPECT_EQ(battery(57), "57");
    EXPECT_EQ(memory(256 * MB), "256.0M");
    EXPECT_EQ(storage(64 * 1024 * MB, static_cast<uint64_t>(799.9 * MB)), "799.9M");
    EXPECT_EQ(storage(64 * 1024 * MB, 800 * MB), "0.78G");
    EXPECT_EQ(storage(64 * 1024 * MB, 0), "0.0M");
    EXPECT_EQ(storage(0, 0), "NA");
    // Beyond 4 GB, where 32-bit counts would wrap.
    EXPECT_EQ(memory(6 * 1024 * MB), "6144.0M");
    EXPECT_EQ(storage(1024 * 1024 * MB, 500 * 1024 * MB), "500.00G");
    EXPECT_EQ(ovDeviceStatusHBPlugin::fillWidth(0, 0, 100), 0);
    EXPECT_EQ(ovDeviceStatusHBPlugin::fillWidth(6 * 1024 * MB, 8 * 1024 * MB, 139), 104);
}

class DeviceStatus : public ::testing::Test {
protected:
    DeviceStatus() {
        plugin = static_cast<ovDeviceStatusHBPlugin*>(ovHyperBar::instance()->plugins[0]);
        plugin->setDeviceStatus(&fake);
    }
    // One poll; true when it asked for a repaint.
    bool poll() {
        p.app().needsRepaint = false;
        plugin->tick();
        return p.app().needsRepaint;
    }
    ovTestProgram p;
    ovDeviceStatusHBPlugin* plugin = nullptr;
    ovFakeDeviceStatus fake;
};

TEST_F(DeviceStatus, PollsRepaintOnlyWhenAShownValueChanges) {
    EXPECT_TRUE(poll());
    EXPECT_EQ(plugin->batteryPercent, 57);
    EXPECT_EQ(plugin->memoryAvailable, 256 * MB);
    EXPECT_EQ(plugin->storageTotal, 64ull << 30);
    EXPECT_FALSE(poll());
    fake.memory.availablePhysical += 1;
    EXPECT_TRUE(poll());
    fake.memory.totalPhysical += MB; // the total alone goes unnoticed
    EXPECT_FALSE(poll());
    EXPECT_EQ(plugin->memoryTotal, 512 * MB);
}

TEST_F(DeviceStatus, FailuresAndMissingValues) {
    poll();
    fake.percent = ovDeviceStatus::noBatteryPercent;
    EXPECT_FALSE(poll());
    EXPECT_EQ(plugin->batteryPercent, 57);
    fake.powerFails = true;
    EXPECT_FALSE(poll());
    EXPECT_EQ(plugin->batteryPercent, 57);
    EXPECT_NE(p.system().debugText().find("Failed!\n"), std::string::npos);
    // A failing free-space query shows NA and repaints on every poll.
    fake.diskFails = true;
    EXPECT_TRUE(poll());
    EXPECT_TRUE(poll());
    EXPECT_EQ(plugin->storageTotal, 0u);
    EXPECT_EQ(plugin->storageFree, 0u);
}

TEST_F(DeviceStatus, PicturesComeAtTheFirstPanelDrawAndTheBatteryMeterFills) {
    EXPECT_FALSE(plugin->picturesLoaded);
    p.run("tap 50 255\nwait 20");
    EXPECT_TRUE(plugin->picturesLoaded);
    EXPECT_EQ(plugin->batteryPercent, 57);
    p.shell().onPaint();
    // 240 x 268: the battery meter runs from x = 44 for 139 pixels; 57 % fills 79 of them.
    const ovFramebuffer& frame = p.app().backBuffer().frame();
    const int y = 161 + 5 + 30 / 2;
    auto green = [](ovColor c) { return ovGreen(c) > ovRed(c) + 40 && ovGreen(c) > ovBlue(c) + 40; };
    EXPECT_TRUE(green(frame.pixel(44 + 78 - 1, y)));
    EXPECT_FALSE(green(frame.pixel(44 + 79 + 1, y)));
}

TEST(DeviceStatusPanel, LargeFiguresStandWholeInsideThePanelOnEveryScreen) {
    // A phone's screen is tall for its width, and the faces grow with the height: a
    // figure that fits at 240x320 ran off the panel's right edge at 720x1440.
    const std::pair<int, int> sizes[] = {{240, 320}, {720, 1440}};
    for (const auto& [w, h] : sizes) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        ovTestProgram p(w, h);
        auto* plugin = static_cast<ovDeviceStatusHBPlugin*>(ovHyperBar::instance()->plugins[0]);
        ovFakeDeviceStatus fake;
        fake.memory = {64000 * MB, 63999 * MB};
        fake.disk = {2000ull * 1024 * MB, 1999ull * 1024 * MB};
        plugin->setDeviceStatus(&fake);
        const int screenHeight = h - h * 1625 / 10000;
        p.run("tap " + std::to_string(w / 5) + " " + std::to_string(screenHeight * 95 / 100) + "\nwait 20");
        ASSERT_TRUE(plugin->picturesLoaded);
        p.shell().onPaint();
        const ovFramebuffer& frame = p.app().backBuffer().frame();
        const ovRect panel = plugin->panelRect;
        int inkOnTheEdge = 0;
        for (int y = panel.top + 2; y < panel.bottom - 2; ++y)
            for (int x = panel.right - 3; x < panel.right - 1; ++x) {
                const ovColor c = frame.pixel(x, y);
                inkOnTheEdge += ovRed(c) < 0x80 && ovGreen(c) < 0x80 && ovBlue(c) < 0x80 ? 1 : 0;
            }
        EXPECT_EQ(inkOnTheEdge, 0) << "a figure is cut at the panel's edge";
    }
}
