#pragma once
// The message-store service: logging on reads the user's e-mail accounts (the msmtp
// configuration) and makes one message store per account, in the file's order, then
// the store named "SMS", which is always there. Nothing stays open between sessions;
// a session is the accounts as they were when it logged on.
#include "base/ovResult.h"
#include "services/mail/ovMailProps.h"
#include "services/mail/ovMailStoreInfo.h"
#include "services/mail/ovMsgStore.h"
#include "services/mail/ovMsmtpConfig.h"

#include <memory>
#include <string>
#include <vector>

struct ovMailFolders {
    std::string configDir; // empty: the user's own msmtp configuration
    std::string dataDir;   // where the outboxes live
};

// One row at a time, as the old stores table gave them.
class ovMailStoresTable {
public:
    explicit ovMailStoresTable(std::vector<ovMailRow> rows) : rows_(std::move(rows)) {}
    // Up to `count` rows from the current position; an empty answer is the end.
    ovResult<std::vector<ovMailRow>> queryRows(int count);

private:
    std::vector<ovMailRow> rows_;
    size_t next_ = 0;
};

class ovMailSession {
public:
    static constexpr const char16_t* smsStoreName = u"SMS";

    static ovResult<std::unique_ptr<ovMailSession>> logon(const ovMailFolders& folders);

    // What was wrong with the configuration ("FILE:LINE: problem"); the accounts it
    // could read are there all the same.
    const std::vector<std::string>& problems() const { return config_.problems; }
    const std::string& configFile() const { return configFile_; }
    // The stores in the table's order.
    const std::vector<ovMailStoreInfo>& stores() const { return stores_; }

    ovResult<std::unique_ptr<ovMailStoresTable>> getMsgStoresTable(uint32_t flags);
    ovResult<std::unique_ptr<ovMsgStore>> openMsgStore(const std::string& entryId, uint32_t flags);

private:
    ovMailSession() = default;
    std::vector<ovMailStoreInfo> stores_;
    ovMsmtpConfig config_;
    std::string configFile_;
};
