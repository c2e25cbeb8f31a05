#include "home/ovHomeScreenSystem.h"

#include "shell/ovApp.h"
#include "shell/ovPaths.h"

ovHomeScreenSystem::ovHomeScreenSystem(ovApp& app) : app_(app) {}

ovHomeScreenSystem::~ovHomeScreenSystem() {}

void ovHomeScreenSystem::loadResources(ovSystem& instance) {
    ovBitmapStore& store = app_.bitmaps;
    homeBackground = store.loadBitmap(instance, imagePath("homeScreen.bmp"), false);
    contactPressedImage = store.loadBitmap(instance, imagePath("contactPress.bmp"), false);
    messagePressedImage = store.loadBitmap(instance, imagePath("msgPress.bmp"), false);
    appointmentPressedImage = store.loadBitmap(instance, imagePath("apptPress.bmp"), false);
    taskPressedImage = store.loadBitmap(instance, imagePath("taskPress.bmp"), false);
}
