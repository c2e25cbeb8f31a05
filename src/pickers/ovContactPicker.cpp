#include "pickers/ovContactPicker.h"

#include "gfx/ovCanvas.h"
#include "gfx/ovTextFit.h"
#include "pickers/ovContactPickerLayout.h"
#include "pickers/ovContactPickerSystem.h"
#include "pickers/ovKeyboardInput.h"
#include "shell/ovApp.h"
#include "shell/ovFontSet.h"
#include "shell/ovNavigator.h"
#include "shell/ovScreenGeometry.h"
#include "store/ovPoomSession.h"
#include "system/ovSystem.h"
#include "system/ovUtf.h"

#include <algorithm>
#include <optional>
#include <string>

namespace {
constexpr ovColor kShadow = 0x505050;
constexpr ovColor kText = 0xFFFFFF;
constexpr unsigned kCentred = ovTextCenter | ovTextVCenter | ovTextWordWrap;
constexpr unsigned kRowFormat = ovTextVCenter | ovTextWordWrap;

// Texts on the picture: a dark shadow one pixel down and right, then the text.
void drawShadowed(ovCanvas& dc, std::u16string_view text, const ovRect& r, unsigned format) {
    dc.setTextColor(kShadow);
    dc.drawText(text, {r.left + 1, r.top + 1, r.right, r.bottom}, format);
    dc.setTextColor(kText);
    dc.drawText(text, r, format);
}

// Selects a shared font for a scope when the font set exists.
class FontChoice {
public:
    FontChoice(ovCanvas& dc, const ovFont* (*pick)(const ovFontSet&))
        : fonts_(ovFontSet::instance()), dc_(dc) {
        if (fonts_ != nullptr)
            fonts_->pushFont(dc_, pick(*fonts_));
    }
    ~FontChoice() {
        if (fonts_ != nullptr)
            fonts_->popFont(dc_);
    }
    FontChoice(const FontChoice&) = delete;
    FontChoice& operator=(const FontChoice&) = delete;

private:
    ovFontSet* fonts_;
    ovCanvas& dc_;
};

std::u16string number(int n) {
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

int contactCount() {
    const ovPoomSession* session = ovPoomSession::instance();
    return session != nullptr ? session->contacts().count() : 0;
}
} // namespace

ovContactPicker::ovContactPicker() {
    fullScreen = true;
}

std::u16string ovContactPicker::rowText(const ovPimContact& contact) {
    const std::u16string& fileAs = contact.fileAs();
    const std::u16string& first = contact.firstName();
    if (!fileAs.empty() && !first.empty())
        return fileAs + u", " + first;
    return fileAs.empty() ? first : fileAs;
}

std::u16string ovContactPicker::rangeText() const {
    return number(firstAtDraw + 1) + u"-" + number(endAtDraw);
}

std::u16string ovContactPicker::countText() const {
    return number(contactCount());
}

void ovContactPicker::onEnter(ovNavigator& nav) {
    firstShown = 0;
    rowsDrawn = 0;
    // The search below releases the items the rows pointed at: no row answers a tap
    // until the new list has been drawn.
    firstAtDraw = 0;
    endAtDraw = 0;
    std::fill(std::begin(rowContacts), std::end(rowContacts), nullptr);
    if (parent == nullptr)
        return;
    ovPoomSession* session = ovPoomSession::instance();
    if (session == nullptr)
        return;
    const auto* keyboard = dynamic_cast<const ovKeyboardInput*>(parent);
    // A search that fails leaves the list as it was; the session has said why.
    static_cast<void>(
        session->searchContacts(keyboard != nullptr ? keyboard->inputText.view() : std::u16string_view()));
}

void ovContactPicker::drawScreen(ovNavigator& nav, ovCanvas& dc) {
    using namespace ovContactPickerLayout;
    ovApp& app = nav.app();
    const ovRect& screen = app.screenRect;
    const int W = screen.right;
    const int H = screen.bottom;
    if (const ovContactPickerSystem* system = ovContactPickerSystem::instance())
        app.bitmaps.blit(system->background, dc, screen.left, screen.top, screen.right, screen.bottom,
                         ovColourKey, 255, 1.0f, 1.0f);

    const ovPoomSession* session = ovPoomSession::instance();
    const int total = contactCount();
    {
        FontChoice font(dc, [](const ovFontSet& f) -> const ovFont* { return f.bold12.get(); });
        std::u16string title = u"Search String: ";
        if (session != nullptr)
            title += session->searchText();
        drawShadowed(dc, title, pixels(searchBox, W, H), kCentred);
        firstAtDraw = firstShown;
        endAtDraw = std::min(firstShown + rowCount, total);
    }

    int drawn = 0;
    {
        FontChoice font(dc, [](const ovFontSet& f) -> const ovFont* { return f.regular12.get(); });
        for (int i = 0; i < rowCount && firstAtDraw + i < endAtDraw; ++i) {
            const ovPimContact* contact = session->contacts()[firstAtDraw + i];
            rowContacts[i] = contact;
            const std::u16string text = rowText(*contact);
            const ovRect field = rowTextRect(i, W, H);
            // A long name wraps, centred on its text field; where the lines would run
            // out of the row's face (a tall narrow screen, where the faces are large for
            // the width) it takes a smaller face.
            if (const ovFontSet* fonts = ovFontSet::instance()) {
                const ovRect band = rowRect(i, W, H);
                const int middle = (field.top + field.bottom) / 2;
                const int half = std::max(0, std::min(middle - band.top, band.bottom - middle) - 2);
                const ovRect room{field.left, middle - half, field.right, middle + half};
                const ovFont* faces[] = {fonts->regular12.get(), fonts->regular10.get(),
                                         fonts->regular8.get()};
                const ovFont* face =
                    rowFaces[i].face(text, room, [&] { return ovFaceForBlock(dc, text, faces, room); });
                dc.selectFont(face != nullptr ? face : faces[2]);
            }
            drawShadowed(dc, text, field, kRowFormat);
            ++drawn;
        }
    }
    {
        FontChoice font(dc, [](const ovFontSet& f) -> const ovFont* { return f.bold10.get(); });
        drawShadowed(dc, rangeText(), pixels(range, W, H), kCentred);
        drawShadowed(dc, countText(), pixels(count, W, H), kCentred);
    }
    rowsDrawn = drawn;
}

void ovContactPicker::chooseRow(ovNavigator& nav, int row) {
    const ovPimContact* contact = rowContacts[row];
    if (contact == nullptr)
        return;
    chosenContact = *contact;
    nav.app().system().debugOutput("Selected: " + ovToUtf8(contact->fileAs()) + " " +
                                   ovToUtf8(contact->firstName()) + "\n");
    if (children.count() == 1)
        enterChild(nav, 0);
}

void ovContactPicker::handleInput(ovNavigator& nav) {
    using namespace ovContactPickerLayout;
    if (!tapReleased())
        return;
    ovApp& app = nav.app();
    const ovPoint p{app.touch.x, app.touch.y};
    const int W = app.screenRect.right;
    const int H = app.screenRect.bottom;

    const ovRect list = pixels(listArea, W, H);
    const int row = rowAt(list.left, list.top, list.right, list.bottom, rowCount, p);
    if (row >= 0 && row < endAtDraw - firstAtDraw)
        chooseRow(nav, row);

    const ovRect up = pixels(scrollUp, W, H);
    if (pointInRect(p, up.left, up.top, up.right, up.bottom)) {
        firstShown = std::max(firstShown - 1, 0);
        app.needsRepaint = true;
    }
    const ovRect down = pixels(scrollDown, W, H);
    if (pointInRect(p, down.left, down.top, down.right, down.bottom)) {
        firstShown = std::max(std::min(firstShown + 1, contactCount() - 1), 0);
        app.needsRepaint = true;
    }
    const ovRect backArea = pixels(back, W, H);
    if (pointInRect(p, backArea.left, backArea.top, backArea.right, backArea.bottom) && children.count() == 1)
        goBack(nav);
}
