#include "data/pim/ovPimApplication.h"

#include "data/pim/ovPimAppointment.h"
#include "data/pim/ovPimContact.h"
#include "data/pim/ovPimStore.h"
#include "data/pim/ovPimTask.h"

#include <cstdio>

namespace {
ovResult<> notLoggedOn() {
    return ovFail(ovPimCode::noStore, "not logged on to a store");
}
} // namespace

ovPimApplication::~ovPimApplication() {
    logOff();
}

ovResult<> ovPimApplication::logOn(const std::string& storeFile) {
    logOff();
    return ovPimStore::open(storeFile, store_);
}

void ovPimApplication::logOff() {
    store_.reset();
}

std::string ovPimApplication::storeFile() const {
    return store_ ? store_->file() : std::string();
}

ovResult<> ovPimApplication::getDefaultFolder(int folderId, std::unique_ptr<ovPimFolder>& out) const {
    out.reset();
    if (!store_)
        return notLoggedOn();
    if (folderId != ovPimFolderCalendar && folderId != ovPimFolderContacts && folderId != ovPimFolderTasks)
        return ovFail(ovPimCode::invalidArgument, "there is no folder " + std::to_string(folderId));
    out = std::make_unique<ovPimFolder>(store_, folderId);
    return ovResult<>::success();
}

ovResult<> ovPimApplication::createItem(int itemType, std::unique_ptr<ovPimItem>& out) const {
    out.reset();
    if (!store_)
        return notLoggedOn();
    switch (static_cast<ovPimItemType>(itemType)) {
    case ovPimItemType::appointment:
        out = std::make_unique<ovPimAppointment>(store_);
        break;
    case ovPimItemType::contact:
        out = std::make_unique<ovPimContact>(store_);
        break;
    case ovPimItemType::task:
        out = std::make_unique<ovPimTask>(store_);
        break;
    default:
        return ovFail(ovPimCode::invalidArgument, "there is no item type " + std::to_string(itemType));
    }
    return ovResult<>::success();
}

ovResult<> ovPimApplication::beginBatch() {
    return store_ ? store_->beginBatch() : notLoggedOn();
}

ovResult<> ovPimApplication::commitBatch() {
    return store_ ? store_->commitBatch() : notLoggedOn();
}

ovResult<> ovPimApplication::convertDate(const ovSystemTime& time, double& out) const {
    if (ovSystemTimeToVariantTime(time, out))
        return ovResult<>::success();
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", time.year, time.month, time.day,
                  time.hour, time.minute, time.second);
    return ovFail(ovPimCode::invalidArgument, std::string(text) + " is not a valid date");
}
