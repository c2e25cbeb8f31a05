#include "shell/ovPaths.h"

#include "platform/system/ovSystem.h"
#include "shell/ovApp.h"

namespace {
size_t lastSeparator(const std::string& file) {
    return file.find_last_of("/\\");
}

char separatorOf(const std::string& file) {
    const size_t i = lastSeparator(file);
    return i == std::string::npos ? '/' : file[i];
}

std::string besideExecutable(const std::string& executableFile, const char* const* parts, int count) {
    const char sep = separatorOf(executableFile);
    std::string path = ovExecutableFolder(executableFile);
    for (int i = 0; i < count; ++i) {
        path += sep;
        path += parts[i];
    }
    return path;
}

std::string runningExecutable() {
    const ovApp* app = ovApp::instance();
    return app != nullptr && app->moduleInstance != nullptr ? app->moduleInstance->executableFile()
                                                            : std::string();
}
} // namespace

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

std::string imagePath(const std::string& name) {
    return ovImagePathFor(runningExecutable(), name);
}

std::string soundPath(const std::string& name) {
    return ovSoundPathFor(runningExecutable(), name);
}
