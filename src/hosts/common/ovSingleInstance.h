#pragma once
// One running copy per user: a lock file held with flock(2), and a local socket beside
// it on which a second start asks the running copy to raise its window. The kernel
// drops the lock when its holder dies, so a copy that crashed never blocks the next.
#include "system/ovFileDescriptor.h"

#include <chrono>
#include <deque>
#include <string>

class ovSingleInstance {
public:
    enum class Role {
        None,      // the lock could not be used; error() says why
        Primary,   // this is the running copy and listens for requests
        Secondary, // another copy holds the lock
    };

    // folder: where the lock and the socket live; empty for defaultFolder().
    explicit ovSingleInstance(std::string folder = {});
    // Gives up the lock and removes the socket.
    ~ovSingleInstance();
    ovSingleInstance(const ovSingleInstance&) = delete;
    ovSingleInstance& operator=(const ovSingleInstance&) = delete;

    Role acquire();
    Role role() const { return role_; }
    const std::string& error() const { return error_; }

    // Secondary: asks the running copy to raise its window. A copy that holds the lock
    // but is still starting is given a moment to listen. False, with error(), when it
    // could not be reached.
    bool requestRaise();
    // Primary: true when at least one raise request arrived since the last call.
    // Never waits: a client that has connected but not yet spoken is looked at again on
    // the next call, for a few seconds, and only the most recent few are kept.
    bool pollRaiseRequest();
    static constexpr size_t maxPendingClients = 16;
    size_t pendingClients() const { return pending_.size(); }

    const std::string& folder() const { return folder_; }
    std::string lockFile() const { return folder_ + "/orvida.lock"; }
    std::string socketFile() const { return folder_ + "/orvida.sock"; }

    // $XDG_RUNTIME_DIR when it is set to an existing folder, else /tmp/orvida-UID.
    static std::string defaultFolder();

private:
    bool prepareFolder();
    bool listen();

    std::string folder_;
    Role role_ = Role::None;
    std::string error_;
    ovFileDescriptor lockFd_;
    ovFileDescriptor listenFd_;
    struct Pending {
        ovFileDescriptor fd;
        std::chrono::steady_clock::time_point since;
        std::string received;
    };
    std::deque<Pending> pending_;
};
