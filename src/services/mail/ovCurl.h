#pragma once
// libcurl, loaded when the first message goes out rather than at start: it brings some
// twenty libraries of its own (TLS, Kerberos, LDAP, ...) whose loading and set-up would
// otherwise delay every start of the program, also the many that send nothing. Owners
// of its handles free each with the call libcurl documents for it. Only the mail
// platform sees curl.
#include "base/ovResult.h"

#include <curl/curl.h>

#include <memory>
#include <string>

// The libcurl functions the mail platform calls.
struct ovCurlApi {
    CURL* (*easy_init)() = nullptr;
    CURLcode (*easy_setopt)(CURL*, CURLoption, ...) = nullptr;
    CURLcode (*easy_perform)(CURL*) = nullptr;
    CURLcode (*easy_getinfo)(CURL*, CURLINFO, ...) = nullptr;
    void (*easy_cleanup)(CURL*) = nullptr;
    const char* (*easy_strerror)(CURLcode) = nullptr;
    curl_slist* (*slist_append)(curl_slist*, const char*) = nullptr;
    void (*slist_free_all)(curl_slist*) = nullptr;
};

// The library, loaded and its global set-up done at the first call (from any thread)
// and kept until the program ends; the reason when it cannot be loaded.
ovResult<const ovCurlApi*> ovCurl();
// The functions of the library loaded: only once ovCurl() has succeeded.
const ovCurlApi& ovCurlLoaded();

struct ovCurlEasyDeleter {
    void operator()(CURL* c) const { ovCurlLoaded().easy_cleanup(c); }
};
using ovCurlHandle = std::unique_ptr<CURL, ovCurlEasyDeleter>;

class ovCurlList {
public:
    ovCurlList() = default;
    ~ovCurlList() {
        if (head_ != nullptr)
            ovCurlLoaded().slist_free_all(head_);
    }
    ovCurlList(const ovCurlList&) = delete;
    ovCurlList& operator=(const ovCurlList&) = delete;

    // False when libcurl could not take a copy.
    bool append(const std::string& text) {
        curl_slist* next = ovCurlLoaded().slist_append(head_, text.c_str());
        if (next == nullptr)
            return false;
        head_ = next;
        return true;
    }
    curl_slist* get() const { return head_; }

private:
    curl_slist* head_ = nullptr;
};
