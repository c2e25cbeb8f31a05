#include "platform/system/ovConfigPaths.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
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

bool ovReadSettingsFile(const std::string& file, const char* kind, std::string& text,
                        std::vector<std::string>& problems) {
    constexpr std::streamoff maxSize = 1 << 20;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        if (errno != ENOENT && ovFileExists(file))
            problems.push_back(file + ": cannot be read: " + std::strerror(errno));
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0);
    if (size < 0 || size > maxSize) {
        problems.push_back(file + ": is too large to be " + kind);
        return false;
    }
    text.assign(static_cast<size_t>(size), '\0');
    in.read(text.data(), size);
    return true;
}
