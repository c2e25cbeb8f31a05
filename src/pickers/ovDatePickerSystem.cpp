#include "pickers/ovDatePickerSystem.h"

#include "shell/ovApp.h"
#include "shell/ovPaths.h"

ovDatePickerSystem::ovDatePickerSystem(ovApp& app) : app_(app) {}

ovDatePickerSystem::~ovDatePickerSystem() {}

void ovDatePickerSystem::loadResources(ovSystem& instance) {
    monthBar = app_.bitmaps.loadBitmap(instance, imagePath("calendar.bmp"), false);
    backButton = app_.bitmaps.loadBitmap(instance, imagePath("calendarBack.bmp"), false);
}
