#include "shell/ovNavigator.h"

#include "gfx/ovCanvas.h"
#include "shell/ovApp.h"
#include "shell/ovNodeLayout.h"
#include "shell/ovPaths.h"
#include "shell/ovScreenGeometry.h"

#include <algorithm>
#include <vector>

ovNavigator::ovNavigator(ovApp& app) : app_(app) {}

bool ovNavigator::addChild(ovHyperNode* parent, ovHyperNode* child) {
    if (parent == nullptr || child == nullptr || child->valid == 0 || child->nodeId == 0)
        return false;
    child->parent = parent;
    child->owner = buildOwner;
    return parent->children.append(child) == ovS_OK;
}

ovHyperNode* ovNavigator::findById(int id, ovHyperNode* start) {
    // A wizard's steps may lead back to an earlier step (every field keyboard of the
    // contact wizard leads to the hub that opened it), so a node is searched once only.
    std::vector<ovHyperNode*> visited;
    std::vector<ovHyperNode*> pending{start != nullptr ? start : &root};
    while (!pending.empty()) {
        ovHyperNode* node = pending.back();
        pending.pop_back();
        if (std::find(visited.begin(), visited.end(), node) != visited.end())
            continue;
        visited.push_back(node);
        if (node->nodeId == id)
            return node;
        // Pushed last to first, so the first child is searched first.
        for (int i = node->children.count() - 1; i >= 0; --i)
            pending.push_back(node->children[i]);
    }
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
