#include "pickers/ovTimePickerSystem.h"

#include "shell/ovApp.h"
#include "shell/ovPaths.h"

ovTimePickerSystem::ovTimePickerSystem(ovApp& app) : app_(app) {}

ovTimePickerSystem::~ovTimePickerSystem() {}

void ovTimePickerSystem::loadResources(ovSystem& instance) {
    ovBitmapStore& store = app_.bitmaps;
    timeOfDayBoard = store.loadBitmap(instance, imagePath("timepicker.bmp"), false);
    durationBoard = store.loadBitmap(instance, imagePath("timeDuration.bmp"), false);
    selectionBox = store.loadBitmap(instance, imagePath("selectionButton.bmp"), false);
    endTimeIcon = store.loadBitmap(instance, imagePath("endTimeIcon.bmp"), false);
    reminderIcon = store.loadBitmap(instance, imagePath("reminderIcon.bmp"), false);
    nextPressed = store.loadBitmap(instance, imagePath("ovnextButtonHover.bmp"), false);
    backPressed = store.loadBitmap(instance, imagePath("ovbackButtonHover.bmp"), false);
}
