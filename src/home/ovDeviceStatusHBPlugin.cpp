#include "home/ovDeviceStatusHBPlugin.h"

#include "gfx/ovCanvas.h"
#include "gfx/ovTextFit.h"
#include "home/ovHyperBarLayout.h"
#include "home/ovTextField.h"
#include "shell/ovApp.h"
#include "shell/ovFontSet.h"
#include "shell/ovScreenGeometry.h"
#include "system/ovDeviceStatus.h"
#include "system/ovSystem.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {
constexpr float kMegabyte = 1.0f / 1048576.0f;    // 2^-20
constexpr float kGigabyte = 1.0f / 1073741824.0f; // 2^-30

// The ASCII value texts widened for drawing, without touching the heap.
struct Wide {
    char16_t text[32];
    size_t length = 0;
    explicit Wide(const char* ascii) {
        while (ascii[length] != '\0' && length < 31) {
            text[length] = static_cast<char16_t>(static_cast<unsigned char>(ascii[length]));
            ++length;
        }
    }
    std::u16string_view view() const { return {text, length}; }
};

// The figure with one decimal fewer, rounded ("23360.8M" -> "23361M", "208.46G" ->
// "208.5G"); a figure without decimals stays as it is.
void shorterFigure(const char* figure, char (&out)[32]) {
    const char* point = std::strchr(figure, '.');
    if (point == nullptr) {
        std::snprintf(out, sizeof out, "%s", figure);
        return;
    }
    char* unit = nullptr;
    const double value = std::strtod(figure, &unit);
    const int decimals = static_cast<int>(unit - point) - 1;
    std::snprintf(out, sizeof out, "%.*f%s", std::max(0, decimals - 1), value, unit);
}
} // namespace

ovDeviceStatusHBPlugin::ovDeviceStatusHBPlugin(ovApp& app)
    : ovHyperBarPlugin(app), own_(std::make_unique<ovLinuxDeviceStatus>()), status_(own_.get()) {
    ovSetField(name, u"DeviceInfo");
    setPanelHeight(ovHyperBarLayout::statusPanelHeight);
    batteryPercent = 0;
}

ovDeviceStatusHBPlugin::~ovDeviceStatusHBPlugin() = default;

void ovDeviceStatusHBPlugin::setDeviceStatus(ovDeviceStatus* status) {
    status_ = status != nullptr ? status : own_.get();
}

void ovDeviceStatusHBPlugin::tick() {
    const ovResult<int> power = status_->batteryPercent();
    if (!power.ok()) {
        app_.system().debugOutput("Failed!\n");
    } else if (power.value() != batteryPercent && power.value() != ovDeviceStatus::noBatteryPercent) {
        batteryPercent = power.value();
        app_.needsRepaint = true;
    }

    // A failed memory reading keeps the last one: there is nothing better to show.
    const ovResult<ovMemoryStatus> memory = status_->memoryStatus();
    if (memory.ok() && memory.value().availablePhysical != memoryAvailable) {
        memoryAvailable = memory.value().availablePhysical;
        memoryTotal = memory.value().totalPhysical;
        app_.needsRepaint = true;
    }

    const ovResult<ovDiskSpace> disk = status_->diskFreeSpace("/");
    if (disk.ok()) {
        if (disk.value().totalBytes != storageTotal || disk.value().totalFreeBytes != storageFree) {
            storageTotal = disk.value().totalBytes;
            storageFree = disk.value().totalFreeBytes;
            app_.needsRepaint = true;
        }
    } else {
        storageTotal = 0;
        storageFree = 0;
        app_.needsRepaint = true;
    }
}

void ovDeviceStatusHBPlugin::batteryText(int percent, char (&out)[32]) {
    std::snprintf(out, sizeof out, "%d", percent);
}

void ovDeviceStatusHBPlugin::memoryText(uint64_t available, char (&out)[32]) {
    std::snprintf(out, sizeof out, "%.1fM", static_cast<double>(static_cast<float>(available) * kMegabyte));
}

void ovDeviceStatusHBPlugin::storageText(uint64_t total, uint64_t free, char (&out)[32]) {
    if (total == 0) {
        std::snprintf(out, sizeof out, "NA");
        return;
    }
    const float mb = static_cast<float>(free) * kMegabyte;
    if (mb < 800.0f)
        std::snprintf(out, sizeof out, "%.1fM", static_cast<double>(mb));
    else
        std::snprintf(out, sizeof out, "%.2fG", static_cast<double>(static_cast<float>(free) * kGigabyte));
}

int ovDeviceStatusHBPlugin::fillWidth(uint64_t part, uint64_t total, int meterWidth) {
    if (total == 0)
        return 0;
    return static_cast<int>(static_cast<float>(part) / static_cast<float>(total) *
                            static_cast<float>(meterWidth));
}

bool ovDeviceStatusHBPlugin::loadPictures() {
    bool all = loadPicture(powerIcon, "power.bmp");
    all = loadPicture(meterEmptyImage, "meterEmpty.bmp") && all;
    all = loadPicture(meterFullImage, "meterFull.bmp") && all;
    all = loadPicture(memoryIcon, "memory.bmp") && all;
    all = loadPicture(storageIcon, "sdcard.bmp") && all;
    if (!all)
        noteLoadFailed();
    return all;
}

void ovDeviceStatusHBPlugin::drawPanel(ovCanvas& dc) {
    using namespace ovHyperBarLayout;
    ovFontSet* fonts = ovFontSet::instance();
    if (fonts != nullptr)
        fonts->pushFont(dc, fonts->bold10.get());
    if (!picturesLoaded && mayTryLoading())
        picturesLoaded = loadPictures();
    if (!picturesLoaded) {
        if (fonts != nullptr)
            fonts->popFont(dc);
        return;
    }

    dc.setTextColor(0x000000);
    const ovPen pen = dc.selectPen(ovPen{ovPen::Dash, 1, 0x000000});
    const ovBrush brush = dc.selectBrush(ovBrush{ovBrush::Solid, 0xFFE1E1});
    dc.rectangle(panelRect.left, panelRect.top, panelRect.right, panelRect.bottom);
    dc.selectPen(pen);
    dc.selectBrush(brush);

    const ovBitmapStore& store = app_.bitmaps;
    auto blit = [&](const ovBitmap* picture, const ovRect& r) {
        store.blit(picture, dc, r.left, r.top, r.right, r.bottom, ovColourKey, 255, 1.0f, 1.0f);
    };
    const ovBitmap* icons[3] = {powerIcon, memoryIcon, storageIcon};
    int iconTop = panelRect.top + fracHeight(rowTop);
    for (int row = 0; row < 3; ++row) {
        ovRect icon;
        icon.left = panelRect.left + fracWidth(rowLeft);
        icon.top = iconTop;
        icon.right = icon.left + fracWidth(iconWidth);
        icon.bottom = icon.top + fracHeight(iconHeight);
        iconTop = icon.bottom;
        blit(icons[row], icon);

        ovRect meter;
        meter.left = icon.right + fracWidth(meterGap);
        meter.top = icon.top + ((icon.bottom - icon.top) / 2 - fracHeight(meterHeight) / 2);
        meter.right = meter.left + fracWidth(meterWidth);
        meter.bottom = meter.top + fracHeight(meterHeight);
        blit(meterEmptyImage, meter);

        // The value stands whole inside the panel: on a tall narrow screen, where the
        // faces are large for the width, a figure that does not fit in the bold face
        // takes the regular one, then the smallest, then loses a decimal.
        ovRect value{meter.right + fracWidth(valueGap), meter.top, 0, meter.bottom};
        value.right = std::min(value.left + fracWidth(valueWidth), panelRect.right - 2);

        char text[32];
        int fill = -1; // none drawn
        const int width = meter.width();
        if (row == 0) {
            fill = static_cast<int>(static_cast<float>(batteryPercent) * 0.01f * static_cast<float>(width));
            batteryText(batteryPercent, text);
        } else if (row == 1) {
            if (memoryTotal != 0)
                fill = fillWidth(memoryAvailable, memoryTotal, width);
            memoryText(memoryAvailable, text);
        } else {
            if (storageTotal != 0)
                fill = fillWidth(storageFree, storageTotal, width);
            storageText(storageTotal, storageFree, text);
        }
        if (fill >= 0)
            blit(meterFullImage, {meter.left, meter.top, meter.left + fill, meter.bottom});
        char shorter[32];
        shorterFigure(text, shorter);
        const Wide full(text), brief(shorter);
        if (fonts == nullptr) {
            dc.drawText(full.view(), value, ovTextVCenter);
            continue;
        }
        // The value is centred on the meter but may stand as tall as the icon's row.
        const ovRect valueRow{value.left, icon.top, value.right, icon.bottom};
        ovFixedText<512> scratch;
        const ovFittedLine line =
            ovFitLine(dc, {full.view(), brief.view()},
                      {fonts->bold10.get(), fonts->regular10.get(), fonts->regular8.get()}, valueRow,
                      ovCutAt::End, scratch);
        dc.selectFont(line.face);
        dc.drawText(line.text, value, ovTextVCenter);
    }
    if (fonts != nullptr)
        fonts->popFont(dc);
}
