#pragma once
// What became of each text message sent through the modem, as the user can see it:
// queued (handed to the modem service, not yet sent), sent (the network took it),
// delivered (the delivery report came) or failed (with the reason). One small file per
// message in DATA/sms-records, beside the spool, each replaced whole on every change.
#include "base/ovResult.h"

#include <cstdint>
#include <string>
#include <vector>

enum class ovSmsState { queued, sent, delivered, failed };

const char* ovSmsStateName(ovSmsState state);

struct ovSmsRecord {
    std::string id; // the file's name without its extension
    std::string number;
    std::string text;
    ovSmsState state = ovSmsState::queued;
    int tries = 0;
    std::string lastError;   // why it failed, or what the network said of it
    std::string modemObject; // ModemManager's object of the message, once it made one
    int64_t createdAt = 0;   // seconds since 1970

    // The text's first line, cut to a length a listing can show.
    std::string excerpt() const;
};

class ovSmsRecords {
public:
    static std::string folder(const std::string& dataDir);
    // A new record's id: unique across programs and runs.
    static std::string newId();
    // Writes the record durably, replacing its earlier state.
    static ovResult<> write(const std::string& dataDir, const ovSmsRecord& record);
    // Every record, oldest first. A file that cannot be read is left out.
    static std::vector<ovSmsRecord> list(const std::string& dataDir);

    static std::string format(const ovSmsRecord& record);
    static bool parse(const std::string& content, ovSmsRecord& record);
};
