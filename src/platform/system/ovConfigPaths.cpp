#include "platform/system/ovConfigPaths.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

std::string ovHomeFolder() {
    if (const char* h = std::getenv("HOME"); h != nullptr && h[0] != '\0')
        return h;
    if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr)
        return pw->pw_dir;
    return "/";
}

std::string ovUserConfigHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/')
        return xdg;
    return ovHomeFolder() + "/.config";
}

std::string ovExpandHome(const std::string& path) {
    if (path == "~")
        return ovHomeFolder();
    if (path.rfind("~/", 0) == 0)
        return ovHomeFolder() + path.substr(1);
    return path;
}

bool ovFileExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
