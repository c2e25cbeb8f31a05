#pragma once
// One sender's hold on a queued message: an exclusive flock on the message file, kept
// for as long as the claim lives. Whoever holds it is the only one sending that
// message, whether the others are threads of this program or other programs (the
// window and `orvida outbox send` side by side).
#include "system/ovFileDescriptor.h"

#include <optional>
#include <string>

class ovOutboxClaim {
public:
    // The claim, or none when another sender holds the message or it has left the
    // outbox (sent and removed, or replaced) since it was listed.
    static std::optional<ovOutboxClaim> take(const std::string& file);
    // Holds an open, locked descriptor of `file`.
    ovOutboxClaim(std::string file, ovFileDescriptor fd) : file_(std::move(file)), fd_(std::move(fd)) {}

    const std::string& file() const { return file_; }
    // The file was renamed while claimed; the lock goes with it.
    void followRename(std::string file) { file_ = std::move(file); }

private:
    std::string file_;
    ovFileDescriptor fd_;
};
