#pragma once
// A store's outbox: one file per message waiting for the server, written whole before
// anything is sent and removed only once the server has accepted the message. Each
// file is the message itself, Date and Message-ID included, so a later try sends the
// very same message; its envelope recipients lead it as X-Orvida-Envelope-To headers,
// so that any mail tool can read it. Beside each message a small state file keeps what
// the tries so far came to (NAME.eml and NAME.state).
#include "base/ovResult.h"
#include "services/mail/ovOutboxClaim.h"

#include <cstdint>
#include <string>
#include <vector>

// A queued message as the outbox listing shows it.
struct ovOutboxEntry {
    std::string file; // the message's .eml file
    std::string account;
    std::vector<std::string> recipients;
    std::string subject; // UTF-8, as typed
    int tries = 0;
    std::string lastError;
    int64_t nextTry = 0;  // seconds since the epoch; 0: at once
    bool refused = false; // refused for good: kept for the user, never tried again
};

class ovOutbox {
public:
    explicit ovOutbox(std::string folder) : folder_(std::move(folder)) {}

    // Keeps the message and returns it claimed: it only becomes visible to other
    // senders with this claim already on it.
    ovResult<ovOutboxClaim> put(const std::string& account, const std::string& subject,
                                const std::vector<std::string>& envelope, const std::string& message);
    // Takes a message out of the outbox, its state with it.
    static ovResult<void> remove(const std::string& file);
    // The messages waiting, oldest first.
    std::vector<std::string> files() const;
    const std::string& folder() const { return folder_; }

    // The message, its envelope and its state. A message whose state file is missing
    // (a crash between the two writes) reads as never tried.
    static ovResult<ovOutboxEntry> read(const std::string& file);
    // The message as it goes to the server: the file without its envelope headers.
    static ovResult<std::string> messageText(const std::string& file);
    // Records a failed try: one that may pass is tried again after a pause that grows
    // with the tries (pauseAfter); one that will not is marked and left alone.
    static ovResult<void> recordFailure(const std::string& file, const std::string& reason, bool mayPass,
                                        int64_t now);
    // Seconds to wait after the n-th failed try: 1, 2, 5, 10 and 30 minutes, then 30.
    static int64_t pauseAfter(int tries);

    // The folder of a store's outbox under the data folder; any display name gives a
    // single, distinct folder name.
    static std::string folderFor(const std::string& dataFolder, std::u16string_view displayName);
    // The folder that holds every store's outbox.
    static std::string rootFor(const std::string& dataFolder);
    // Every store's outbox folder under the data folder, those of accounts since
    // removed from the configuration included.
    static std::vector<std::string> allFolders(const std::string& dataFolder);

private:
    std::string folder_;
};
