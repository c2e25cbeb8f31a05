#include "services/mail/ovSmtpTransport.h"

#include "services/mail/ovCurl.h"
#include "services/mail/ovMailProps.h"

#include <algorithm>
#include <cstring>

namespace {
struct Upload {
    const std::string* text;
    size_t sent = 0;
};

size_t readUpload(char* buffer, size_t size, size_t count, void* userdata) {
    auto* up = static_cast<Upload*>(userdata);
    const size_t n = std::min(size * count, up->text->size() - up->sent);
    std::memcpy(buffer, up->text->data() + up->sent, n);
    up->sent += n;
    return n;
}

const ovCurlApi& curlLib() {
    return ovCurlLoaded();
}

// Brackets IPv6 literals for the URL.
std::string urlHost(const std::string& host) {
    if (host.find(':') != std::string::npos && host.front() != '[')
        return "[" + host + "]";
    return host;
}

// The server's EHLO reply lines, collected from libcurl's trace of what came in. The
// greeting and the go-ahead for STARTTLS (both 220) start the collection afresh, so
// what is left is the last EHLO reply: the one given over the secured connection.
struct EhloReply {
    std::vector<std::string> lines;

    bool offersAuth() const {
        for (const std::string& l : lines) {
            if (l.size() < 8 || l.compare(0, 3, "250") != 0)
                continue;
            std::string keyword = l.substr(4, 4);
            std::transform(keyword.begin(), keyword.end(), keyword.begin(), ::toupper);
            if (keyword == "AUTH" && (l.size() == 8 || l[8] == ' ' || l[8] == '='))
                return true;
        }
        return false;
    }
};

int collectReply(CURL*, curl_infotype type, char* data, size_t size, void* userdata) {
    if (type != CURLINFO_HEADER_IN)
        return 0;
    auto* reply = static_cast<EhloReply*>(userdata);
    std::string line(data, size);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    if (line.compare(0, 3, "220") == 0)
        reply->lines.clear();
    else
        reply->lines.push_back(std::move(line));
    return 0;
}

std::string reasonFor(CURLcode rc, long response, const char* detail, const ovMailAccount& a) {
    const std::string server = a.host + ":" + std::to_string(a.effectivePort());
    std::string why = detail[0] != '\0' ? detail : curlLib().easy_strerror(rc);
    switch (rc) {
    case CURLE_COULDNT_CONNECT:
        return "could not reach the mail server " + server + " (" + why + ")";
    case CURLE_COULDNT_RESOLVE_HOST:
        return "the mail server " + a.host + " is not known (" + why + ")";
    case CURLE_OPERATION_TIMEDOUT:
        return "the mail server " + server + " did not answer in time (" + why + ")";
    case CURLE_USE_SSL_FAILED:
        return "the mail server " + server + " offers no encryption (STARTTLS), which account '" + a.name +
               "' requires; the message was not sent";
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
        return "no secure connection to the mail server " + server + " (" + why + ")";
    case CURLE_LOGIN_DENIED:
        return "the mail server " + server + " refused the login of account '" + a.name + "' (" + why + ")";
    default:
        break;
    }
    if (response >= 400)
        return "the mail server " + server + " refused the message: " + std::to_string(response) + " (" +
               why + ")";
    return "sending through " + server + " failed (" + why + ")";
}

ovResult<void> failureOf(CURL* c, CURLcode rc, const char* errorText, const ovMailAccount& account) {
    long response = 0;
    curlLib().easy_getinfo(c, CURLINFO_RESPONSE_CODE, &response);
    // A server that is away, slow or answers 4xx may take the message later; a 5xx
    // reply, a refused login or a connection that cannot be secured will say the same
    // again until someone changes something.
    ovMailCode code = ovMailCode::networkError;
    if (rc == CURLE_OPERATION_TIMEDOUT)
        code = ovMailCode::timeout;
    else if (rc == CURLE_LOGIN_DENIED)
        code = ovMailCode::noAccess;
    else if (response >= 500 || rc == CURLE_USE_SSL_FAILED || rc == CURLE_SSL_CONNECT_ERROR ||
             rc == CURLE_PEER_FAILED_VERIFICATION || rc == CURLE_SSL_CACERT_BADFILE)
        code = ovMailCode::refused;
    return ovFail(code, reasonFor(rc, response, errorText, account));
}

// A handle set up for the account's server: address, timeouts and TLS as the account
// asks, with the URL and the error text that must outlive the transfer.
struct Connection {
    std::string url;
    char errorText[CURL_ERROR_SIZE] = {0};
    ovCurlHandle curl;

    ovResult<void> open(const ovMailAccount& account);
};

ovResult<void> Connection::open(const ovMailAccount& account) {
    if (const ovResult<const ovCurlApi*> library = ovCurl(); !library)
        return ovFail(ovMailCode::callFailed, library.reason());
    curl.reset(curlLib().easy_init());
    if (!curl)
        return ovFail(ovMailCode::callFailed, "the mail library could not start");
    CURL* c = curl.get();
    const bool tlsFromStart = account.tls && !account.tlsStarttls;
    url = std::string(tlsFromStart ? "smtps://" : "smtp://") + urlHost(account.host) + ":" +
          std::to_string(account.effectivePort());
    const long timeout =
        account.timeoutSeconds > 0 ? account.timeoutSeconds : ovSmtpTransport::defaultTimeoutSeconds;
    curlLib().easy_setopt(c, CURLOPT_URL, url.c_str());
    curlLib().easy_setopt(c, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    curlLib().easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curlLib().easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
    curlLib().easy_setopt(c, CURLOPT_CONNECTTIMEOUT, timeout);
    // Every wait for a reply (the greeting included) is bounded by the account's
    // timeout; the whole exchange gets a few of them, for a large body on a slow line.
    curlLib().easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, timeout);
    curlLib().easy_setopt(c, CURLOPT_TIMEOUT, timeout * 8);
    curlLib().easy_setopt(c, CURLOPT_USE_SSL,
                          account.tls ? static_cast<long>(CURLUSESSL_ALL)
                                      : static_cast<long>(CURLUSESSL_NONE));
    if (account.tls) {
        if (!account.tlsTrustFile.empty() && account.tlsTrustFile != "system")
            curlLib().easy_setopt(c, CURLOPT_CAINFO, account.tlsTrustFile.c_str());
        curlLib().easy_setopt(c, CURLOPT_SSL_VERIFYPEER, account.tlsCertcheck ? 1L : 0L);
        curlLib().easy_setopt(c, CURLOPT_SSL_VERIFYHOST, account.tlsCertcheck ? 2L : 0L);
    }
    return {};
}

// Greets the server (and secures the connection when the account asks) without
// logging in or sending anything, to learn whether it offers a login at all.
ovResult<void> checkServerOffersAuth(const ovMailAccount& account) {
    Connection connection;
    if (ovResult<void> opened = connection.open(account); !opened)
        return opened;
    CURL* c = connection.curl.get();
    EhloReply reply;
    curlLib().easy_setopt(c, CURLOPT_CONNECT_ONLY, 1L);
    curlLib().easy_setopt(c, CURLOPT_DEBUGFUNCTION, collectReply);
    curlLib().easy_setopt(c, CURLOPT_DEBUGDATA, &reply);
    curlLib().easy_setopt(c, CURLOPT_VERBOSE, 1L);
    if (const CURLcode rc = curlLib().easy_perform(c); rc != CURLE_OK)
        return failureOf(c, rc, connection.errorText, account);
    if (!reply.offersAuth())
        return ovFail(ovMailCode::noAuthOffered,
                      "account '" + account.name + "' logs in (auth on), but the mail server " +
                          account.host + ":" + std::to_string(account.effectivePort()) +
                          " offers no authentication; the message was not sent");
    return {};
}
} // namespace

ovResult<void> ovSmtpTransport::send(const ovMailAccount& account, const PasswordSource& passwordSource,
                                     const std::vector<std::string>& recipients, const std::string& message) {
    if (account.host.empty())
        return ovFail(ovMailCode::invalidParameter,
                      "account '" + account.name + "' names no mail server (host)");
    if (recipients.empty())
        return ovFail(ovMailCode::noRecipients, "the message has no recipient");
    std::string password;
    if (account.wantsAuth()) {
        if (ovResult<void> offered = checkServerOffersAuth(account); !offered)
            return offered;
        ovResult<std::string> fetched = passwordSource();
        if (!fetched)
            return fetched.error();
        password = fetched.take();
    }
    ovCurlList rcpt;
    for (const std::string& r : recipients)
        if (!rcpt.append("<" + r + ">"))
            return ovFail(ovMailCode::callFailed, "out of memory");
    Connection connection;
    if (ovResult<void> opened = connection.open(account); !opened)
        return opened;
    CURL* c = connection.curl.get();
    Upload upload{&message};
    if (account.wantsAuth()) {
        curlLib().easy_setopt(c, CURLOPT_USERNAME, account.user.c_str());
        curlLib().easy_setopt(c, CURLOPT_PASSWORD, password.c_str());
        if (account.auth != "on") {
            std::string method = account.auth;
            std::transform(method.begin(), method.end(), method.begin(), ::toupper);
            const std::string options = "AUTH=" + method;
            curlLib().easy_setopt(c, CURLOPT_LOGIN_OPTIONS, options.c_str());
        }
    }
    const std::string from = "<" + account.from + ">";
    curlLib().easy_setopt(c, CURLOPT_MAIL_FROM, from.c_str());
    curlLib().easy_setopt(c, CURLOPT_MAIL_RCPT, rcpt.get());
    curlLib().easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curlLib().easy_setopt(c, CURLOPT_READFUNCTION, readUpload);
    curlLib().easy_setopt(c, CURLOPT_READDATA, &upload);
    curlLib().easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(message.size()));

    const CURLcode rc = curlLib().easy_perform(c);
    if (rc == CURLE_OK)
        return {};
    return failureOf(c, rc, connection.errorText, account);
}
