#include "pickers/ovContactPickerSystem.h"

#include "shell/ovApp.h"
#include "shell/ovPaths.h"

ovContactPickerSystem* ovContactPickerSystem::instance_ = nullptr;

ovContactPickerSystem::ovContactPickerSystem() {
    instance_ = this;
}

ovContactPickerSystem::~ovContactPickerSystem() {
    if (instance_ == this)
        instance_ = nullptr;
}

void ovContactPickerSystem::loadResources(ovSystem& instance) {
    background = ovApp::instance()->bitmaps.loadBitmap(instance, imagePath("contactPicker.bmp"), false);
}
