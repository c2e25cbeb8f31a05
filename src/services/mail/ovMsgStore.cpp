#include "services/mail/ovMsgStore.h"

ovResult<std::unique_ptr<ovMailMessage>> ovMailFolder::createMessage(uint32_t flags) {
    return std::make_unique<ovMailMessage>(store_);
}

ovResult<std::vector<ovMailProp>> ovMsgStore::getProps(const std::vector<ovMailTag>& tags,
                                                       uint32_t flags) const {
    std::vector<ovMailProp> props;
    for (ovMailTag tag : tags) {
        if (tag == ovPR_DISPLAY_NAME_W)
            props.push_back({tag, info_.displayName});
        else if (tag == ovPR_CE_IPM_DRAFTS_ENTRYID)
            props.push_back({tag, std::string(draftsEntryId)});
        else
            return ovFail(ovMailCode::notFound, "a store property this service does not have");
    }
    return props;
}

ovResult<std::unique_ptr<ovMailFolder>> ovMsgStore::openEntry(const std::string& entryId,
                                                              uint32_t flags) const {
    if (entryId != draftsEntryId)
        return ovFail(ovMailCode::notFound, "no such folder in '" + std::string(entryId) + "'");
    return std::make_unique<ovMailFolder>(info_);
}
