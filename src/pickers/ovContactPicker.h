#pragma once
// The contact list: a full-screen node that searches the store with the text of the
// keyboard it was entered from and shows the matches six at a time. A tapped row is
// the result; the owner reads `chosenContact` and moves on.
#include "data/pim/ovPimContact.h"
#include "gfx/ovTextFit.h"
#include "shell/ovHyperNode.h"

#include <optional>
#include <string>

class ovContactPicker : public ovHyperNode {
public:
    static constexpr int rowCount = 6;

    ovContactPicker();

    // The contacts shown in the rows by the last draw: entries of the session's
    // `contacts`, valid until the next search (an entry clears them).
    const ovPimContact* rowContacts[rowCount] = {};
    int firstShown = 0;
    int rowsDrawn = 0;
    // A copy of the contact of the row tapped last, so that it outlives the search
    // list it came from; empty until a row is tapped.
    std::optional<ovPimContact> chosenContact;
    int firstAtDraw = 0;
    int endAtDraw = 0;

    void handleInput(ovNavigator& nav) override;
    void drawScreen(ovNavigator& nav, ovCanvas& dc) override;
    void drawChild(ovNavigator& nav, ovCanvas& dc, int index) override {}
    void onEnter(ovNavigator& nav) override;

    // The range of rows shown at the last draw ("first-last") and the number of matches.
    std::u16string rangeText() const;
    std::u16string countText() const;

    // A row's text: "file-as, first", or whichever of the two is not empty.
    static std::u16string rowText(const ovPimContact& contact);

private:
    void chooseRow(ovNavigator& nav, int row);

    // The face each row's text was last drawn in.
    ovFaceMemo rowFaces[rowCount];
};
