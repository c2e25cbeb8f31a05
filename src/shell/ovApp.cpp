#include "shell/ovApp.h"

#include "gfx/ovCanvas.h"
#include "shell/ovBackBuffer.h"
#include "shell/ovFontSet.h"
#include "shell/ovPaths.h"
#include "system/ovSystem.h"

#include <algorithm>
#include <utility>

ovApp* ovApp::instance_ = nullptr;

ovApp::ovApp(ovSystem& system, const ovAssembly& assembly) : moduleInstance(&system), system_(system) {
    instance_ = this;
    touch.phase = ovPhaseIdle;
    const bool portrait = orientationCheck();
    navigator = std::make_unique<ovNavigator>(*this);
    centreNode(navigator->root);
    backBuffer_ = std::make_unique<ovBackBuffer>();
    if (!portrait)
        return;
    for (const ovAssembly::ModuleFactory& make : assembly.modules)
        addModule(make(*this));
    for (ovModule* module : moduleList)
        module->start();
    if (assembly.buildTree)
        assembly.buildTree(*this);
    displayPictures_ = assembly.displayPictures;
    needsRepaint = true;
    resourcesLoaded = false;
}

ovApp::~ovApp() {
    // The modules go first, before the nodes and pictures they may refer to.
    modules_.clear();
    if (instance_ == this)
        instance_ = nullptr;
}

void ovApp::addModule(std::unique_ptr<ovModule> module) {
    if (ovModule* added = modules_.add(std::move(module)))
        added->init();
}

void ovApp::centreNode(ovHyperNode& node) const {
    // Zero before the first paint, which puts a node's top-left corner at the centre.
    const int shortWidth = navigator != nullptr ? navigator->shortButtonRect.width() : 0;
    const int shortHeight = navigator != nullptr ? navigator->shortButtonRect.height() : 0;
    node.x = (screenRect.right - screenRect.left) / 2 - shortWidth / 2;
    node.y = (screenRect.bottom - screenRect.top) / 2 - shortHeight / 2;
}

bool ovApp::orientationCheck() {
    const ovScreenSize screen = system_.screenSize();
    screenWidth = screen.width;
    screenHeight = screen.height;
    if (screenHeight < screenWidth) {
        system_.messageBox("Not designed for landscape mode. Please switch to portrait mode to run it.",
                           "Orvida");
        landscapeRefused_ = true;
        return false;
    }
    const float larger = static_cast<float>(std::max(screenWidth, screenHeight));
    reservedHeight = static_cast<int>(larger * reservedShare);
    screenRect = {0, 0, screenWidth, screenHeight - reservedHeight};
    needsRepaint = true;
    return true;
}

void ovApp::loadOnFirstPaint(ovSystem& instance, const ovFontSet& fonts) {
    if (resourcesLoaded)
        return;
    bitmaps.createContext();
    if (displayPictures_) {
        ovAssembly::DisplayPictures display = displayPictures_(screenRect.width(), screenRect.height());
        bitmaps.setDisplayFolder(std::move(display.folder), std::move(display.draw));
        afterFirstFrame_ = std::move(display.afterFirstFrame);
    }
    background = bitmaps.loadBitmap(instance, imagePath("background.bmp"), false);
    backBuffer_->create(screenRect.left, screenRect.top, screenRect.right, screenRect.bottom);
    // Like a fresh device context, the back buffer starts with a stock font selected, so
    // that screens which select none still get legible labels.
    backBuffer_->canvas().selectFont(fonts.regular12.get());
    navigator->loadResources(instance);
    for (ovModule* module : moduleList)
        module->loadResources(instance);
    resourcesLoaded = true;
}

void ovApp::playClick() {
    if (!soundsOn)
        return;
    ++clickCount;
    system_.playSound(soundPath("open.wav"));
}

void ovApp::stepTouchPhase() {
    switch (touch.phase) {
    case ovPhaseDown:
    case ovPhaseHeld:
        if (touch.pressed) {
            touch.phase = ovPhaseHeld;
        } else if (suppressClick) {
            touch.phase = ovPhaseReleasedSilent;
        } else {
            playClick();
            touch.phase = ovPhaseReleased;
        }
        break;
    case ovPhaseReleased:
        if (touch.pressed) {
            touch.phase = ovPhaseDown;
        } else {
            suppressClick = false;
            touch.phase = ovPhaseIdle;
        }
        break;
    case ovPhaseIdle:
        if (touch.pressed)
            touch.phase = ovPhaseDown;
        break;
    case ovPhaseReleasedSilent:
        // A press right after a silent release is not a new press until the finger lifts.
        if (!touch.pressed) {
            suppressClick = false;
            touch.phase = ovPhaseIdle;
        }
        break;
    default:
        touch.phase = ovPhaseIdle;
        break;
    }
}

void ovApp::fireLongPress() {
    longPressArmed = false;
    ovHyperNode* current = navigator->current;
    if (current != nullptr && current->owner != nullptr) {
        suppressClick = true;
        current->owner->reset(*navigator);
    }
    navigator->current = &navigator->root;
    navigator->root.onEnter(*navigator);
}

void ovApp::update(float delta, float total) {
    deltaTime = delta;
    totalTime = total;
    stepTouchPhase();

    if (touch.phase == ovPhaseDown) {
        longPressArmed = true;
        pressTime = totalTime;
    } else if (touch.phase == ovPhaseHeld && longPressArmed && totalTime - pressTime > longPressSeconds) {
        fireLongPress();
    }

    if (hyperBar == nullptr || hyperBar->handleTouch())
        navigator->handleTouch();

    for (ovModule* module : moduleList)
        module->update(deltaTime, totalTime);

    if (needsRepaint) {
        if (window_ != nullptr)
            window_->repaintNow();
        needsRepaint = false;
    }
}

void ovApp::drawFrame(ovCanvas& dc) {
    const bool covered = hyperBar != nullptr && hyperBar->plugInCoversScreen();
    const ovHyperNode* current = navigator->current;
    if (!covered && (current == nullptr || !current->fullScreen))
        bitmaps.blit(background, dc, screenRect.left, screenRect.top, screenRect.right, screenRect.bottom,
                     ovColourKey, 255, 1.0f, 1.0f);
    if (!covered)
        navigator->drawTree(dc);
    if (hyperBar != nullptr)
        hyperBar->drawBar(dc);
    if (++repaintCount == 1 && afterFirstFrame_)
        std::exchange(afterFirstFrame_, nullptr)();
}
