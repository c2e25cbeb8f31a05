#include "data/pim/ovPimItem.h"

#include "data/pim/ovPimStore.h"

#include <cmath>
#include <cstdio>
#include <random>

bool ovPimIsValidDate(double date) {
    // 0100-01-01 and the last second of 9999-12-31, as automation dates.
    return std::isfinite(date) && date >= -657434.0 && date < 2958466.0;
}

ovResult<> ovPimItem::save() {
    const std::shared_ptr<ovPimStore> store = store_.lock();
    if (!store)
        return ovFail(ovPimCode::noStore, "the item cannot be saved: its store is closed");
    return saveTo(*store);
}

const std::string& ovPimItem::sourceText() const {
    if (!sourceLoaded_ && id_ != 0) {
        if (const std::shared_ptr<ovPimStore> store = store_.lock()) {
            std::string text;
            if (store->sourceTextOf(itemType(), id_, text)) {
                sourceText_ = std::move(text);
                sourceLoaded_ = true;
            }
        }
    }
    return sourceText_;
}

std::string ovPimNewUid() {
    static thread_local std::random_device device;
    uint8_t bytes[16];
    for (size_t i = 0; i < sizeof bytes; i += 4) {
        const uint32_t word = device();
        for (size_t k = 0; k < 4; ++k)
            bytes[i + k] = static_cast<uint8_t>(word >> (8 * k));
    }
    bytes[6] = static_cast<uint8_t>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80);
    char text[37];
    std::snprintf(text, sizeof text, "%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                  bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8],
                  bytes[9], bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
    return text;
}
