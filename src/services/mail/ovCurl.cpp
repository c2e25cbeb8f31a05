#include "services/mail/ovCurl.h"

#include <dlfcn.h>

namespace {
// The shared library's name for the ABI of curl 7 and 8.
constexpr const char* kLibrary = "libcurl.so.4";

// The library stays loaded until the process ends, as a linked one would: unloading
// it at exit would pull its code from under a send still in progress and leave what its
// global set-up allocated unreachable, for no gain.
struct Loaded {
    void* library = nullptr;
    ovCurlApi api;
    std::string error;
};

template <class Function> bool bind(void* library, Function& function, const char* name, std::string& error) {
    void* symbol = dlsym(library, name);
    if (symbol == nullptr) {
        error = std::string(kLibrary) + " has no " + name;
        return false;
    }
    function = reinterpret_cast<Function>(symbol);
    return true;
}

Loaded load() {
    Loaded l;
    l.library = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
    if (l.library == nullptr) {
        const char* why = dlerror();
        l.error = "the mail library (";
        l.error += kLibrary;
        l.error += ") cannot be loaded: ";
        l.error += why != nullptr ? why : "no reason given";
        return l;
    }
    CURLcode (*globalInit)(long) = nullptr;
    void* library = l.library;
    ovCurlApi& a = l.api;
    const bool all = bind(library, globalInit, "curl_global_init", l.error) &&
                     bind(library, a.easy_init, "curl_easy_init", l.error) &&
                     bind(library, a.easy_setopt, "curl_easy_setopt", l.error) &&
                     bind(library, a.easy_perform, "curl_easy_perform", l.error) &&
                     bind(library, a.easy_getinfo, "curl_easy_getinfo", l.error) &&
                     bind(library, a.easy_cleanup, "curl_easy_cleanup", l.error) &&
                     bind(library, a.easy_strerror, "curl_easy_strerror", l.error) &&
                     bind(library, a.slist_append, "curl_slist_append", l.error) &&
                     bind(library, a.slist_free_all, "curl_slist_free_all", l.error);
    if (!all) {
        dlclose(library);
        l.library = nullptr;
        return l;
    }
    // Once per process and before any handle exists: the static's initialisation is
    // what keeps two threads from running it at the same time.
    globalInit(CURL_GLOBAL_DEFAULT);
    return l;
}

const Loaded& loaded() {
    static const Loaded library = load();
    return library;
}
} // namespace

ovResult<const ovCurlApi*> ovCurl() {
    const Loaded& l = loaded();
    if (l.library == nullptr)
        return ovFail(l.error);
    return &l.api;
}

const ovCurlApi& ovCurlLoaded() {
    return loaded().api;
}
