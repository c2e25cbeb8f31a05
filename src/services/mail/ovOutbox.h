#pragma once
// A store's outbox: one file per message waiting for the server, written whole before
// anything is sent and removed only once the server has accepted the message. Each
// file is the message itself with its envelope recipients as leading
// X-Orvida-Envelope-To headers, so that any mail tool can read it.
#include "base/ovResult.h"

#include <string>
#include <vector>

class ovOutbox {
public:
    explicit ovOutbox(std::string folder) : folder_(std::move(folder)) {}

    // Returns the file the message was kept in.
    ovResult<std::string> put(const std::vector<std::string>& envelope, const std::string& message);
    ovResult<void> remove(const std::string& file);
    // The messages waiting, oldest first.
    std::vector<std::string> files() const;
    const std::string& folder() const { return folder_; }

    // The folder of a store's outbox under the data folder; any display name gives a
    // single, distinct folder name.
    static std::string folderFor(const std::string& dataFolder, std::u16string_view displayName);

private:
    std::string folder_;
};
