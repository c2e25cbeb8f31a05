#pragma once
// One screen of the program. A plain node draws itself as a large button with a
// back strip at its left edge and its children as a staircase of buttons beside it;
// full-screen nodes (pickers, the home screen) draw and handle the whole screen.
#include "base/ovFixedText.h"
#include "base/ovPtrArray.h"
#include "gfx/ovGeometry.h"

class ovCanvas;
class ovFont;
class ovNavigator;

// Results of hitTest.
enum ovHit { ovHitNone = 0, ovHitButton = 1, ovHitBackStrip = 2 };

class ovHyperNode {
public:
    ovHyperNode();
    virtual ~ovHyperNode() = default;
    ovHyperNode(const ovHyperNode&) = delete;
    ovHyperNode& operator=(const ovHyperNode&) = delete;

    int x = 0;
    int y = 0;
    int valid = 0;
    int nodeId = 0;
    ovHyperNode* parent = nullptr;
    bool fullScreen = false;
    int tag = 0;
    ovFixedText<256> label;
    ovHyperNode* owner = nullptr;
    bool showsHyperBar = false;
    ovPtrArray<ovHyperNode> children;

    virtual bool fitsOnScreen(ovNavigator& nav);
    virtual void drawButton(ovNavigator& nav, ovCanvas& dc);
    virtual void handleInput(ovNavigator& nav);
    virtual void goBack(ovNavigator& nav);
    virtual void enterChild(ovNavigator& nav, int index);
    virtual void enterNode(ovNavigator& nav, ovHyperNode* child);
    virtual void drawScreen(ovNavigator& nav, ovCanvas& dc);
    virtual void drawChild(ovNavigator& nav, ovCanvas& dc, int index);
    // Called on the owner when one of its nodes is left.
    virtual void childFinished(ovHyperNode* finished);
    virtual void onEnter(ovNavigator& nav);
    // Called on the owner when a long press abandons its wizard.
    virtual void reset(ovNavigator& nav);

    // The button rectangle (wide for labels of 10 or more characters) at (x, y).
    ovRect buttonRect(const ovNavigator& nav) const;
    ovRect backStripRect(const ovNavigator& nav) const;
    int hitTest(const ovNavigator& nav, ovPoint point) const;
    // Places the children in a staircase beside the node, turning at the screen edges.
    void layoutChildren(const ovNavigator& nav);

protected:
    // The label, centred on the button, in the canvas's face where it stands whole there,
    // else in a smaller regular face, else cut short with "...".
    void drawLabel(ovCanvas& dc, const ovRect& button);

private:
    // How the label was last fitted: worked out again only when the label, the button's
    // size or the canvas's face changes, so a frame measures no text.
    struct LabelFit {
        ovFixedText<256> label;
        int width = -1;
        int height = -1;
        const ovFont* base = nullptr;
        const ovFont* face = nullptr;
        ovFixedText<512> shown;
    };
    LabelFit labelFit_;
};

// The activation test: buttons act when the finger is lifted, never on the press.
bool tapReleased();
