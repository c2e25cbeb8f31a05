// Texts in their fields at every portrait size we lay out: on a tall narrow screen the
// faces grow with the height while the fields grow with the width. A text that does not
// fit is drawn smaller or shorter; one that is clipped shows white ink on the field's
// edge (where the clip cut a letter) or no ink at all.
#include "home/ovHomeLayout.h"
#include "ovWizardDriver.h"
#include "pickers/ovContactPickerLayout.h"
#include "pickers/ovDatePickerLayout.h"
#include "pickers/ovInfoDisplayLayout.h"
#include "pickers/ovKeyboardLayout.h"
#include "shell/ovBackBuffer.h"

#include <algorithm>
#include <string>
#include <utility>

namespace {
bool white(ovColor c) {
    return ovRed(c) > 0xB0 && ovGreen(c) > 0xB0 && ovBlue(c) > 0xB0;
}

// White pixels of the frame in [left, right) x [top, bottom).
int inkIn(ovWizardDriver& d, int left, int top, int right, int bottom) {
    const ovFramebuffer& frame = d.program().app().backBuffer().frame();
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            n += white(frame.pixel(x, y)) ? 1 : 0;
    return n;
}

enum Edges { Right = 1, Left = 2, Bottom = 4, Top = 8, OneLine = 16 };

// The field holds ink, and none on the edges where a clipped text would lose letters.
void expectWhole(ovWizardDriver& d, const char* what, ovRect f, int edges) {
    SCOPED_TRACE(what);
    EXPECT_GT(inkIn(d, f.left, f.top, f.right, f.bottom), 0) << "nothing drawn";
    if (edges & Right) {
        EXPECT_EQ(inkIn(d, f.right - 1, f.top, f.right, f.bottom), 0) << "cut at the right edge";
    }
    if (edges & Left) {
        EXPECT_EQ(inkIn(d, f.left, f.top, f.left + 1, f.bottom), 0) << "cut at the left edge";
    }
    if (edges & Top) {
        EXPECT_EQ(inkIn(d, f.left, f.top, f.right, f.top + 1), 0) << "cut at the top";
    }
    if (edges & OneLine) {
        // Rows with ink form one band: a second line would leave a gap between them.
        int first = -1, last = -1, rows = 0;
        for (int y = f.top; y < f.bottom; ++y)
            if (inkIn(d, f.left, y, f.right, y + 1) > 0) {
                first = first < 0 ? y : first;
                last = y;
                ++rows;
            }
        EXPECT_EQ(last - first + 1, rows) << "more than one line";
    }
    if (edges & Bottom) {
        EXPECT_EQ(inkIn(d, f.left, f.bottom - 1, f.right, f.bottom), 0) << "cut at the bottom";
    }
}

// Every button of the step shown holds its label whole, clear of the button's face's
// right edge: in the button's middle rows the last three columns of its light face
// carry no dark ink.
void expectLabelsWhole(ovWizardDriver& d) {
    const ovFramebuffer& frame = d.program().app().backBuffer().frame();
    auto light = [](ovColor c) { return ovRed(c) > 0xB0 && ovGreen(c) > 0xB0 && ovBlue(c) > 0xB0; };
    for (ovHyperNode* child : d.current()->children) {
        const ovRect r = child->buttonRect(d.nav());
        const int height = r.bottom - r.top;
        int ink = 0;
        for (int y = r.top + height / 4; y < r.bottom - height / 4; ++y) {
            int edge = std::min(r.right, d.right()) - 1;
            while (edge > r.left && !light(frame.pixel(edge, y)))
                --edge;
            for (int x = edge - 2; x <= edge; ++x)
                ink += ovRed(frame.pixel(x, y)) < 0x80 ? 1 : 0;
        }
        const std::u16string_view label = child->label.view();
        EXPECT_EQ(ink, 0) << "the label " << std::string(label.begin(), label.end())
                          << " runs to its button's edge";
    }
}

ovRect field(ovWizardDriver& d, float left, float top, float right, float bottom) {
    return {ovFracOf(d.right(), left), ovFracOf(d.bottom(), top), ovFracOf(d.right(), right),
            ovFracOf(d.bottom(), bottom)};
}
} // namespace

TEST(Texts, StandWholeInTheirFieldsAtEveryPortraitSize) {
    namespace H = ovHomeLayout;
    namespace K = ovKeyboardLayout;
    namespace I = ovInfoDisplayLayout;
    const std::pair<int, int> sizes[] = {{240, 320}, {480, 640}, {720, 1440}, {1080, 2340}};
    for (const auto& [w, h] : sizes) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        ovWizardDriver d(w, h);
        d.run("wait 100");
        expectWhole(d, "no appointments", d.homeArea(H::noneText), Right);

        // The program's day is Wednesday, December 9, 2026: a long date.
        d.pim({"add-appointment", "--start", "2026-12-09T11:00:00", "--end", "2026-12-09T12:30:00",
               "--subject", "Quarterly planning with the regional sales team", "--location",
               "Conference room B on the third floor of the east building"});
        d.run("wait 100");
        expectWhole(d, "date", d.homeArea(H::dateText), Right | OneLine);
        expectWhole(d, "next appointment", d.homeArea(H::nextHeader), Right);
        expectWhole(d, "its times and place", d.homeArea(H::nextDetails), Right);

        d.startWizard(u"Appointment");
        expectLabelsWhole(d);
        d.tapChild(u"Today");
        d.next();
        d.next();
        d.lunchWithBobAtRoma();
        expectWhole(d, "confirmation", field(d, I::textLeft, I::textTop, I::textRight, I::textBottom),
                    Bottom);
        d.tapScreen();

        d.startWizard(u"New Contact");
        const ovRect box = field(d, K::textBoxLeft, K::textBoxTop, K::textBoxRight, K::textBoxBottom);
        expectWhole(d, "prompt", box, Left | Right | Top | Bottom | OneLine);
        d.type("bartholomew montgomery fitzgerald");
        expectWhole(d, "typed name", box, Left | Top | Bottom | OneLine);
    }
}

TEST(Texts, TheMonthTitleStandsBetweenTheDatePickersArrows) {
    // At 720x1440 the bold title ran under the arrows' buttons, at 1080x2340 well under.
    const std::pair<int, int> sizes[] = {{240, 320}, {720, 1440}, {1080, 2340}};
    for (const auto& [w, h] : sizes) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        ovWizardDriver d(w, h);
        d.run("wait 100");
        d.startWizard(u"Appointment");
        d.tapChild(u"Calendar");
        const ovDatePickerLayout::Grid g = ovDatePickerLayout::grid(d.right(), d.bottom());
        const ovRect bar = g.monthBar();
        const int middle = (bar.top + bar.bottom) / 2, band = (bar.bottom - bar.top) / 4;
        const int previous = g.previousArea().right, next = g.nextArea().left;
        EXPECT_GT(inkIn(d, previous, middle - band, next, middle + band), 0) << "no title";
        EXPECT_EQ(inkIn(d, previous - 4, middle - band, previous, middle + band), 0)
            << "under the left arrow";
        EXPECT_EQ(inkIn(d, next, middle - band, next + 4, middle + band), 0) << "under the right arrow";
    }
}

TEST(Texts, AContactsNameStaysInsideItsRowOfTheContactPicker) {
    // At 1080x2340 "Baker, Anna, Anna" wrapped onto a second line that ran out of its row.
    const std::pair<int, int> sizes[] = {{240, 320}, {720, 1440}, {1080, 2340}};
    for (const auto& [w, h] : sizes) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        ovWizardDriver d(w, h);
        d.pim({"add-contact", "--file-as", "Baker, Anna", "--first", "Anna", "--email", "anna@example.org"});
        d.run("wait 100");
        d.startWizard(u"Message");
        d.type("b");
        d.ok();
        const ovRect band = ovContactPickerLayout::rowRect(0, d.right(), d.bottom());
        const ovRect text = ovContactPickerLayout::rowTextRect(0, d.right(), d.bottom());
        EXPECT_GT(inkIn(d, text.left, band.top, text.right, band.bottom), 0) << "no name";
        // The row's face ends a little above its touch band: its last eighth is the
        // gap to the next row.
        const int gap = band.bottom - (band.bottom - band.top) / 8;
        EXPECT_EQ(inkIn(d, text.left, gap, text.right, band.bottom), 0) << "out of its row";
    }
}
