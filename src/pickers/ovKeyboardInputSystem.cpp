#include "pickers/ovKeyboardInputSystem.h"

#include "shell/ovApp.h"
#include "shell/ovPaths.h"

ovKeyboardInputSystem::ovKeyboardInputSystem() {}

ovKeyboardInputSystem::~ovKeyboardInputSystem() {}

void ovKeyboardInputSystem::loadResources(ovSystem& instance) {
    ovBitmapStore& store = ovApp::instance()->bitmaps;
    letterBoard = store.loadBitmap(instance, imagePath("inputkb.bmp"), false);
    numberBoard = store.loadBitmap(instance, imagePath("inputnum.bmp"), false);
}
