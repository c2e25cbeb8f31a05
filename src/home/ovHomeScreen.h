#pragma once
// The home screen: four large buttons into the wizards, the date, a clock (with
// seconds where its field has room), and a time line of the appointments of the last
// and the next 24 hours with the next one described in words. It draws the whole
// screen itself, and the hyper bar over it.
#include "base/ovFixedText.h"
#include "base/ovPtrArray.h"
#include "shell/ovHyperNode.h"
#include "system/ovDateTime.h"

class ovPimAppointment;

// Node id of the home screen.
constexpr int ovHomeScreenId = 5;

class ovHomeScreen final : public ovHyperNode {
public:
    // The wizards number their nodes from these, their roots first; the buttons find
    // their roots among the home screen's children by them.
    static constexpr int appointmentRootId = 44001;
    static constexpr int taskRootId = 45001;
    static constexpr int contactRootId = 124001;
    static constexpr int messageRootId = 154001;

    ovHomeScreen();

    bool queryPending = true;
    float windowHours = 48.0f;
    float lastQueryTime = 0.0f;
    ovSystemTime shownTime;
    bool buttonPressed[4] = {};

    void handleInput(ovNavigator& nav) override;
    void drawScreen(ovNavigator& nav, ovCanvas& dc) override;
    // The wizard roots are reached through the picture's buttons, not drawn as buttons.
    void drawChild(ovNavigator&, ovCanvas&, int) override {}
    void onEnter(ovNavigator& nav) override;

    // The wizard root behind a button (in the order contact, message, appointment,
    // task), or null while that wizard is not part of the tree.
    ovHyperNode* wizardRoot(int button) const;

    // Among the appointments not yet ended at `now` (ending exactly now counts), the
    // one that ends first; on equal ends the later one in the list. -1 for none.
    static int chooseNext(const ovPtrArray<ovPimAppointment>& appointments, double now);
    // "Today: ", "Tomorrow: " or "<Weekday>: " for an appointment starting at `start`
    // seen on `today`, by whole dates.
    static std::u16string_view dayHeader(const ovSystemTime& start, const ovSystemTime& today);
    // Half the time line's span, in days.
    double halfWindow() const;

private:
    void drawTimeLine(ovNavigator& nav, ovCanvas& dc, const ovRect& strip);
    void drawDate(ovCanvas& dc, const ovRect& rect) const;
    void drawClock(ovCanvas& dc, const ovRect& rect) const;
    void drawDetails(ovCanvas& dc, const ovSystemTime& start, const ovSystemTime& end,
                     std::u16string_view location, const ovRect& rect) const;
    void fetchAppointments(ovNavigator& nav);
};
