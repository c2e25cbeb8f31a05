#include "pickers/ovInfoDisplaySystem.h"

#include "shell/ovApp.h"
#include "shell/ovPaths.h"

ovInfoDisplaySystem::ovInfoDisplaySystem() {}

ovInfoDisplaySystem::~ovInfoDisplaySystem() {}

void ovInfoDisplaySystem::loadResources(ovSystem& instance) {
    background = ovApp::instance()->bitmaps.loadBitmap(instance, imagePath("infoDisplay.bmp"), false);
}
