#include "pickers/ovTimePicker.h"

#include "gfx/ovCanvas.h"
#include "pickers/ovTimePickerLayout.h"
#include "pickers/ovTimePickerSystem.h"
#include "shell/ovApp.h"
#include "shell/ovNavigator.h"

namespace L = ovTimePickerLayout;

namespace {
// Key values of the selection box's three uses (a picture with its own alpha channel
// ignores them).
constexpr ovColor kHighlightKey = 0x50;
constexpr ovColor kSelectionKey = 0x8C;
constexpr ovColor kToggleKey = 0xE1;
constexpr ovColor kShadow = 0x505050;
constexpr ovColor kWhite = 0xFFFFFF;

constexpr int kMinutesPerWeek = 10080;
constexpr int kMinutesPerDay = 1440;
constexpr int kQuarter = 15;
constexpr int kHalf = 30;

void drawBox(ovApp& app, ovCanvas& dc, const ovBitmap* picture, const ovRect& r, ovColor key) {
    app.bitmaps.blit(picture, dc, r.left, r.top, r.right, r.bottom, key, 255, 1.0f, 1.0f);
}
} // namespace

ovTimePicker::ovTimePicker() {
    fullScreen = true;
    computeLayout();
    selectedUnitRect = hoursUnitRect;
    selectedItemRect = firstLeftItemRect;
}

void ovTimePicker::computeLayout() {
    const ovRect& screen = ovApp::instance()->screenRect;
    screenWidth_ = screen.right;
    screenHeight_ = screen.bottom;
    const int w = screenWidth_, h = screenHeight_;
    iconRect = L::resolve(L::iconRect, w, h);
    leftListRect = L::resolve(L::leftListRect, w, h);
    middleListRect = L::resolve(L::middleListRect, w, h);
    backRect = L::resolve(L::backRect, w, h);
    nextRect = L::resolve(L::nextRect, w, h);
    firstLeftItemRect = L::resolve(L::firstLeftItemRect, w, h);
    firstMiddleItemRect = L::resolve(L::firstMiddleItemRect, w, h);
    unitPanelRect = L::resolve(L::unitPanelRect, w, h);
    hoursUnitRect = L::unit(0, w, h);
    daysUnitRect = L::unit(1, w, h);
    weeksUnitRect = L::unit(2, w, h);
}

ovRect ovTimePicker::leftItemRect(int i) const {
    return L::leftItem(i, screenWidth_, screenHeight_);
}

ovRect ovTimePicker::middleItemRect(int i) const {
    return L::middleItem(i, screenWidth_, screenHeight_);
}

ovRect ovTimePicker::toggleRect(int which) const {
    return L::toggle(which, screenWidth_, screenHeight_);
}

void ovTimePicker::configure(int mode, bool reminder) {
    pickerMode = mode;
    isReminder = reminder;
    // A picker used before keeps deriving its result from the number picked then; a
    // reset must give the default it shows, so the result starts over as well.
    resultKind = 0;
    pickedNumber = -1;
    if (reminder) {
        highlightIndex = -1;
        hours = 0;
        quarterOn = 1;
        halfOn = 0;
        quarterRect = toggleRect(0);
        selectedItemRect = leftItemRect(0);
    } else if (mode == duration) {
        hours = 1;
        halfOn = 0;
        quarterOn = 0;
        selectedItemRect = leftItemRect(1);
    }
    recomputeResult();
}

int ovTimePicker::durationMinutes() const {
    return weeks * kMinutesPerWeek + days * kMinutesPerDay + hours * 60 + minutes;
}

void ovTimePicker::handleInput(ovNavigator& nav) {
    ovApp& app = nav.app();
    const bool hadUnitUnderFinger = unitUnderFinger;
    toggleUnderFinger = false;
    unitUnderFinger = false;
    if (!app.touch.pressed) {
        buttonState = noButton;
        buttonPressTime = 0;
    }

    bool itemHit = false;
    if (app.touch.phase != ovPhaseIdle) {
        const ovPoint p{app.touch.x, app.touch.y};
        handleBack(nav, p);
        handleNext(nav, p);
        handleUnits(nav, p);
        if (leftListRect.contains(p))
            itemHit = handleList(nav, p, true) || itemHit;
        if (middleListRect.contains(p)) {
            itemHit = handleList(nav, p, false) || itemHit;
            handleToggle(nav, p, 0);
            handleToggle(nav, p, 1);
        }
    }

    if (!itemHit && highlightIndex != -1) {
        highlightIndex = -1;
        app.needsRepaint = true;
    }
    // Only a change is repainted: an idle picker draws nothing from tick to tick.
    if (!toggleUnderFinger && pressedToggle != -1) {
        pressedToggle = -1;
        app.needsRepaint = true;
    }
    if (unitUnderFinger != hadUnitUnderFinger)
        app.needsRepaint = true;
    recomputeResult();
}

bool ovTimePicker::pressButton(ovApp& app, const ovRect& rect, int pressedState, ovPoint p) {
    if (!rect.contains(p)) {
        if (buttonState == pressedState) {
            buttonState = noButton;
            app.needsRepaint = true;
        }
        return false;
    }
    if (buttonState != pressedState) {
        buttonState = pressedState;
        buttonPressTime = app.totalTime;
        app.needsRepaint = true;
    }
    if (!tapReleased())
        return false;
    buttonState = noButton;
    buttonPressTime = 0;
    return true;
}

void ovTimePicker::handleBack(ovNavigator& nav, ovPoint p) {
    if (!pressButton(nav.app(), backRect, backPressed, p))
        return;
    if (pickerMode == duration && !isReminder) {
        goBack(nav);
        return;
    }
    // The step before this picker passes straight into it, so going back to that step
    // would come straight back here: leave it for its own parent instead.
    if (owner != nullptr)
        owner->childFinished(this);
    if (parent != nullptr)
        parent->goBack(nav);
    else
        goBack(nav);
}

void ovTimePicker::handleNext(ovNavigator& nav, ovPoint p) {
    if (!pressButton(nav.app(), nextRect, nextPressed, p))
        return;
    if (children.count() == 1)
        enterChild(nav, 0);
}

void ovTimePicker::handleUnits(ovNavigator& nav, ovPoint p) {
    if (pickerMode != duration || !unitPanelRect.contains(p))
        return;
    ovApp& app = nav.app();
    for (int u = 0; u < L::unitCount; ++u) {
        const ovRect button = L::unit(u, screenWidth_, screenHeight_);
        if (!button.contains(p))
            continue;
        unitUnderFinger = true;
        if (pressedUnit != u) {
            pressedUnit = u;
            pressedUnitRect = button;
            buttonPressTime = app.totalTime;
            app.needsRepaint = true;
        } else if (tapReleased() && selectedUnit != pressedUnit) {
            selectedUnit = u;
            selectedUnitRect = button;
            app.needsRepaint = true;
        }
        // pressedUnit survives a reset without its rectangle; the box under the finger
        // must still follow the finger on the first press after it.
        pressedUnitRect = button;
    }
}

bool ovTimePicker::handleList(ovNavigator& nav, ovPoint p, bool leftList) {
    ovApp& app = nav.app();
    const int count = leftList ? L::leftItemCount : L::middleItemCount;
    bool hit = false;
    for (int i = 0; i < count; ++i) {
        const ovRect item = leftList ? leftItemRect(i) : middleItemRect(i);
        if (!item.contains(p))
            continue;
        hit = true;
        if (highlightInLeftList == leftList && highlightIndex == i) {
            if (tapReleased()) {
                selectedItemRect = item;
                app.needsRepaint = true;
                selectItem(leftList, i);
            }
        } else {
            highlightInLeftList = leftList;
            highlightIndex = i;
            itemPressTime = app.totalTime;
            highlightRect = item;
            app.needsRepaint = true;
        }
    }
    return hit;
}

void ovTimePicker::selectItem(bool leftList, int index) {
    if (pickerMode == timeOfDay) {
        hours = (leftList ? L::firstHourLeft : L::firstHourMiddle) + index;
        days = -1;
        weeks = -1;
        resultKind = 0;
    } else {
        resultKind = 1;
        pickedNumber = (leftList ? 0 : L::firstNumberMiddle) + index;
    }
}

void ovTimePicker::handleToggle(ovNavigator& nav, ovPoint p, int which) {
    const ovRect r = toggleRect(which);
    if (!r.contains(p))
        return;
    ovApp& app = nav.app();
    toggleUnderFinger = true;
    if (pressedToggle != which) {
        pressedToggle = which;
        itemPressTime = app.totalTime;
        pressedToggleRect = r;
        app.needsRepaint = true;
    } else if (tapReleased()) {
        if (which == 0) {
            quarterOn = !quarterOn;
            quarterRect = r;
        } else {
            halfOn = !halfOn;
            halfRect = r;
        }
        itemPressTime = app.totalTime;
        app.needsRepaint = true;
    }
}

void ovTimePicker::recomputeResult() {
    if (resultKind == 1) {
        days = weeks = hours = 0;
        if (selectedUnit == 0)
            hours = pickedNumber;
        else if (selectedUnit == 1)
            days = pickedNumber;
        else
            weeks = pickedNumber;
    } else {
        days = weeks = 0;
    }
    minutes = quarterOn ? kQuarter : 0;
    if (halfOn)
        minutes += kHalf;
}

void ovTimePicker::drawScreen(ovNavigator& nav, ovCanvas& dc) {
    ovApp& app = nav.app();
    const ovTimePickerSystem* pictures = ovTimePickerSystem::instance();
    if (pictures == nullptr)
        return;
    const ovRect& screen = app.screenRect;
    const ovBitmap* board = pickerMode == duration ? pictures->durationBoard : pictures->timeOfDayBoard;
    drawBox(app, dc, board, screen, ovColourKey);

    if (pickerMode == timeOfDay) {
        const ovRect text = L::resolve(L::labelRect, screenWidth_, screenHeight_);
        const unsigned format = ovTextCenter | ovTextVCenter | ovTextWordWrap;
        dc.setTextColor(kShadow);
        dc.drawText(label.view(), {text.left + 1, text.top + 1, text.right, text.bottom}, format);
        dc.setTextColor(kWhite);
        dc.drawText(label.view(), text, format);
        dc.setTextColor(0);
    } else {
        if (unitUnderFinger)
            drawBox(app, dc, pictures->selectionBox, pressedUnitRect, kHighlightKey);
        drawBox(app, dc, pictures->selectionBox, selectedUnitRect, kSelectionKey);
        drawBox(app, dc, isReminder ? pictures->reminderIcon : pictures->endTimeIcon, iconRect, ovColourKey);
    }
    drawBox(app, dc, pictures->selectionBox, selectedItemRect, kSelectionKey);
    if (highlightIndex != -1)
        drawBox(app, dc, pictures->selectionBox, highlightRect, kHighlightKey);
    if (quarterOn)
        drawBox(app, dc, pictures->selectionBox, quarterRect, kToggleKey);
    if (halfOn)
        drawBox(app, dc, pictures->selectionBox, halfRect, kToggleKey);
    if (buttonState == backPressed)
        drawBox(app, dc, pictures->backPressed, backRect, ovColourKey);
    else if (buttonState == nextPressed)
        drawBox(app, dc, pictures->nextPressed, nextRect, ovColourKey);
}
