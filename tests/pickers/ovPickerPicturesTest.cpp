// The pictures against the touch areas: every element's centre, as the picker
// hit-tests it, lies on that element's face in the picture the program draws; and
// screenshots of both pickers for a person to look at.
#include "gfx/ovCanvas.h"
#include "ovDatePickerPictures.h"
#include "ovTimePickerPictures.h"
#include "pickers/ovDatePicker.h"
#include "pickers/ovDatePickerLayout.h"
#include "pickers/ovDatePickerSystem.h"
#include "pickers/ovTimePicker.h"
#include "pickers/ovTimePickerSystem.h"
#include "store/ovPoomSession.h"

#include "ovPickerTestTree.h"
#include "shell/ovBackBuffer.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace {
const ovPoint kScreens[] = {{240, 320}, {480, 640}};

ovColor fromRgb(unsigned rgb) {
    return ovRgb(static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb));
}

bool near(ovColor a, ovColor b, int tolerance) {
    return std::abs(ovRed(a) - ovRed(b)) <= tolerance && std::abs(ovGreen(a) - ovGreen(b)) <= tolerance &&
           std::abs(ovBlue(a) - ovBlue(b)) <= tolerance;
}

// The picture stretched over the screen rectangle, as the picker draws it.
ovFramebuffer drawn(const char* name, const ovRect& screen) {
    ovResult<ovImage> picture = ovLoadBmpFile(std::string(ORVIDA_BIN_DIR) + "/images/wm5/" + name);
    EXPECT_TRUE(picture.ok()) << picture.reason();
    if (!picture)
        return ovFramebuffer(screen.right, screen.bottom, 0x00FF00FF);
    ovFramebuffer frame(screen.right, screen.bottom, 0x00FF00FF);
    ovCanvas canvas(frame);
    canvas.stretchBlitKeyed(picture.value(), 0, 0, screen.right, screen.bottom, 0x00FF00);
    return frame;
}

// The centre is not the surroundings, and the face shows around the label.
void expectOnFace(const ovFramebuffer& f, const ovRect& r, unsigned face, unsigned surround, const char* what,
                  int verticalTenths = 4) {
    const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    const int dx = r.width() * 2 / 5, dy = r.height() * verticalTenths / 10;
    SCOPED_TRACE(testing::Message() << what << " at " << cx << "," << cy << " on " << f.width());
    // The label may cover the centre, but the centre is never the surroundings.
    EXPECT_FALSE(near(f.pixel(cx, cy), fromRgb(surround), 2));
    for (ovPoint probe :
         {ovPoint{cx - dx, cy}, ovPoint{cx + dx, cy}, ovPoint{cx, cy - dy}, ovPoint{cx, cy + dy}})
        EXPECT_TRUE(near(f.pixel(probe.x, probe.y), fromRgb(face), 24))
            << probe.x << "," << probe.y << " is " << std::hex << f.pixel(probe.x, probe.y);
}

std::string shotFolder() {
    const std::string folder = std::string(ORVIDA_BIN_DIR) + "/../shots";
    std::filesystem::create_directories(folder);
    return folder;
}

struct TimePickers {
    explicit TimePickers(ovPoint screen)
        : p([](ovApp& app) { return std::make_unique<ovTimePickerSystem>(app); },
            [this](ovApp& app, ovPickerTestTree& tree) {
                start = ovPickerTestProgram::picker<ovTimePicker>(app, u"start time", 11, 1002);
                end = ovPickerTestProgram::picker<ovTimePicker>(app, u"end time", 12, 1003);
                end->configure(ovTimePicker::duration, false);
                app.navigator->addChild(tree.step, start);
                app.navigator->addChild(start, end);
            },
            screen.x, screen.y) {}
    ovTimePicker* start = nullptr;
    ovTimePicker* end = nullptr;
    ovPickerTestProgram p;
};

TEST(ovPickerPictures, TimePickerElementsLieOnTheirFaces) {
    namespace P = ovTimePickerPalette;
    for (ovPoint screen : kScreens) {
        TimePickers t(screen);
        const ovRect& rect = t.p.program->app().screenRect;
        for (const char* board : {"timepicker.bmp", "timeDuration.bmp"}) {
            const ovFramebuffer f = drawn(board, rect);
            for (int i = 0; i < 8; ++i)
                expectOnFace(f, t.start->leftItemRect(i), P::itemFace, P::panel, "left item");
            for (int i = 0; i < 6; ++i)
                expectOnFace(f, t.start->middleItemRect(i), P::itemFace, P::panel, "middle item");
            for (int i = 0; i < 2; ++i)
                expectOnFace(f, t.start->toggleRect(i), P::toggleFace, P::panel, "toggle");
            expectOnFace(f, t.start->nextRect, P::nextFace, P::panel, "Next");
            expectOnFace(f, t.start->backRect, P::backFace, P::panel, "Back");
        }
        const ovFramebuffer f = drawn("timeDuration.bmp", rect);
        for (const ovRect& unit : {t.end->hoursUnitRect, t.end->daysUnitRect, t.end->weeksUnitRect})
            expectOnFace(f, unit, P::unitFace, P::panel, "unit");
    }
}

TEST(ovPickerPictures, DatePickerCellsAndArrowsLieOnTheirFaces) {
    namespace P = ovDatePickerPalette;
    for (ovPoint screen : kScreens) {
        ovDatePicker* picker = nullptr;
        ovPickerTestProgram p([](ovApp& app) { return std::make_unique<ovDatePickerSystem>(app); },
                              [&](ovApp& app, ovPickerTestTree& tree) {
                                  picker =
                                      ovPickerTestProgram::picker<ovDatePicker>(app, u"Calendar", 11, 1009);
                                  app.navigator->addChild(tree.step, picker);
                              },
                              screen.x, screen.y);
        const ovRect& rect = p.program->app().screenRect;
        const ovDatePickerLayout::Grid g = ovDatePickerLayout::grid(rect.right, rect.bottom);
        // The month bar picture over its rectangle, as the picker draws it.
        ovResult<ovImage> bar = ovLoadBmpFile(std::string(ORVIDA_BIN_DIR) + "/images/wm5/calendar.bmp");
        ASSERT_TRUE(bar.ok()) << bar.reason();
        ovFramebuffer f(rect.right, rect.bottom, 0);
        ovCanvas canvas(f);
        const ovRect m = g.monthBar();
        canvas.stretchBlitKeyed(bar.value(), m.left, m.top, m.width(), m.height(), 0x00FF00);
        const ovRect previous = g.previousArea(), next = g.nextArea();
        // The touch areas start on the grid's last line; their faces lie in the bar below it.
        expectOnFace(f, {previous.left, m.top, previous.right, m.bottom}, P::arrowFace, P::barFace,
                     "previous", 2);
        expectOnFace(f, {next.left, m.top, next.right, m.bottom}, P::arrowFace, P::barFace, "next", 2);

        const ovFramebuffer& frame = p.program->app().backBuffer().frame();
        const ovRect back = g.backButton();
        const ovColor centre = frame.pixel((back.left + back.right) / 2, (back.top + back.bottom) / 2);
        EXPECT_TRUE(near(centre, fromRgb(P::backFace), 40)) << std::hex << centre;
        // Every day's centre is on the page, clear of its number, its bar and the lines.
        for (const ovCalendarCell& cell : picker->cells) {
            if (cell.hidden || cell.day == 9) // today's cell is filled
                continue;
            EXPECT_EQ(frame.pixel((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2), 0xF2EEEAu)
                << cell.day;
        }
    }
}

TEST(ovPickerPictures, Screenshots) {
    const std::string folder = shotFolder();
    for (ovPoint screen : kScreens) {
        const std::string size = std::to_string(screen.x) + "x" + std::to_string(screen.y);
        {
            TimePickers t(screen);
            // The time of day with 10:00 chosen and the quarter on, then the duration form
            // with 2 days and the finger on "Weeks".
            t.p.tap(ovPickerTestProgram::centre(t.start->leftItemRect(2)));
            t.p.tap(ovPickerTestProgram::centre(t.start->toggleRect(0)));
            t.p.program->run("shot " + folder + "/timeOfDay-" + size + ".png");
            const ovPoint next = ovPickerTestProgram::centre(t.start->nextRect);
            t.p.program->run("down " + std::to_string(next.x) + " " + std::to_string(next.y) + "\nwait 30");
            t.p.program->run("shot " + folder + "/nextPressed-" + size + ".png");
            t.p.program->run("up " + std::to_string(next.x) + " " + std::to_string(next.y) + "\nwait 10");
            t.p.tap(ovPickerTestProgram::centre(t.end->daysUnitRect));
            t.p.tap(ovPickerTestProgram::centre(t.end->leftItemRect(2)));
            const ovPoint weeks = ovPickerTestProgram::centre(t.end->weeksUnitRect);
            t.p.program->run("down " + std::to_string(weeks.x) + " " + std::to_string(weeks.y) + "\nwait 30");
            t.p.program->run("shot " + folder + "/duration-" + size + ".png");
            EXPECT_EQ(t.end->durationMinutes(), 2880);
        }

        ovPickerTestProgram d([](ovApp& app) { return std::make_unique<ovDatePickerSystem>(app); },
                              [&](ovApp& app, ovPickerTestTree& tree) {
                                  app.navigator->addChild(
                                      tree.step,
                                      ovPickerTestProgram::picker<ovDatePicker>(app, u"Calendar", 11, 1009));
                              },
                              screen.x, screen.y);
        // A few appointments this month; the store outlives the program in this process,
        // so they are added once.
        ovPoomSession* session = ovPoomSession::instance();
        ASSERT_NE(session, nullptr);
        if (screen.x == kScreens[0].x) {
            const int days[] = {3, 9, 9, 15, 22, 23};
            const int hours[] = {9, 8, 14, 12, 18, 7};
            for (int i = 0; i < 6; ++i)
                ASSERT_TRUE(session->addAppointment(ovSystemTime{2026, 12, 0, static_cast<uint16_t>(days[i]),
                                                                 static_cast<uint16_t>(hours[i]), 0, 0, 0},
                                                    u"Seen", u"", 90 + 60 * (i % 3), 0));
        }
        d.program->app().needsRepaint = true;
        d.program->run("wait 10\nshot " + folder + "/calendar-" + size + ".png");
    }
}
} // namespace
