#pragma once
// The full-screen picker of a time of day (8:00 to 21:45) or of a length of time (0 to
// 13 hours, days or weeks, plus 15 and 30 minute toggles). A list item is highlighted
// while pressed and selected when the finger is lifted on it; Next hands the result on
// to the only child, Back leaves. The wizards copy the six-integer result record.
#include "shell/ovHyperNode.h"

class ovApp;

class ovTimePicker : public ovHyperNode {
public:
    static constexpr int timeOfDay = 0;
    static constexpr int duration = 1;
    // buttonState values.
    static constexpr int noButton = 4;
    static constexpr int nextPressed = 2;
    static constexpr int backPressed = 3;

    // Made when the screen rectangle is known: the layout is computed here.
    ovTimePicker();

    // The result record, in the order the wizards copy it.
    int resultKind = 0;
    int hours = 8;
    int minutes = 0;
    int days = 0;
    int weeks = 0;
    int pickedNumber = -1;

    bool isReminder = false;
    int buttonState = noButton;
    float buttonPressTime = 0;
    bool highlightInLeftList = true;
    int highlightIndex = -1;
    float itemPressTime = 0;
    bool toggleUnderFinger = false;
    int pressedToggle = -1;
    int quarterOn = 0;
    int halfOn = 0;
    ovRect iconRect;
    ovRect leftListRect;
    ovRect middleListRect;
    ovRect backRect;
    ovRect nextRect;
    ovRect firstLeftItemRect;
    ovRect firstMiddleItemRect;
    ovRect unitPanelRect;
    ovRect selectedUnitRect;
    ovRect pressedUnitRect;
    ovRect hoursUnitRect;
    ovRect daysUnitRect;
    ovRect weeksUnitRect;
    bool unitUnderFinger = false;
    int pickerMode = timeOfDay;
    ovRect highlightRect;
    ovRect selectedItemRect;
    int selectedUnit = 0;
    int pressedUnit = 0;
    ovRect pressedToggleRect;
    ovRect quarterRect;
    ovRect halfRect;

    // Chooses the form; the reminder variant starts at 15 minutes, the duration form at
    // 1 hour.
    void configure(int mode, bool reminder);

    // weeks × 10080 + days × 1440 + hours × 60 + minutes.
    int durationMinutes() const;

    // Item i of the left (0..7) or middle (0..5) list, and the two minute toggles.
    ovRect leftItemRect(int i) const;
    ovRect middleItemRect(int i) const;
    ovRect toggleRect(int which) const;

    void handleInput(ovNavigator& nav) override;
    void drawScreen(ovNavigator& nav, ovCanvas& dc) override;
    void drawChild(ovNavigator&, ovCanvas&, int) override {}

private:
    void computeLayout();
    // Follows the finger on the Back or Next button: pressed while it is on the button,
    // true when it is lifted there.
    bool pressButton(ovApp& app, const ovRect& rect, int pressedState, ovPoint p);
    void handleBack(ovNavigator& nav, ovPoint p);
    void handleNext(ovNavigator& nav, ovPoint p);
    void handleUnits(ovNavigator& nav, ovPoint p);
    // Highlights or selects an item of one list; true when an item was hit.
    bool handleList(ovNavigator& nav, ovPoint p, bool leftList);
    void handleToggle(ovNavigator& nav, ovPoint p, int which);
    void selectItem(bool leftList, int index);
    void recomputeResult();

    int screenWidth_ = 0;
    int screenHeight_ = 0;
};
