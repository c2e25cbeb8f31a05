#include "messaging/ovSmtpTestServer.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

namespace fs = std::filesystem;

ovSmtpTestServer::ovSmtpTestServer(const fs::path& folder, const Options& options) : folder_(folder) {
    fs::create_directories(folder_);
    std::vector<std::string> args = {ORVIDA_PYTHON, ORVIDA_SOURCE_DIR "/tests/messaging/ovSmtpTestServer.py",
                                     folder_.string()};
    if (!options.certFile.empty())
        args.insert(args.end(), {"--cert", options.certFile, "--key", options.keyFile});
    if (!options.refuse.empty())
        args.insert(args.end(), {"--refuse", options.refuse});
    if (!options.defer.empty())
        args.insert(args.end(), {"--defer", options.defer});
    if (options.auth)
        args.push_back("--auth");
    if (options.noAuth)
        args.push_back("--no-auth");
    if (options.port > 0)
        args.insert(args.end(), {"--port", std::to_string(options.port)});
    if (!options.holdFile.empty())
        args.insert(args.end(), {"--hold", options.holdFile});
    // The port comes as the first line once the server listens; it ends when its input closes.
    server_ = std::make_unique<ovPeerProcess>(std::move(args));
    port_ = std::atoi(server_->firstLine().c_str());
}

ovSmtpTestServer::~ovSmtpTestServer() {
    stop();
}

void ovSmtpTestServer::stop() {
    server_.reset();
    port_ = 0;
}

std::vector<std::string> ovSmtpTestServer::received() const {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(folder_))
        if (e.path().extension() == ".json")
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    std::vector<std::string> records;
    for (const fs::path& f : files)
        records.push_back(ovReadFile(f));
    return records;
}

ovScratchFolder::ovScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "orvida-mail-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
}

ovScratchFolder::~ovScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

bool ovMakeTestCertificate(const fs::path& cert, const fs::path& key) {
    const std::string make =
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 "
        "-subj /CN=localhost -addext subjectAltName=IP:127.0.0.1 -keyout '" +
        key.string() + "' -out '" + cert.string() + "' 2>/dev/null";
    return std::system(make.c_str()) == 0;
}

ovSilentServer::ovSilentServer() {
    socket_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof at;
    if (socket_ >= 0 && bind(socket_, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0 &&
        listen(socket_, 4) == 0 && getsockname(socket_, reinterpret_cast<sockaddr*>(&at), &len) == 0)
        port_ = ntohs(at.sin_port);
}

ovSilentServer::~ovSilentServer() {
    if (socket_ >= 0)
        close(socket_);
}

void ovWriteFile(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

std::string ovReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<fs::path> ovFilesIn(const fs::path& folder, const std::string& extension) {
    std::vector<fs::path> found;
    if (fs::exists(folder))
        for (const auto& e : fs::recursive_directory_iterator(folder))
            if (e.path().extension() == extension)
                found.push_back(e.path());
    return found;
}
