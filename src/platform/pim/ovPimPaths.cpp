#include "platform/pim/ovPimPaths.h"

#include <cerrno>
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
    struct stat st;
    if (stat(folder.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return ovResult<>::success();
        return ovFail(ovPimCode::storeError, folder + ": exists but is not a folder");
    }
    const std::string parent = ovParentFolder(folder);
    if (parent != folder && parent != "/" && parent != ".") {
        if (ovResult<> r = ovMakeFolders(parent); !r)
            return r;
    }
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return ovFail(ovPimCode::storeError, folder + ": cannot create the folder: " + std::strerror(errno));
    return ovResult<>::success();
}
