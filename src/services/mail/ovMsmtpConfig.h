#pragma once
// The user's msmtp configuration, read as msmtp reads it: `defaults` settings carried
// into every later account, `account NAME : A, B` starting from the settings of earlier
// accounts, arguments in double quotes when they need spaces, `#` comments. Only the
// settings an SMTP submission needs are kept; msmtp's other commands are accepted and
// left alone. Lines that make no sense are reported with the file and line, and the
// account they belong to is left out; every other account stays usable.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ovMailAccount {
    std::string name;
    std::string host;
    int port = 0; // 0: the usual port for the TLS mode (465 for TLS from the start, else 25)
    std::string from;
    // Off, or "on" (any method the server offers), or a method name such as "plain".
    std::string auth = "off";
    std::string user;
    std::string password;
    std::string passwordEval; // a shell command line whose first output line is the password
    bool tls = false;
    bool tlsStarttls = true;  // with tls: upgrade a plain connection; off: TLS from the start
    std::string tlsTrustFile; // certificates to trust; empty or "system": the system's
    bool tlsCertcheck = true;
    int timeoutSeconds = 0; // 0: ours (see ovSmtpTransport)

    int effectivePort() const { return port != 0 ? port : (tls && !tlsStarttls ? 465 : 25); }
    bool wantsAuth() const { return auth != "off"; }
};

struct ovMsmtpConfig {
    std::string file;                    // where it was read from; empty when there was none
    std::vector<ovMailAccount> accounts; // in the file's order
    std::vector<std::string> problems;   // "FILE:LINE: what is wrong"
};

// The msmtp file to read: DIR/msmtp.conf when a configuration folder was given,
// otherwise $XDG_CONFIG_HOME/msmtp/config when it exists, otherwise ~/.msmtprc.
std::string ovMsmtpConfigFile(const std::string& configDir);
ovMsmtpConfig ovParseMsmtpConfig(std::string_view text, const std::string& fileName);
// A missing file gives no accounts and no problems: the user has no e-mail set up.
ovMsmtpConfig ovReadMsmtpConfig(const std::string& file);
