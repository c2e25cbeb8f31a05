#pragma once
// One account's message store, and its drafts folder. Messages created in the folder
// are kept in the store's outbox when they are submitted, until the server has them.
#include "base/ovResult.h"
#include "services/mail/ovMailMessage.h"
#include "services/mail/ovMailProps.h"
#include "services/mail/ovMailStoreInfo.h"

#include <memory>
#include <vector>

class ovMailFolder {
public:
    explicit ovMailFolder(ovMailStoreInfo store) : store_(std::move(store)) {}
    ovResult<std::unique_ptr<ovMailMessage>> createMessage(uint32_t flags);

private:
    ovMailStoreInfo store_;
};

class ovMsgStore {
public:
    static constexpr const char* draftsEntryId = "drafts";

    explicit ovMsgStore(ovMailStoreInfo info) : info_(std::move(info)) {}
    // PR_DISPLAY_NAME_W and PR_CE_IPM_DRAFTS_ENTRYID, in the order asked for.
    ovResult<std::vector<ovMailProp>> getProps(const std::vector<ovMailTag>& tags, uint32_t flags) const;
    ovResult<std::unique_ptr<ovMailFolder>> openEntry(const std::string& entryId, uint32_t flags) const;
    const ovMailStoreInfo& info() const { return info_; }

private:
    ovMailStoreInfo info_;
};
