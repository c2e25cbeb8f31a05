#include "home/ovHomeScreen.h"

#include "data/pim/ovPimAppointment.h"
#include "gfx/ovCanvas.h"
#include "gfx/ovTextFit.h"
#include "home/ovHomeLayout.h"
#include "home/ovHomeScreenSystem.h"
#include "home/ovTextField.h"
#include "shell/ovApp.h"
#include "shell/ovFontSet.h"
#include "shell/ovScreenGeometry.h"
#include "store/ovPoomSession.h"
#include "system/ovSystem.h"

#include <cstdio>

namespace {
namespace L = ovHomeLayout;

// Fixed English names: the screen looks the same whatever the machine's locale.
constexpr const char* kWeekdays[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                      "Thursday", "Friday", "Saturday"};
constexpr const char* kShortWeekdays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[12] = {"January", "February", "March",     "April",   "May",      "June",
                                     "July",    "August",   "September", "October", "November", "December"};
constexpr const char* kShortMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::u16string_view kWeekdayHeaders[7] = {u"Sunday: ",   u"Monday: ", u"Tuesday: ", u"Wednesday: ",
                                                    u"Thursday: ", u"Friday: ", u"Saturday: "};

constexpr ovColor kShadow = 0x505050;
constexpr ovColor kText = 0xFFFFFF;
constexpr ovColor kStripColour = 0xFF5050;
constexpr ovColor kBarColour = 0x5050FF;
constexpr ovColor kNextColour = 0x00FFFF;
// 1/24 in single precision, as the time line has always computed its half span.
constexpr float kHourInDays = 0.041666668f;

ovRect toPixels(const L::Area& a) {
    return {fracWidth(a.left), fracHeight(a.top), fracWidth(a.right), fracHeight(a.bottom)};
}

// Texts of this screen are composed in fixed fields, so that a repaint of the clock
// never touches the heap.
using Line = ovFixedText<512>;

void appendAscii(Line& line, const char* ascii) {
    char16_t wide[128];
    size_t n = 0;
    for (; ascii[n] != '\0' && n < 128; ++n)
        wide[n] = static_cast<char16_t>(static_cast<unsigned char>(ascii[n]));
    line.append({wide, n});
}

void drawShadowed(ovCanvas& dc, std::u16string_view text, const ovRect& rect, unsigned format) {
    dc.setTextColor(kShadow);
    dc.drawText(text, {rect.left + 1, rect.top + 1, rect.right, rect.bottom}, format);
    dc.setTextColor(kText);
    dc.drawText(text, rect, format);
}

void pushFont(ovCanvas& dc, const std::unique_ptr<ovFont> ovFontSet::*font) {
    if (ovFontSet* fonts = ovFontSet::instance())
        fonts->pushFont(dc, (fonts->*font).get());
}

void popFont(ovCanvas& dc) {
    if (ovFontSet* fonts = ovFontSet::instance())
        fonts->popFont(dc);
}

// Draws the first form that stands on one line in one of the faces (largest first);
// where none does, the last form in the last face with "..." in place of its end.
void drawFitting(ovCanvas& dc, std::initializer_list<std::u16string_view> forms,
                 std::initializer_list<const ovFont*> faces, const ovRect& field, unsigned format) {
    Line scratch;
    const ovFittedLine fitted = ovFitLine(dc, forms, faces, field, ovCutAt::End, scratch);
    if (fitted.face == nullptr)
        return;
    const ovFont* previous = dc.selectFont(fitted.face);
    drawShadowed(dc, fitted.text, field, format);
    dc.selectFont(previous);
}

const ovFont* face(const std::unique_ptr<ovFont> ovFontSet::*font) {
    const ovFontSet* fonts = ovFontSet::instance();
    return fonts != nullptr ? (fonts->*font).get() : nullptr;
}

int truncated(double value) {
    // Appointments far outside the window only need to land off the strip.
    constexpr double kFar = 1.0e8;
    return static_cast<int>(value < -kFar ? -kFar : value > kFar ? kFar : value);
}

ovBitmap* pressedPicture(int button) {
    const ovHomeScreenSystem* system = ovHomeScreenSystem::instance();
    if (system == nullptr)
        return nullptr;
    switch (button) {
    case L::contactButton:
        return system->contactPressedImage;
    case L::messageButton:
        return system->messagePressedImage;
    case L::appointmentButton:
        return system->appointmentPressedImage;
    default:
        return system->taskPressedImage;
    }
}
} // namespace

ovHomeScreen::ovHomeScreen() {
    fullScreen = true;
    showsHyperBar = true;
    queryPending = true;
    windowHours = 48.0f;
}

ovHyperNode* ovHomeScreen::wizardRoot(int button) const {
    static constexpr int ids[4] = {contactRootId, messageRootId, appointmentRootId, taskRootId};
    if (button < 0 || button > 3)
        return nullptr;
    for (ovHyperNode* child : children)
        if (child->nodeId == ids[button])
            return child;
    return nullptr;
}

void ovHomeScreen::handleInput(ovNavigator& nav) {
    ovApp& app = nav.app();
    if (app.system().clock().localTime().second != shownTime.second)
        app.needsRepaint = true;

    bool before[4];
    for (int i = 0; i < 4; ++i) {
        before[i] = buttonPressed[i];
        buttonPressed[i] = false;
    }
    const ovPoint point{app.touch.x, app.touch.y};
    const int phase = app.touch.phase;
    if (phase == ovPhaseReleased) {
        for (int i = 0; i < 4; ++i) {
            const ovRect r = toPixels(L::buttons[i].touch);
            if (pointInRect(point, r.left, r.top, r.right, r.bottom))
                enterNode(nav, wizardRoot(i)); // nothing while that wizard is missing
        }
    } else if (phase == ovPhaseDown || phase == ovPhaseHeld) {
        for (int i = 0; i < 4; ++i) {
            const ovRect r = toPixels(L::buttons[i].touch);
            if (pointInRect(point, r.left, r.top, r.right, r.bottom)) {
                buttonPressed[i] = true;
                break;
            }
        }
        for (int i = 0; i < 4; ++i)
            if (buttonPressed[i] != before[i])
                app.needsRepaint = true;
    }
}

void ovHomeScreen::onEnter(ovNavigator&) {
    queryPending = true;
}

void ovHomeScreen::drawScreen(ovNavigator& nav, ovCanvas& dc) {
    ovApp& app = nav.app();
    const ovRect& screen = app.screenRect;
    if (const ovHomeScreenSystem* system = ovHomeScreenSystem::instance())
        app.bitmaps.blit(system->homeBackground, dc, screen.left, screen.top, screen.right, screen.bottom,
                         ovColourKey, 255, 1.0f, 1.0f);
    for (int i = 0; i < 4; ++i) {
        if (!buttonPressed[i])
            continue;
        const ovRect r = toPixels(L::buttons[i].highlight);
        app.bitmaps.blit(pressedPicture(i), dc, r.left, r.top, r.right, r.bottom, ovColourKey, 255, 1.0f,
                         1.0f);
    }

    shownTime = app.system().clock().localTime();
    drawDate(dc, toPixels(L::dateText));
    drawClock(dc, toPixels(L::clockText));
    pushFont(dc, &ovFontSet::bold10);
    drawTimeLine(nav, dc, toPixels(L::timeLine));
    popFont(dc);
}

// The date stays on one line, in the bold face where it has room, else in a smaller
// one, else shortened ("Thu, Dec 10, 2026").
void ovHomeScreen::drawDate(ovCanvas& dc, const ovRect& rect) const {
    char ascii[128];
    Line full;
    std::snprintf(ascii, sizeof ascii, "%s, %s %d, %d", kWeekdays[shownTime.dayOfWeek % 7],
                  kMonths[(shownTime.month + 11) % 12], shownTime.day, shownTime.year);
    appendAscii(full, ascii);
    Line brief;
    std::snprintf(ascii, sizeof ascii, "%s, %s %d, %d", kShortWeekdays[shownTime.dayOfWeek % 7],
                  kShortMonths[(shownTime.month + 11) % 12], shownTime.day, shownTime.year);
    appendAscii(brief, ascii);
    drawFitting(dc, {full.view(), brief.view()},
                {face(&ovFontSet::bold12), face(&ovFontSet::bold10), face(&ovFontSet::regular10)}, rect,
                ovTextVCenter);
}

// The clock stays on one line: a wrapped clock reads as two numbers. Where the seconds
// do not fit in the bold face they are tried in the regular ones, and where they fit in
// none the clock shows hours and minutes, which fit every portrait size we lay out.
void ovHomeScreen::drawClock(ovCanvas& dc, const ovRect& rect) const {
    ovFontSet* fonts = ovFontSet::instance();
    char ascii[32];
    Line line;
    const int room = rect.right - rect.left;
    const ovFont* faces[] = {fonts ? fonts->bold10.get() : nullptr, fonts ? fonts->regular10.get() : nullptr,
                             fonts ? fonts->regular8.get() : nullptr};
    const ovFont* previous = dc.font();
    for (const bool seconds : {true, false}) {
        if (seconds)
            std::snprintf(ascii, sizeof ascii, "%02u:%02u:%02u", shownTime.hour, shownTime.minute,
                          shownTime.second);
        else
            std::snprintf(ascii, sizeof ascii, "%02u:%02u", shownTime.hour, shownTime.minute);
        line.clear();
        appendAscii(line, ascii);
        for (const ovFont* face : faces) {
            dc.selectFont(face);
            if (dc.measureText(line.view()) <= room || (!seconds && face == faces[2])) {
                drawShadowed(dc, line.view(), rect, ovTextCenter | ovTextVCenter);
                dc.selectFont(previous);
                return;
            }
        }
    }
    dc.selectFont(previous);
}

// "09:30-10:15 (Room 4)": a location too long for the line loses its end inside the
// parentheses; the times always stand whole.
void ovHomeScreen::drawDetails(ovCanvas& dc, const ovSystemTime& start, const ovSystemTime& end,
                               std::u16string_view location, const ovRect& rect) const {
    char ascii[64];
    std::snprintf(ascii, sizeof ascii, "%02u:%02u-%02u:%02u (", start.hour, start.minute, end.hour,
                  end.minute);
    Line full;
    appendAscii(full, ascii);
    full.append(location);
    ovAppendField(full, u")");
    const ovFont* regular = face(&ovFontSet::regular10);
    if (regular == nullptr)
        return;
    const ovFont* previous = dc.selectFont(regular);
    Line cut;
    appendAscii(cut, ascii);
    const int room = ovTextRoom(rect) - dc.measureText(cut.view()) - dc.measureText(u")");
    const size_t kept = ovFittingHead(dc, location, room);
    cut.append(location.substr(0, kept));
    if (kept < location.size())
        ovAppendField(cut, ovTextCut);
    ovAppendField(cut, u")");
    dc.selectFont(previous);
    drawFitting(dc, {full.view(), cut.view()}, {regular}, rect, ovTextVCenter);
}

double ovHomeScreen::halfWindow() const {
    const float half = windowHours * 0.5f * kHourInDays;
    return static_cast<double>(half);
}

void ovHomeScreen::fetchAppointments(ovNavigator& nav) {
    ovApp& app = nav.app();
    queryPending = false;
    lastQueryTime = app.totalTime;
    ovPoomSession* session = ovPoomSession::instance();
    double now = 0.0;
    if (session == nullptr || !ovSystemTimeToVariantTime(app.system().clock().localTime(), now))
        return;
    ovSystemTime from;
    ovSystemTime to;
    if (!ovVariantTimeToSystemTime(now - halfWindow(), from) ||
        !ovVariantTimeToSystemTime(halfWindow() + now, to))
        return;
    // A failed query keeps the list it had; the time line shows what it holds.
    (void)session->queryAppointments(from, to, false);
}

int ovHomeScreen::chooseNext(const ovPtrArray<ovPimAppointment>& appointments, double now) {
    double best = 1e15;
    int chosen = -1;
    for (int i = 0; i < appointments.count(); ++i) {
        const double end = appointments[i]->end();
        if (end >= now && end <= best) {
            chosen = i;
            best = end;
        }
    }
    return chosen;
}

std::u16string_view ovHomeScreen::dayHeader(const ovSystemTime& start, const ovSystemTime& today) {
    const int64_t startDay = ovDaysFromCivil(start.year, start.month, start.day);
    const int64_t todayDay = ovDaysFromCivil(today.year, today.month, today.day);
    if (startDay == todayDay)
        return u"Today: ";
    if (startDay == todayDay + 1)
        return u"Tomorrow: ";
    return kWeekdayHeaders[start.dayOfWeek % 7];
}

void ovHomeScreen::drawTimeLine(ovNavigator& nav, ovCanvas& dc, const ovRect& strip) {
    ovApp& app = nav.app();
    const ovPen oldPen = dc.selectPen(ovPen{ovPen::Dash, 1, 0x000000});
    const ovBrush oldBrush = dc.selectBrush(ovBrush{ovBrush::Solid, kStripColour});
    dc.rectangle(strip.left, strip.top, strip.right, strip.bottom);

    if (app.totalTime - lastQueryTime > 60.0f || queryPending)
        fetchAppointments(nav);

    dc.selectPen(ovPen{ovPen::Solid, 1, 0x000000});
    dc.selectBrush(ovBrush{ovBrush::Solid, kBarColour});

    const ovSystemTime today = app.system().clock().localTime();
    double now = 0.0;
    ovSystemTimeToVariantTime(today, now);
    const double half = halfWindow();
    const double from = now - half;
    const double to = half + now;

    static const ovPtrArray<ovPimAppointment> kNone;
    const ovPoomSession* session = ovPoomSession::instance();
    const ovPtrArray<ovPimAppointment>& list = session != nullptr ? session->appointments() : kNone;
    const int chosen = chooseNext(list, now);

    const double width = static_cast<double>(strip.right - strip.left);
    const int inset = fracHeight(L::barInset);
    for (int i = 0; i < list.count(); ++i) {
        dc.selectBrush(ovBrush{ovBrush::Solid, i == chosen ? kNextColour : kBarColour});
        const double fs = (list[i]->start() - from) / (to - from);
        const double fe = (list[i]->end() - from) / (to - from);
        dc.rectangle(strip.left + truncated(width * fs), strip.top + inset,
                     strip.left + truncated(width * fe), strip.bottom - inset);
    }

    if (chosen >= 0) {
        const ovPimAppointment& next = *list[chosen];
        dc.selectBrush(ovBrush{ovBrush::Solid, kNextColour});
        const ovRect marker = toPixels(L::nextMarker);
        dc.rectangle(marker.left, marker.top, marker.right, marker.bottom);

        ovSystemTime start;
        ovSystemTime end;
        ovVariantTimeToSystemTime(next.start(), start);
        ovVariantTimeToSystemTime(next.end(), end);
        Line line;
        line.append(dayHeader(start, today));
        line.append(next.subject());
        // A subject too long for the line in either face loses its end, never the day.
        drawFitting(dc, {line.view()}, {face(&ovFontSet::bold10), face(&ovFontSet::regular10)},
                    toPixels(L::nextHeader), ovTextVCenter);
        drawDetails(dc, start, end, next.location(), toPixels(L::nextDetails));
    } else {
        drawFitting(dc, {u"No Upcoming appointments", u"No appointments"},
                    {face(&ovFontSet::regular12), face(&ovFontSet::regular10)}, toPixels(L::noneText),
                    ovTextVCenter);
    }
    dc.selectPen(oldPen);
    dc.selectBrush(oldBrush);
}
