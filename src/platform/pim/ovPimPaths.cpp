#include "platform/pim/ovPimPaths.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

std::string ovDefaultDataFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/')
        return std::string(xdg) + "/orvida";
    std::string home;
    if (const char* h = std::getenv("HOME"); h != nullptr && h[0] != '\0') {
        home = h;
    } else if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr) {
        home = pw->pw_dir;
    }
    return home + "/.local/share/orvida";
}

std::string ovPimStoreFileIn(const std::string& dataFolder) {
    if (!dataFolder.empty() && dataFolder.back() == '/')
        return dataFolder + "orvida.sqlite";
    return dataFolder + "/orvida.sqlite";
}

std::string ovParentFolder(const std::string& file) {
    const size_t slash = file.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return file.substr(0, slash);
}

ovResult<> ovMakeFolders(const std::string& folder) {
    if (folder.empty())
        return ovResult<>::success();
    // The system refuses such names anyway; saying so here is clearer than the error
    // some later call would give.
    if (folder.size() >= PATH_MAX)
        return ovFail(ovPimCode::invalidArgument,
                      "the data folder's name is too long (" + std::to_string(folder.size()) +
                          " characters; the system takes fewer than " + std::to_string(PATH_MAX) + ")");
    size_t start = 0;
    while (start < folder.size()) {
        const size_t slash = folder.find('/', start);
        const size_t end = slash == std::string::npos ? folder.size() : slash;
        if (end - start > NAME_MAX)
            return ovFail(ovPimCode::invalidArgument,
                          "a folder name in the data folder is too long (" + std::to_string(end - start) +
                              " characters; the system takes at most " + std::to_string(NAME_MAX) + ")");
        start = end + 1;
    }
    // One folder at a time from the top, so that the depth of the path costs neither
    // stack nor copies.
    std::string prefix;
    prefix.reserve(folder.size());
    size_t pos = 0;
    while (pos < folder.size()) {
        const size_t slash = folder.find('/', pos);
        const size_t end = slash == std::string::npos ? folder.size() : slash;
        prefix.append(folder, pos, end - pos);
        pos = end + 1;
        const bool last = pos >= folder.size();
        if (!prefix.empty() && prefix != "/") {
            struct stat st;
            if (stat(prefix.c_str(), &st) == 0) {
                if (!S_ISDIR(st.st_mode))
                    return ovFail(ovPimCode::storeError, prefix + ": exists but is not a folder");
            } else if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
                return ovFail(ovPimCode::storeError,
                              prefix + ": cannot create the folder: " + std::strerror(errno));
            }
        }
        if (!last)
            prefix.push_back('/');
    }
    return ovResult<>::success();
}
