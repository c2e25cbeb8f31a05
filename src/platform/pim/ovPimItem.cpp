#include "platform/pim/ovPimItem.h"

#include <cmath>

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
