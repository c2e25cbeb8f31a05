#pragma once
// What a message store is made of: its display name, the e-mail account behind it
// (none for the SMS store) and the folder of its outbox.
#include "services/mail/ovMsmtpConfig.h"

#include <optional>
#include <string>

struct ovMailStoreInfo {
    std::u16string displayName;
    std::optional<ovMailAccount> account;
    std::string outboxFolder;
};
