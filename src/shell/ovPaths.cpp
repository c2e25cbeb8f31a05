#include "shell/ovPaths.h"

#include "shell/ovApp.h"
#include "system/ovSystem.h"

namespace {
std::string runningExecutable() {
    const ovApp* app = ovApp::instance();
    return app != nullptr && app->moduleInstance != nullptr ? app->moduleInstance->executableFile()
                                                            : std::string();
}
} // namespace

std::string imagePath(const std::string& name) {
    return ovImagePathFor(runningExecutable(), name);
}

std::string soundPath(const std::string& name) {
    return ovSoundPathFor(runningExecutable(), name);
}
