#include "pickers/ovInfoDisplaySystem.h"

#include "shell/ovApp.h"
#include "shell/ovPaths.h"

ovInfoDisplaySystem* ovInfoDisplaySystem::instance_ = nullptr;

ovInfoDisplaySystem::ovInfoDisplaySystem() {
    instance_ = this;
}

ovInfoDisplaySystem::~ovInfoDisplaySystem() {
    if (instance_ == this)
        instance_ = nullptr;
}

void ovInfoDisplaySystem::loadResources(ovSystem& instance) {
    background = ovApp::instance()->bitmaps.loadBitmap(instance, imagePath("infoDisplay.bmp"), false);
}
