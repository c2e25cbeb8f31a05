#pragma once
// ovModemManagerStandIn.py on a private bus of its own, run by Debian's interpreter, in
// a scratch folder of its own; while the object lives, DBUS_SYSTEM_BUS_ADDRESS names
// that bus, so that the program's system-bus calls reach the stand-in. libdbus reads
// that address once per process: a test program starts one stand-in and changes its
// mode between tests.
#include "support/ovPeerProcess.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class ovModemManagerStandIn {
public:
    ovModemManagerStandIn();
    ~ovModemManagerStandIn();
    ovModemManagerStandIn(const ovModemManagerStandIn&) = delete;
    ovModemManagerStandIn& operator=(const ovModemManagerStandIn&) = delete;

    static bool busDaemonInstalled();
    bool running() const { return peer_ && !peer_->firstLine().empty(); }
    // A folder for the test's own files, removed with the stand-in.
    const std::filesystem::path& folder() const { return folder_; }
    // How the modem answers from now on: "" (sent, then delivered), "send-fails" or
    // "no-delivery-report". Also forgets the calls taken so far.
    void setMode(const std::string& mode);
    // The calls it took, one JSON object per call, in order.
    std::vector<std::string> calls() const;

private:
    std::filesystem::path folder_;
    std::unique_ptr<ovPeerProcess> peer_;
    std::string previousAddress_;
    bool hadAddress_ = false;
};
