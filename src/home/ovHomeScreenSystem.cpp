#include "home/ovHomeScreenSystem.h"

#include "shell/ovApp.h"
#include "shell/ovPaths.h"

ovHomeScreenSystem* ovHomeScreenSystem::instance_ = nullptr;

ovHomeScreenSystem::ovHomeScreenSystem(ovApp& app) : app_(app) {
    instance_ = this;
}

ovHomeScreenSystem::~ovHomeScreenSystem() {
    if (instance_ == this)
        instance_ = nullptr;
}

void ovHomeScreenSystem::loadResources(ovSystem& instance) {
    ovBitmapStore& store = app_.bitmaps;
    homeBackground = store.loadBitmap(instance, imagePath("homeScreen.bmp"), false);
    contactPressedImage = store.loadBitmap(instance, imagePath("contactPress.bmp"), false);
    messagePressedImage = store.loadBitmap(instance, imagePath("msgPress.bmp"), false);
    appointmentPressedImage = store.loadBitmap(instance, imagePath("apptPress.bmp"), false);
    taskPressedImage = store.loadBitmap(instance, imagePath("taskPress.bmp"), false);
}
