#include "pickers/ovContactPickerSystem.h"

#include "shell/ovApp.h"
#include "shell/ovPaths.h"

ovContactPickerSystem::ovContactPickerSystem() {}

ovContactPickerSystem::~ovContactPickerSystem() {}

void ovContactPickerSystem::loadResources(ovSystem& instance) {
    background = ovApp::instance()->bitmaps.loadBitmap(instance, imagePath("contactPicker.bmp"), false);
}
