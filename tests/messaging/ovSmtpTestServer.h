#pragma once
// The recording mail server of ovSmtpTestServer.py, run by Debian's own interpreter
// (the first python3 on PATH may be one that cannot see Debian's aiosmtpd) on a free
// port of 127.0.0.1, and stopped when the object goes.
#include "support/ovPeerProcess.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class ovSmtpTestServer {
public:
    struct Options {
        std::string certFile; // with a key: offers STARTTLS and requires it
        std::string keyFile;
        std::string refuse;   // recipients containing this are refused with 550
        std::string defer;    // recipients containing this are put off with 451
        bool auth = false;    // takes the login me/secret (before STARTTLS only without TLS)
        bool noAuth = false;  // offers no login at all
        std::string holdFile; // each greeting waits until this file exists
        int port = 0;         // 0: a free one
    };
    ovSmtpTestServer(const std::filesystem::path& folder, const Options& options);
    ~ovSmtpTestServer();
    ovSmtpTestServer(const ovSmtpTestServer&) = delete;
    ovSmtpTestServer& operator=(const ovSmtpTestServer&) = delete;

    bool running() const { return port_ > 0; }
    int port() const { return port_; }
    void stop();
    // The JSON records of the messages received, in the order they came.
    std::vector<std::string> received() const;

private:
    std::filesystem::path folder_;
    std::unique_ptr<ovPeerProcess> server_;
    int port_ = 0;
};

// A scratch folder of the test's own, removed with everything in it.
class ovScratchFolder {
public:
    ovScratchFolder();
    ~ovScratchFolder();
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// A self-signed certificate for 127.0.0.1 and its key, made with openssl; false when
// openssl failed.
bool ovMakeTestCertificate(const std::filesystem::path& cert, const std::filesystem::path& key);

// A server on a free port of 127.0.0.1 that takes connections and never says a word.
class ovSilentServer {
public:
    ovSilentServer();
    ~ovSilentServer();
    ovSilentServer(const ovSilentServer&) = delete;
    ovSilentServer& operator=(const ovSilentServer&) = delete;
    int port() const { return port_; }

private:
    int socket_ = -1;
    int port_ = 0;
};

void ovWriteFile(const std::filesystem::path& file, const std::string& text);
// The files under folder (at any depth) whose names end in extension; none when it is missing.
std::vector<std::filesystem::path> ovFilesIn(const std::filesystem::path& folder,
                                             const std::string& extension);
std::string ovReadFile(const std::filesystem::path& file);
