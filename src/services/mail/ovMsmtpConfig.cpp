#include "services/mail/ovMsmtpConfig.h"

#include "system/ovIniSection.h"
#include "system/ovPaths.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// A configuration is a few lines; anything this large is not one.

// One account's settings as the file gives them: only what was set, so that
// inheritance can lay one account's settings over another's.
struct Settings {
    std::optional<std::string> host, from, auth, user, password, passwordEval, tlsTrustFile;
    std::optional<int> port, timeoutSeconds;
    std::optional<bool> tls, tlsStarttls, tlsCertcheck;

    void overlay(const Settings& o) {
        auto take = [](auto& mine, const auto& theirs) {
            if (theirs)
                mine = theirs;
        };
        take(host, o.host);
        take(from, o.from);
        take(auth, o.auth);
        take(user, o.user);
        take(password, o.password);
        take(passwordEval, o.passwordEval);
        take(tlsTrustFile, o.tlsTrustFile);
        take(port, o.port);
        take(timeoutSeconds, o.timeoutSeconds);
        take(tls, o.tls);
        take(tlsStarttls, o.tlsStarttls);
        take(tlsCertcheck, o.tlsCertcheck);
    }

    ovMailAccount resolve(const std::string& name) const {
        ovMailAccount a;
        a.name = name;
        a.host = host.value_or("");
        a.port = port.value_or(0);
        a.from = from.value_or("");
        // A user name without an `auth` line means the user wants to log in.
        a.auth = auth.value_or(user && !user->empty() ? "on" : "off");
        a.user = user.value_or("");
        a.password = password.value_or("");
        a.passwordEval = passwordEval.value_or("");
        a.tls = tls.value_or(false);
        a.tlsStarttls = tlsStarttls.value_or(true);
        a.tlsTrustFile = tlsTrustFile ? ovExpandHome(*tlsTrustFile) : "";
        a.tlsCertcheck = tlsCertcheck.value_or(true);
        a.timeoutSeconds = timeoutSeconds.value_or(0);
        return a;
    }
};

struct Account {
    std::string name;
    Settings settings;
    bool broken = false;
};

// msmtp commands we accept without using them.
constexpr std::string_view kIgnored[] = {
    "protocol",
    "domain",
    "maildomain",
    "dsn_notify",
    "dsn_return",
    "tls_fingerprint",
    "tls_key_file",
    "tls_cert_file",
    "tls_crl_file",
    "tls_priorities",
    "tls_host_override",
    "tls_min_dh_prime_bits",
    "logfile",
    "logfile_time_format",
    "syslog",
    "aliases",
    "set_from_header",
    "set_date_header",
    "set_msgid_header",
    "remove_bcc_headers",
    "undisclosed_recipients",
    "source_ip",
    "proxy_host",
    "proxy_port",
    "socket",
    "ntlmdomain",
    "add_missing_from_header",
    "add_missing_date_header",
    "auto_from",
    "from_full_name",
    "allow_from_override",
    "eval",
};

// The argument after the command: quotes removed (with \" and \\ inside them), a `#`
// outside quotes ending the line. Returns false for a quote that is never closed.
bool parseArgument(std::string_view raw, std::string& out) {
    out.clear();
    bool quoted = false;
    std::string pendingSpace;
    for (size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (quoted) {
            if (c == '\\' && i + 1 < raw.size() && (raw[i + 1] == '"' || raw[i + 1] == '\\'))
                out += raw[++i];
            else if (c == '"')
                quoted = false;
            else
                out += c;
        } else if (c == '"') {
            out += pendingSpace;
            pendingSpace.clear();
            quoted = true;
        } else if (c == '#') {
            break;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            if (!out.empty())
                pendingSpace += c;
        } else {
            out += pendingSpace;
            pendingSpace.clear();
            out += c;
        }
    }
    return !quoted;
}

std::optional<bool> onOff(const std::string& v) {
    if (v.empty() || v == "on")
        return true;
    if (v == "off")
        return false;
    return std::nullopt;
}

std::optional<int> number(const std::string& v, int low, int high) {
    if (v.empty() || v.size() > 6 ||
        !std::all_of(v.begin(), v.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int n = std::stoi(v);
    if (n < low || n > high)
        return std::nullopt;
    return n;
}
} // namespace

std::string ovMsmtpConfigFile(const std::string& configDir) {
    if (!configDir.empty())
        return configDir + (configDir.back() == '/' ? "" : "/") + "msmtp.conf";
    const std::string xdg = ovUserConfigHome() + "/msmtp/config";
    if (ovFileExists(xdg))
        return xdg;
    return ovHomeFolder() + "/.msmtprc";
}

ovMsmtpConfig ovParseMsmtpConfig(std::string_view text, const std::string& fileName) {
    ovMsmtpConfig config;
    config.file = fileName;
    std::vector<Account> accounts;
    Settings defaults;
    // Where settings go: the defaults (before any account, or after `defaults`) or the
    // last account begun. Settings before any `defaults` or `account` count as defaults.
    Account* current = nullptr;
    // Where the settings of an account that cannot be defined go, so they touch nothing.
    Account discarded;
    discarded.broken = true;

    int lineNumber = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        const size_t end = std::min(text.find('\n', pos), text.size());
        const std::string line = ovIniTrim(text.substr(pos, end - pos));
        pos = end + 1;
        ++lineNumber;
        if (line.empty() || line[0] == '#')
            continue;
        auto problem = [&](const std::string& what) {
            config.problems.push_back(fileName + ":" + std::to_string(lineNumber) + ": " + what);
            if (current != nullptr)
                current->broken = true;
        };
        const size_t split = line.find_first_of(" \t");
        const std::string command = line.substr(0, split);
        std::string value;
        if (!parseArgument(split == std::string::npos ? "" : std::string_view(line).substr(split), value)) {
            problem("the quoted argument of '" + command + "' is never closed");
            continue;
        }

        if (command == "defaults") {
            current = nullptr;
            continue;
        }
        if (command == "account") {
            current = nullptr;
            std::string name = value;
            std::vector<std::string> parents;
            if (const size_t colon = value.find(':'); colon != std::string::npos) {
                name = ovIniTrim(value.substr(0, colon));
                std::string rest = value.substr(colon + 1);
                std::replace(rest.begin(), rest.end(), ',', ' ');
                std::istringstream words(rest);
                for (std::string w; words >> w;)
                    parents.push_back(w);
                if (parents.empty()) {
                    problem("account '" + name + "' names no account to start from after ':'");
                    current = &discarded;
                    continue;
                }
            }
            if (name.empty()) {
                problem("'account' needs a name");
                current = &discarded;
                continue;
            }
            if (std::any_of(accounts.begin(), accounts.end(),
                            [&](const Account& a) { return a.name == name; })) {
                problem("account '" + name + "' is defined twice");
                current = &discarded;
                continue;
            }
            Account account;
            account.name = name;
            account.settings = defaults;
            accounts.push_back(std::move(account));
            current = &accounts.back();
            for (const std::string& parent : parents) {
                auto found = std::find_if(accounts.begin(), accounts.end() - 1,
                                          [&](const Account& a) { return a.name == parent; });
                if (found == accounts.end() - 1) {
                    problem("account '" + name + "' starts from '" + parent +
                            "', which is not defined above it");
                    break;
                }
                current->settings.overlay(found->settings);
            }
            continue;
        }

        Settings& target = current != nullptr ? current->settings : defaults;
        if (command == "host") {
            if (value.empty())
                problem("'host' needs a server name");
            else
                target.host = value;
        } else if (command == "port") {
            if (auto n = number(value, 1, 65535))
                target.port = n;
            else
                problem("'port' wants a number from 1 to 65535, not '" + value + "'");
        } else if (command == "timeout") {
            if (value == "off")
                target.timeoutSeconds = 0;
            else if (auto n = number(value, 1, 3600))
                target.timeoutSeconds = n;
            else
                problem("'timeout' wants 'off' or seconds from 1 to 3600, not '" + value + "'");
        } else if (command == "from") {
            target.from = value;
        } else if (command == "auth") {
            if (value.empty())
                target.auth = "on";
            else
                target.auth = value;
        } else if (command == "user") {
            target.user = value;
        } else if (command == "password") {
            target.password = value;
        } else if (command == "passwordeval") {
            target.passwordEval = value;
        } else if (command == "tls_trust_file") {
            target.tlsTrustFile = value;
        } else if (command == "tls" || command == "tls_starttls" || command == "tls_certcheck") {
            const std::optional<bool> on = onOff(value);
            if (!on) {
                problem("'" + command + "' wants 'on' or 'off', not '" + value + "'");
                continue;
            }
            (command == "tls"            ? target.tls
             : command == "tls_starttls" ? target.tlsStarttls
                                         : target.tlsCertcheck) = on;
        } else if (std::find(std::begin(kIgnored), std::end(kIgnored), command) == std::end(kIgnored)) {
            problem("unknown command '" + command + "'");
        }
    }

    for (const Account& a : accounts)
        if (!a.broken)
            config.accounts.push_back(a.settings.resolve(a.name));
    return config;
}

ovMsmtpConfig ovReadMsmtpConfig(const std::string& file) {
    std::string text;
    std::vector<std::string> problems;
    if (ovReadSettingsFile(file, "an msmtp configuration", text, problems)) {
        ovMsmtpConfig config = ovParseMsmtpConfig(text, file);
        const bool holdsSecrets =
            std::any_of(config.accounts.begin(), config.accounts.end(),
                        [](const auto& a) { return !a.password.empty() || !a.passwordEval.empty(); });
        // As msmtp: a file with a password in it that others may read or change is not
        // used at all, rather than used and the password given away.
        struct stat st {};
        if (holdsSecrets && stat(file.c_str(), &st) == 0 &&
            ((st.st_mode & 077) != 0 || st.st_uid != geteuid())) {
            char mode[8];
            std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
            config.accounts.clear();
            config.problems.push_back(
                file + ": holds a password but " +
                ((st.st_mode & 077) != 0
                     ? std::string("can be read or written by others than its owner (mode ") + mode + ")"
                     : std::string("is not owned by you")) +
                ", so none of its accounts is used; 'chmod 600 " + file + "' makes it private");
        }
        return config;
    }
    ovMsmtpConfig none;
    if (!problems.empty())
        none.file = file;
    none.problems = std::move(problems);
    return none;
}
