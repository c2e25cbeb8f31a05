#include "shell/ovNavigator.h"

#include "platform/gfx/ovCanvas.h"
#include "shell/ovApp.h"
#include "shell/ovNodeLayout.h"
#include "shell/ovPaths.h"
#include "shell/ovScreenGeometry.h"

ovNavigator::ovNavigator(ovApp& app) : app_(app) {}

bool ovNavigator::addChild(ovHyperNode* parent, ovHyperNode* child) {
    if (parent == nullptr || child == nullptr || child->valid == 0 || child->nodeId == 0)
        return false;
    child->parent = parent;
    child->owner = buildOwner;
    return parent->children.append(child) == ovS_OK;
}

ovHyperNode* ovNavigator::findById(int id, ovHyperNode* start) {
    ovHyperNode* node = start != nullptr ? start : &root;
    if (node->nodeId == id)
        return node;
    for (ovHyperNode* child : node->children)
        if (ovHyperNode* found = findById(id, child))
            return found;
    return nullptr;
}

void ovNavigator::computeLayout() {
    using namespace ovNodeLayout;
    wideButtonRect = {0, 0, fracWidth(wideWidth), fracHeight(buttonHeight)};
    shortButtonRect = {0, 0, fracWidth(shortWidth), fracHeight(buttonHeight)};
    backStripOffsets = {-fracWidth(backStripLeft), fracHeight(backStripInset), fracWidth(backStripRight),
                        -fracHeight(backStripInset)};
    childStep = {fracWidth(stepX), fracHeight(stepY)};
}

void ovNavigator::loadResources(ovSystem& instance) {
    computeLayout();
    ovBitmapStore& store = app_.bitmaps;
    nodeStartBitmap = store.loadBitmap(instance, imagePath("nodeStart.bmp"), false);
    nodeFocusBitmap = store.loadBitmap(instance, imagePath("nodeFocus.bmp"), false);
    currentButtonBitmap = store.loadBitmap(instance, imagePath("nodeFocus.bmp"), false);
    backButtonBitmap = store.loadBitmap(instance, imagePath("backButton.bmp"), false);
    backButtonHoverBitmap = store.loadBitmap(instance, imagePath("backButtonHover.bmp"), false);
    current = &root;
    focused = nullptr;
    buildOwner = &root;
}

void ovNavigator::handleTouch() {
    if (current == nullptr)
        return;
    backHover = false;
    current->layoutChildren(*this);
    current->handleInput(*this);
    current->layoutChildren(*this);
}

void ovNavigator::drawTree(ovCanvas& dc) {
    if (current == nullptr)
        return;
    dc.setBackgroundMode(ovTransparent);
    current->drawScreen(*this, dc);
    for (int i = 0; i < current->children.count(); ++i)
        current->drawChild(*this, dc, i);
}
