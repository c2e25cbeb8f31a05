#include "services/sms/ovModemManagerStandIn.h"

#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;

bool ovModemManagerStandIn::busDaemonInstalled() {
    return std::system("command -v dbus-daemon > /dev/null 2>&1") == 0;
}

ovModemManagerStandIn::ovModemManagerStandIn() {
    std::string pattern = (fs::temp_directory_path() / "orvida-modem-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        return;
    folder_ = pattern;
    // The bus's address comes as the first line once the name is owned.
    peer_ = std::make_unique<ovPeerProcess>(std::vector<std::string>{
        ORVIDA_PYTHON, ORVIDA_SOURCE_DIR "/tests/services/sms/ovModemManagerStandIn.py",
        (folder_ / "bus").string()});
    if (!running())
        return;
    if (const char* before = std::getenv("DBUS_SYSTEM_BUS_ADDRESS")) {
        hadAddress_ = true;
        previousAddress_ = before;
    }
    setenv("DBUS_SYSTEM_BUS_ADDRESS", peer_->firstLine().c_str(), 1);
}

ovModemManagerStandIn::~ovModemManagerStandIn() {
    if (hadAddress_)
        setenv("DBUS_SYSTEM_BUS_ADDRESS", previousAddress_.c_str(), 1);
    else if (running())
        unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    peer_.reset(); // it ends, with its bus, when its input closes
    std::error_code ignored;
    if (!folder_.empty())
        fs::remove_all(folder_, ignored);
}

void ovModemManagerStandIn::setMode(const std::string& mode) {
    std::ofstream(folder_ / "bus" / "mode") << mode;
    std::ofstream(folder_ / "bus" / "calls.jsonl", std::ios::trunc);
}

std::vector<std::string> ovModemManagerStandIn::calls() const {
    std::vector<std::string> lines;
    std::ifstream in(folder_ / "bus" / "calls.jsonl");
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}
