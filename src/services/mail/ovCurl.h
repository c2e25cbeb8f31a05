#pragma once
// Owners of libcurl's handles: an easy handle and a string list, each freed with the
// call libcurl documents for it. Only the mail platform sees curl.
#include <curl/curl.h>

#include <memory>
#include <string>

struct ovCurlEasyDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
using ovCurlHandle = std::unique_ptr<CURL, ovCurlEasyDeleter>;

class ovCurlList {
public:
    ovCurlList() = default;
    ~ovCurlList() { curl_slist_free_all(head_); }
    ovCurlList(const ovCurlList&) = delete;
    ovCurlList& operator=(const ovCurlList&) = delete;

    // False when libcurl could not take a copy.
    bool append(const std::string& text) {
        curl_slist* next = curl_slist_append(head_, text.c_str());
        if (next == nullptr)
            return false;
        head_ = next;
        return true;
    }
    curl_slist* get() const { return head_; }

private:
    curl_slist* head_ = nullptr;
};
