#include "services/mail/ovMailSession.h"

#include "services/mail/ovOutbox.h"
#include "system/ovUtf.h"

namespace {
// Entry identifiers are the store's place in the table, which holds for the session.
std::string entryIdFor(size_t index) {
    return "store:" + std::to_string(index);
}
} // namespace

ovResult<std::vector<ovMailRow>> ovMailStoresTable::queryRows(int count) {
    std::vector<ovMailRow> rows;
    while (count-- > 0 && next_ < rows_.size())
        rows.push_back(rows_[next_++]);
    return rows;
}

ovResult<std::unique_ptr<ovMailSession>> ovMailSession::logon(const ovMailFolders& folders) {
    std::unique_ptr<ovMailSession> session(new ovMailSession());
    session->configFile_ = ovMsmtpConfigFile(folders.configDir);
    session->config_ = ovReadMsmtpConfig(session->configFile_);
    for (const ovMailAccount& a : session->config_.accounts) {
        ovMailStoreInfo info;
        // Longer names could not be shown or picked anyway; the store keeps it whole.
        info.displayName = ovToUtf16(a.name);
        info.account = a;
        info.outboxFolder = ovOutbox::folderFor(folders.dataDir, info.displayName);
        session->stores_.push_back(std::move(info));
    }
    ovMailStoreInfo sms;
    sms.displayName = smsStoreName;
    sms.outboxFolder = ovOutbox::folderFor(folders.dataDir, sms.displayName);
    session->stores_.push_back(std::move(sms));
    return session;
}

ovResult<std::unique_ptr<ovMailStoresTable>> ovMailSession::getMsgStoresTable(uint32_t flags) {
    std::vector<ovMailRow> rows;
    for (size_t i = 0; i < stores_.size(); ++i)
        rows.push_back({ovMailProp{ovPR_ENTRYID, entryIdFor(i)}});
    return std::make_unique<ovMailStoresTable>(std::move(rows));
}

ovResult<std::unique_ptr<ovMsgStore>> ovMailSession::openMsgStore(const std::string& entryId,
                                                                  uint32_t flags) {
    for (size_t i = 0; i < stores_.size(); ++i)
        if (entryIdFor(i) == entryId)
            return std::make_unique<ovMsgStore>(stores_[i]);
    return ovFail(ovMailCode::notFound, "no message store with that entry identifier");
}
