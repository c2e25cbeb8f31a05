#include "shell/ovHyperNode.h"

#include "gfx/ovCanvas.h"
#include "gfx/ovFont.h"
#include "gfx/ovTextFit.h"
#include "shell/ovApp.h"
#include "shell/ovFontSet.h"
#include "shell/ovNavigator.h"

#include <algorithm>

namespace {
// Text flags for a button label: centred both ways.
constexpr unsigned kLabelFormat = ovTextCenter | ovTextVCenter;
// Labels start a little right of the button's left edge, clear of the back strip.
constexpr int kLabelInset = 3;
// A position is corrected at most this many times before it is taken as it is.
constexpr int kMaxCorrections = 7;
} // namespace

// The node is centred on the screen by whoever makes it (ovApp::makeNode).
ovHyperNode::ovHyperNode() : label(u"Start") {}

bool tapReleased() {
    return ovApp::instance()->touch.phase == ovPhaseReleased;
}

ovRect ovHyperNode::buttonRect(const ovNavigator& nav) const {
    const ovRect& size = label.length() >= 10 ? nav.wideButtonRect : nav.shortButtonRect;
    return size.offset(x, y);
}

ovRect ovHyperNode::backStripRect(const ovNavigator& nav) const {
    const ovRect button = buttonRect(nav);
    const ovRect& off = nav.backStripOffsets;
    return {button.left + off.left, button.top + off.top, button.left + off.right,
            button.bottom + off.bottom};
}

int ovHyperNode::hitTest(const ovNavigator& nav, ovPoint point) const {
    if (backStripRect(nav).contains(point))
        return ovHitBackStrip;
    if (buttonRect(nav).contains(point))
        return ovHitButton;
    return ovHitNone;
}

bool ovHyperNode::fitsOnScreen(ovNavigator& nav) {
    const ovRect& screen = nav.app().screenRect;
    const ovRect wide = nav.wideButtonRect.offset(x, y);
    const ovRect& off = nav.backStripOffsets;
    const ovRect strip{wide.left + off.left, wide.top + off.top, wide.left + off.right,
                       wide.bottom + off.bottom};
    return screen.contains({wide.left, wide.top}) && screen.contains({wide.right, wide.bottom}) &&
           screen.contains({strip.left, strip.top}) && strip.right <= screen.right &&
           strip.bottom <= screen.bottom;
}

void ovHyperNode::layoutChildren(const ovNavigator& nav) {
    const ovRect& screen = nav.app().screenRect;
    const int wideWidth = nav.wideButtonRect.width();
    const int wideHeight = nav.wideButtonRect.height();
    const int dx = nav.childStep.x;
    const int dy = nav.childStep.y;

    auto fits = [&](int px, int py) {
        return screen.contains({px, py}) && px + wideWidth <= screen.right &&
               py + wideHeight <= screen.bottom;
    };
    // Which edge a position crosses: 1 right, 2 bottom, 3 left, 4 top.
    auto side = [&](int px, int py) {
        if (px > screen.right || px + wideWidth > screen.right)
            return 1;
        if (py > screen.bottom || py + wideHeight > screen.bottom)
            return 2;
        if (px < screen.left || px + wideWidth < screen.left)
            return 3;
        return 4;
    };

    int hs = x < (screen.right - screen.left) / 2 - wideWidth / 2 ? dx : -dx;
    int vs = -dy; // children go upwards first
    int ox = hs;
    int oy = vs;
    for (ovHyperNode* child : children) {
        int px = x + ox;
        int py = y + oy;
        for (int correction = 0; correction < kMaxCorrections && !fits(px, py); ++correction) {
            const int edge = side(px, py);
            if (edge == 2 || edge == 4) {
                vs = -vs;
                ox = hs;
                oy = vs;
            } else {
                hs = -hs;
                ox = ox + 2 * hs;
            }
            px = x + ox;
            py = y + oy;
        }
        child->x = px;
        child->y = py;
        ox += hs;
        oy += vs;
    }
}

void ovHyperNode::handleInput(ovNavigator& nav) {
    ovApp& a = nav.app();
    // A node whose only child draws the whole screen is passed straight through.
    if (children.count() == 1 && children[0]->fullScreen) {
        if (owner != nullptr)
            owner->childFinished(this);
        nav.current = children[0];
        a.needsRepaint = true;
        return;
    }

    bool hit = false;
    if (a.touch.phase != ovPhaseIdle) {
        const ovPoint point{a.touch.x, a.touch.y};
        const int own = hitTest(nav, point);
        if (own == ovHitButton || own == ovHitBackStrip) {
            nav.backHover = true;
            hit = true;
            if (nav.focused != this) {
                nav.focused = this;
                a.needsRepaint = true;
            } else if (tapReleased()) {
                goBack(nav);
            }
        } else {
            nav.backHover = false;
        }

        // Going back above may have changed the current node; the children of this
        // node are still the ones being tested, as the touch was meant for them.
        for (int i = 0; i < children.count(); ++i) {
            ovHyperNode* child = children[i];
            if (child->hitTest(nav, point) != ovHitButton)
                continue; // a child's back strip is not part of its button
            hit = true;
            if (nav.focused != child) {
                nav.focused = child;
                a.needsRepaint = true;
            } else if (tapReleased()) {
                enterChild(nav, i);
            }
        }
    }

    if (!hit && nav.focused != nullptr) {
        nav.focused = nullptr;
        a.needsRepaint = true;
    }
}

void ovHyperNode::goBack(ovNavigator& nav) {
    if (owner != nullptr && owner != this)
        owner->childFinished(this);
    nav.current = parent != nullptr ? parent : &nav.root;
    nav.current->onEnter(nav);
    nav.app().needsRepaint = true;
}

void ovHyperNode::enterChild(ovNavigator& nav, int index) {
    if (index < 0 || index >= children.count())
        return;
    if (owner != nullptr && owner != this)
        owner->childFinished(this);
    nav.current = children[index];
    nav.current->onEnter(nav);
    nav.app().needsRepaint = true;
}

void ovHyperNode::enterNode(ovNavigator& nav, ovHyperNode* child) {
    if (child == nullptr || children.indexOf(child) < 0)
        return;
    child->parent = this;
    nav.current = child;
    child->onEnter(nav);
    nav.app().needsRepaint = true;
}

void ovHyperNode::drawScreen(ovNavigator& nav, ovCanvas& dc) {
    ovApp& a = nav.app();
    dc.setBackgroundMode(ovTransparent);
    dc.setTextColor(0x000000);
    const ovRect button = buttonRect(nav);
    a.bitmaps.blit(nav.currentButtonBitmap, dc, button.left, button.top, button.right, button.bottom,
                   ovColourKey, 255, 1.0f, 1.0f);
    drawLabel(dc, button);
    // The strip goes over the button's left edge, after the label.
    const ovRect strip = backStripRect(nav);
    a.bitmaps.blit(nav.backHover ? nav.backButtonHoverBitmap : nav.backButtonBitmap, dc, strip.left,
                   strip.top, strip.right, strip.bottom, ovColourKey, 255, 1.0f, 1.0f);
}

void ovHyperNode::drawButton(ovNavigator& nav, ovCanvas& dc) {
    const ovRect button = buttonRect(nav);
    ovBitmap* picture = nav.focused == this ? nav.nodeFocusBitmap : nav.nodeStartBitmap;
    nav.app().bitmaps.blit(picture, dc, button.left, button.top, button.right, button.bottom, ovColourKey,
                           255, 1.0f, 1.0f);
    dc.setTextColor(0x000000);
    drawLabel(dc, button);
}

void ovHyperNode::drawLabel(ovCanvas& dc, const ovRect& button) {
    ovRect text = button;
    text.left += kLabelInset;
    const ovFontSet* fonts = ovFontSet::instance();
    const ovFont* base = dc.font();
    if (fonts == nullptr || base == nullptr) {
        dc.drawText(label.view(), text, kLabelFormat);
        return;
    }
    LabelFit& fit = labelFit_;
    const int width = text.right - text.left, height = text.bottom - text.top;
    if (width != fit.width || height != fit.height || base != fit.base || !(fit.label == label.view())) {
        // Only the width is at stake: the label is centred on the button, as tall as
        // its face makes it. It keeps clear of the rounded ends of the button's face,
        // which grow with the button.
        const int margin = std::max(kLabelInset, (button.right - button.left) / 40);
        const ovRect room{button.left + margin, text.top, button.right - margin,
                          text.top + std::max(height, base->lineHeight())};
        ovFixedText<512> scratch;
        const ovFittedLine line =
            ovFitLine(dc, {label.view()}, {base, fonts->regular10.get(), fonts->regular8.get()}, room,
                      ovCutAt::End, scratch);
        fit.label = label.view();
        fit.width = width;
        fit.height = height;
        fit.base = base;
        fit.face = line.face != nullptr ? line.face : base;
        fit.shown = line.text;
    }
    dc.selectFont(fit.face);
    dc.drawText(fit.shown.view(), text, kLabelFormat);
    dc.selectFont(base);
}

void ovHyperNode::drawChild(ovNavigator& nav, ovCanvas& dc, int index) {
    if (index >= 0 && index < children.count())
        children[index]->drawButton(nav, dc);
}

void ovHyperNode::childFinished(ovHyperNode*) {}

void ovHyperNode::onEnter(ovNavigator& nav) {
    if (this == &nav.root && children.count() == 1)
        enterChild(nav, 0);
}

void ovHyperNode::reset(ovNavigator&) {}
