#pragma once
// The navigation state shared by every node: the current and focused node, the
// root of the tree, the node pictures and the layout values.
#include "gfx/ovGeometry.h"
#include "shell/ovHyperNode.h"

class ovApp;
struct ovBitmap;
class ovCanvas;
class ovSystem;

class ovNavigator {
public:
    explicit ovNavigator(ovApp& app);

    // The application the tree belongs to: touch, screen rectangle, pictures, repaint.
    ovApp& app() const { return app_; }

    ovHyperNode* buildOwner = nullptr;
    ovBitmap* nodeStartBitmap = nullptr;
    ovBitmap* nodeFocusBitmap = nullptr;
    ovBitmap* backButtonBitmap = nullptr;
    ovBitmap* backButtonHoverBitmap = nullptr;
    ovBitmap* currentButtonBitmap = nullptr;
    ovHyperNode* focused = nullptr;
    ovHyperNode* current = nullptr;
    ovHyperNode root;
    bool backHover = false;

    // Layout values, zero until the first paint.
    ovRect wideButtonRect;
    ovRect shortButtonRect;
    ovRect backStripOffsets;
    ovPoint childStep;

    // Refuses (false) a child whose valid or nodeId is 0.
    bool addChild(ovHyperNode* parent, ovHyperNode* child);
    // Depth-first from start (the root when none): the node itself, then each
    // child's subtree in order.
    ovHyperNode* findById(int id, ovHyperNode* start = nullptr);

    // At the first paint: layout values, node pictures, the root made current.
    void loadResources(ovSystem& instance);
    void computeLayout();
    // Each tick the plug-in bar leaves the touch to the tree.
    void handleTouch();
    void drawTree(ovCanvas& dc);

private:
    ovApp& app_;
};
