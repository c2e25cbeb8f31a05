#include "messaging/ovMsgAcctPickerSystem.h"

#include "shell/ovApp.h"
#include "shell/ovBitmapStore.h"
#include "shell/ovPaths.h"

namespace {
ovMsgAcctPickerSystem* current = nullptr;
} // namespace

ovMsgAcctPickerSystem::ovMsgAcctPickerSystem(ovApp& app) : app_(app) {
    current = this;
}

ovMsgAcctPickerSystem::~ovMsgAcctPickerSystem() {
    if (current == this)
        current = nullptr;
}

ovMsgAcctPickerSystem* ovMsgAcctPickerSystem::instance() {
    return current;
}

void ovMsgAcctPickerSystem::loadResources(ovSystem& instance) {
    // The contact picker's list background: both lists share one layout.
    background = app_.bitmaps.loadBitmap(instance, imagePath("contactPicker.bmp"), false);
}
