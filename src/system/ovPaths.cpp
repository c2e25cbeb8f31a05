#include "system/ovPaths.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
size_t lastSeparator(const std::string& file) {
    return file.find_last_of("/\\");
}

std::string besideExecutable(const std::string& executableFile, const char* const* parts, int count) {
    const size_t i = lastSeparator(executableFile);
    const char sep = i == std::string::npos ? '/' : executableFile[i];
    std::string path = ovExecutableFolder(executableFile);
    for (int k = 0; k < count; ++k) {
        path += sep;
        path += parts[k];
    }
    return path;
}
} // namespace

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

std::string ovDefaultDataFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/')
        return std::string(xdg) + "/orvida";
    const std::string home = ovHomeFolder();
    return (home == "/" ? std::string() : home) + "/.local/share/orvida";
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
        return ovFail(ovPathCode::nameTooLong,
                      "the data folder's name is too long (" + std::to_string(folder.size()) +
                          " characters; the system takes fewer than " + std::to_string(PATH_MAX) + ")");
    size_t start = 0;
    while (start < folder.size()) {
        const size_t slash = folder.find('/', start);
        const size_t end = slash == std::string::npos ? folder.size() : slash;
        if (end - start > NAME_MAX)
            return ovFail(ovPathCode::nameTooLong,
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
                    return ovFail(ovPathCode::fileSystem, prefix + ": exists but is not a folder");
            } else if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
                return ovFail(ovPathCode::fileSystem,
                              prefix + ": cannot create the folder: " + std::strerror(errno));
            }
        }
        if (!last)
            prefix.push_back('/');
    }
    return ovResult<>::success();
}

std::string ovCurrentExecutableFile() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return {};
    return std::string(buffer, static_cast<size_t>(n));
}

std::string ovExecutableFolder(const std::string& executableFile) {
    const size_t i = lastSeparator(executableFile);
    return i == std::string::npos ? executableFile : executableFile.substr(0, i);
}

std::string ovImagePathFor(const std::string& executableFile, const std::string& name) {
    const char* parts[] = {"images", "wm5", name.c_str()};
    return besideExecutable(executableFile, parts, 3);
}

std::string ovSoundPathFor(const std::string& executableFile, const std::string& name) {
    const char* parts[] = {"sounds", name.c_str()};
    return besideExecutable(executableFile, parts, 2);
}

std::string ovPimStoreFileIn(const std::string& dataFolder) {
    if (!dataFolder.empty() && dataFolder.back() == '/')
        return dataFolder + "orvida.sqlite";
    return dataFolder + "/orvida.sqlite";
}
