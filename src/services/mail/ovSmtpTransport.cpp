#include "services/mail/ovSmtpTransport.h"

#include "services/mail/ovCurl.h"
#include "services/mail/ovMailProps.h"

#include <algorithm>
#include <cstring>
#include <mutex>

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

void globalInit() {
    // Once per process and before any handle exists: libcurl's global set-up is not
    // safe to run twice at the same time.
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Brackets IPv6 literals for the URL.
std::string urlHost(const std::string& host) {
    if (host.find(':') != std::string::npos && host.front() != '[')
        return "[" + host + "]";
    return host;
}

std::string reasonFor(CURLcode rc, long response, const char* detail, const ovMailAccount& a) {
    const std::string server = a.host + ":" + std::to_string(a.effectivePort());
    std::string why = detail[0] != '\0' ? detail : curl_easy_strerror(rc);
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
} // namespace

ovResult<void> ovSmtpTransport::send(const ovMailAccount& account, const std::string& password,
                                     const std::vector<std::string>& recipients, const std::string& message) {
    if (account.host.empty())
        return ovFail(ovMailCode::invalidParameter,
                      "account '" + account.name + "' names no mail server (host)");
    if (recipients.empty())
        return ovFail(ovMailCode::noRecipients, "the message has no recipient");
    globalInit();
    ovCurlHandle curl(curl_easy_init());
    if (!curl)
        return ovFail(ovMailCode::callFailed, "the mail library could not start");
    CURL* c = curl.get();

    const bool tlsFromStart = account.tls && !account.tlsStarttls;
    const std::string url = std::string(tlsFromStart ? "smtps://" : "smtp://") + urlHost(account.host) + ":" +
                            std::to_string(account.effectivePort());
    ovCurlList rcpt;
    for (const std::string& r : recipients)
        if (!rcpt.append("<" + r + ">"))
            return ovFail(ovMailCode::callFailed, "out of memory");
    const long timeout = account.timeoutSeconds > 0 ? account.timeoutSeconds : defaultTimeoutSeconds;
    Upload upload{&message};
    char errorText[CURL_ERROR_SIZE] = {0};

    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, timeout);
    // Every wait for a reply (the greeting included) is bounded by the account's
    // timeout; the whole exchange gets a few of them, for a large body on a slow line.
    curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, timeout);
    curl_easy_setopt(c, CURLOPT_TIMEOUT, timeout * 8);
    curl_easy_setopt(c, CURLOPT_USE_SSL,
                     account.tls ? static_cast<long>(CURLUSESSL_ALL) : static_cast<long>(CURLUSESSL_NONE));
    if (account.tls) {
        if (!account.tlsTrustFile.empty() && account.tlsTrustFile != "system")
            curl_easy_setopt(c, CURLOPT_CAINFO, account.tlsTrustFile.c_str());
        curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, account.tlsCertcheck ? 1L : 0L);
        curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, account.tlsCertcheck ? 2L : 0L);
    }
    if (account.wantsAuth()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, account.user.c_str());
        curl_easy_setopt(c, CURLOPT_PASSWORD, password.c_str());
        if (account.auth != "on") {
            std::string method = account.auth;
            std::transform(method.begin(), method.end(), method.begin(), ::toupper);
            const std::string options = "AUTH=" + method;
            curl_easy_setopt(c, CURLOPT_LOGIN_OPTIONS, options.c_str());
        }
    }
    const std::string from = "<" + account.from + ">";
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, from.c_str());
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, rcpt.get());
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_READFUNCTION, readUpload);
    curl_easy_setopt(c, CURLOPT_READDATA, &upload);
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(message.size()));

    const CURLcode rc = curl_easy_perform(c);
    if (rc == CURLE_OK)
        return {};
    long response = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &response);
    const ovMailCode code = rc == CURLE_OPERATION_TIMEDOUT ? ovMailCode::timeout
                            : rc == CURLE_LOGIN_DENIED     ? ovMailCode::noAccess
                                                           : ovMailCode::networkError;
    return ovFail(code, reasonFor(rc, response, errorText, account));
}
