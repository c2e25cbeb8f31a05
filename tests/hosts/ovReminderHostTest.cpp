// Reminders as the user meets them: the headless program fires them on its virtual
// clock, and `orvida remind` fires what is due and exits.
#include "data/pim/ovPimApplication.h"
#include "data/pim/ovPimAppointment.h"
#include "data/pim/ovPimTask.h"
#include "home/ovHomeLayout.h"
#include "home/ovHomeScreen.h"
#include "hosts/headless/ovHeadlessHost.h"
#include "hosts/remind/ovRemindTool.h"
#include "services/notify/ovRecordingNotifier.h"
#include "shell/ovBackBuffer.h"
#include "shell/ovScreenGeometry.h"
#include "system/ovPaths.h"
#include "system/ovUtf.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {

double dateOf(const char* iso) {
    double d = 0.0;
    EXPECT_TRUE(ovSystemTimeToVariantTime(*ovParseIsoLocal(iso), d));
    return d;
}

class ovReminderHostTest : public ::testing::Test {
protected:
    ovReminderHostTest() {
        std::string pattern = (fs::temp_directory_path() / "ovReminderHostTest-XXXXXX").string();
        root_ = mkdtemp(pattern.data());
        data = root_ + "/data";
    }
    ~ovReminderHostTest() override { fs::remove_all(root_); }

    void addAppointment(const char* start, std::u16string subject, int minutes) {
        ovPimApplication app;
        ASSERT_TRUE(app.logOn(ovPimStoreFileIn(data)));
        ovPimAppointment a(app.store());
        ASSERT_TRUE(a.setStart(dateOf(start)));
        a.setSubject(subject);
        a.setLocation(u"Room 4");
        ASSERT_TRUE(a.setReminderMinutesBeforeStart(minutes));
        ASSERT_TRUE(a.save());
    }
    void addTask(const char* reminderAt, std::u16string subject) {
        ovPimApplication app;
        ASSERT_TRUE(app.logOn(ovPimStoreFileIn(data)));
        ovPimTask t(app.store());
        t.setSubject(subject);
        ASSERT_TRUE(t.setReminderTime(dateOf(reminderAt)));
        ASSERT_TRUE(t.save());
    }

    std::unique_ptr<ovHeadlessHost> start(const char* now, const std::string& config = {}) {
        ovOptions o;
        o.configDir = config;
        o.headless = true;
        o.screenWidth = 240;
        o.screenHeight = 320;
        o.dataDir = data;
        o.now = ovParseIsoLocal(now);
        return std::make_unique<ovHeadlessHost>(o, ORVIDA_BIN_DIR "/orvida");
    }
    static void wait(ovHeadlessHost& host, int ms) {
        std::ostringstream out;
        ovScriptCommand c;
        c.kind = ovScriptCommand::Wait;
        c.ms = ms;
        host.execute(c, out);
    }
    int remind(const char* now, ovNotifier& notifier, std::string& output) {
        std::ostringstream out, err;
        const int code = ovRunRemindTool({"remind", "--data", data, "--now", now}, notifier, out, err);
        output = out.str();
        EXPECT_EQ(err.str(), "");
        return code;
    }

    // A configuration folder whose orvida.conf names the vdir under the test's folder,
    // with its calendar folder made and empty.
    std::string vdirConfig() const {
        const std::string config = root_ + "/config";
        fs::create_directories(root_ + "/vdir/calendar");
        fs::create_directories(config);
        std::ofstream(config + "/orvida.conf") << "[vdir]\npath = " << root_ << "/vdir\n";
        return config;
    }

    std::string root_;
    std::string data;
};

constexpr int kMinute = 60 * 1000;

} // namespace

TEST_F(ovReminderHostTest, AnAppointmentReminderFiresAtItsMinuteOnceAcrossRuns) {
    addAppointment("2026-12-09T09:30:00", u"Dentist", 15);
    {
        auto host = start("2026-12-09T09:00:00");
        wait(*host, 14 * kMinute);
        EXPECT_EQ(host->notifications().notifications().size(), 0u);
        wait(*host, kMinute);
        EXPECT_EQ(host->notifications().notifications().size(), 1u);
        wait(*host, kMinute);
        const std::string state = host->stateJson();
        EXPECT_NE(state.find("\"notifications\":1,\"lastNotification\":\"Dentist: 09:30, Room 4\""),
                  std::string::npos)
            << state;
        // The click is the program's own sound, played when sounds are on.
        EXPECT_EQ(host->program().app().clickCount, 1);
    }
    auto again = start("2026-12-09T09:20:00");
    wait(*again, kMinute);
    EXPECT_EQ(again->notifications().notifications().size(), 0u);
}

TEST_F(ovReminderHostTest, ATaskReminderFiresAtItsTimeAndAnItemAddedWhileRunningIsPlanned) {
    addTask("2026-12-09T09:15:00", u"Pay the rent");
    auto host = start("2026-12-09T09:00:00");
    wait(*host, 14 * kMinute);
    EXPECT_EQ(host->notifications().notifications().size(), 0u);
    wait(*host, kMinute);
    ASSERT_EQ(host->notifications().notifications().size(), 1u);
    EXPECT_EQ(host->notifications().lastText(), "Pay the rent: Task, 09:15");

    // Added through the program's own session while it runs, no restart.
    ovSystemTime start = *ovParseIsoLocal("2026-12-09T09:40:00");
    ASSERT_TRUE(host->program().session().addAppointment(start, u"Standup", u"", 15, 20));
    wait(*host, 4 * kMinute + 59 * 1000);
    EXPECT_EQ(host->notifications().notifications().size(), 1u);
    wait(*host, 1000);
    EXPECT_EQ(host->notifications().notifications().size(), 2u);
    EXPECT_EQ(host->notifications().lastText(), "Standup: 09:40");
}

TEST_F(ovReminderHostTest, MissedRemindersFireOnceAtStartMarkedMissed) {
    addAppointment("2026-12-09T08:30:00", u"Early call", 15);
    auto host = start("2026-12-09T09:00:00");
    wait(*host, 10);
    ASSERT_EQ(host->notifications().notifications().size(), 1u);
    EXPECT_EQ(host->notifications().lastText(), "Early call: Missed: 08:30, Room 4");
}

TEST_F(ovReminderHostTest, RemindFiresWhatIsDueOnceAndNothingElse) {
    addAppointment("2026-12-09T09:30:00", u"Dentist", 15);
    addAppointment("2026-12-09T10:30:00", u"Later", 15);
    ovRecordingNotifier notifier;
    std::string output;
    ASSERT_EQ(remind("2026-12-09T09:14:00", notifier, output), 0);
    EXPECT_EQ(output, "");
    ASSERT_EQ(remind("2026-12-09T09:15:00", notifier, output), 0);
    EXPECT_EQ(output, "Dentist: 09:30, Room 4\n");
    ASSERT_EQ(remind("2026-12-09T09:16:00", notifier, output), 0);
    EXPECT_EQ(output, "");
    EXPECT_EQ(notifier.notifications().size(), 1u);

    // The window started later does not fire it again.
    auto host = start("2026-12-09T09:20:00");
    wait(*host, kMinute);
    EXPECT_EQ(host->notifications().notifications().size(), 0u);
}

TEST_F(ovReminderHostTest, RemindReadsTheVdirFirstSoAnEventAnotherProgramAddedReminds) {
    // khal wrote it; nothing of Orvida's ran since.
    const std::string config = vdirConfig();
    std::ofstream(root_ + "/vdir/calendar/dentist.ics")
        << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//khal//EN\r\nBEGIN:VEVENT\r\nUID:dentist-1\r\n"
           "DTSTAMP:20261201T100000Z\r\nDTSTART:20261209T093000\r\nDTEND:20261209T103000\r\n"
           "SUMMARY:Dentist\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Dentist\r\n"
           "TRIGGER:-PT15M\r\nEND:VALARM\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    ovRecordingNotifier notifier;
    std::ostringstream out, err;
    ASSERT_EQ(ovRunRemindTool({"remind", "--data", data, "--config", config, "--now", "2026-12-09T09:15:00"},
                              notifier, out, err),
              0)
        << err.str();
    EXPECT_NE(out.str().find("Dentist: 09:30"), std::string::npos) << out.str() << err.str();
}

TEST_F(ovReminderHostTest, AWeeklyMeetingFromAMonthAgoShowsTodayAndRemindsOnceAcrossARestart) {
    // Another program put it in the vdir; its first instance was four weeks ago.
    const std::string config = vdirConfig();
    std::ofstream(root_ + "/vdir/calendar/weekly.ics")
        << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//khal//EN\r\nBEGIN:VEVENT\r\nUID:weekly-1\r\n"
           "DTSTAMP:20261101T100000Z\r\nDTSTART:20261111T100000\r\nDTEND:20261111T110000\r\n"
           "RRULE:FREQ=WEEKLY\r\nSUMMARY:Weekly sync\r\nLOCATION:Room 4\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\n"
           "DESCRIPTION:Weekly sync\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    {
        auto host = start("2026-12-09T09:00:00", config);
        wait(*host, 10);
        // Today's instance is on the time line and is the next appointment.
        const ovPtrArray<ovPimAppointment>& shown = host->program().session().appointments();
        const int next = ovHomeScreen::chooseNext(shown, dateOf("2026-12-09T09:00:00"));
        ASSERT_GE(next, 0);
        EXPECT_EQ(shown[next]->start(), dateOf("2026-12-09T10:00:00"));
        EXPECT_EQ(shown[next]->subject(), u"Weekly sync");
        // Its bar on the strip, 10:30 being 25.5 hours from the strip's left edge, yellow.
        const ovHomeLayout::Area& strip = ovHomeLayout::timeLine;
        const int left = fracWidth(strip.left), right = fracWidth(strip.right);
        const int x = left + static_cast<int>((right - left) * 25.5 / 48.0);
        const int y = (fracHeight(strip.top) + fracHeight(strip.bottom)) / 2;
        EXPECT_EQ(host->program().app().backBuffer().frame().pixel(x, y), 0x00FFFFu);

        wait(*host, 44 * kMinute);
        EXPECT_EQ(host->notifications().notifications().size(), 0u);
        wait(*host, kMinute);
        ASSERT_EQ(host->notifications().notifications().size(), 1u);
        EXPECT_EQ(host->notifications().lastText(), "Weekly sync: 10:00, Room 4");
    }
    auto again = start("2026-12-09T09:50:00", config);
    wait(*again, kMinute);
    EXPECT_EQ(again->notifications().notifications().size(), 0u);
}

TEST_F(ovReminderHostTest, RemindRefusesBadArgumentsAndStoresThatAreNotOurs) {
    ovRecordingNotifier notifier;
    std::ostringstream out, err;
    EXPECT_EQ(ovRunRemindTool({"remind", "--now", "tomorrow"}, notifier, out, err), 2);
    EXPECT_NE(err.str().find("--now needs a local time"), std::string::npos);
    EXPECT_EQ(ovRunRemindTool({"remind", "--frobnicate"}, notifier, out, err), 2);

    fs::create_directories(data);
    {
        std::ofstream junk(ovPimStoreFileIn(data));
        junk << "not a database, but a user's file of one hundred bytes or more: "
                "it must be left exactly as it is found";
    }
    std::ostringstream err2;
    EXPECT_EQ(ovRunRemindTool({"remind", "--data", data}, notifier, out, err2), 1);
    EXPECT_NE(err2.str().find("not an Orvida store"), std::string::npos);
    EXPECT_EQ(notifier.notifications().size(), 0u);
}

TEST_F(ovReminderHostTest, RemindRunsAtOnceBesideASyncTakeTurnsAndFireEachReminderOnce) {
    // Due reminders in the store and in a vdir that no sync has read yet.
    constexpr int kStored = 400, kFiled = 200, kRuns = 6;
    {
        ovPimApplication app;
        ASSERT_TRUE(app.logOn(ovPimStoreFileIn(data)));
        ASSERT_TRUE(app.beginBatch());
        for (int i = 0; i < kStored; ++i) {
            ovPimAppointment a(app.store());
            ASSERT_TRUE(a.setStart(dateOf("2026-12-09T09:30:00") + i / 86400.0));
            a.setSubject(u"stored " + ovToUtf16(std::to_string(i)));
            ASSERT_TRUE(a.save());
        }
        ASSERT_TRUE(app.commitBatch());
    }
    const std::string config = vdirConfig();
    for (int i = 0; i < kFiled; ++i)
        std::ofstream(root_ + "/vdir/calendar/e" + std::to_string(i) + ".ics")
            << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//khal//EN\r\nBEGIN:VEVENT\r\nUID:filed-" << i
            << "\r\nDTSTART:20261209T093000\r\nDTEND:20261209T103000\r\nSUMMARY:filed " << i
            << "\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:x\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\n"
               "END:VEVENT\r\nEND:VCALENDAR\r\n";

    // Real processes, as cron and a desktop's timer start them; no desktop to show them on.
    const std::string orvida = ORVIDA_BIN_DIR "/orvida";
    std::string script = "export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent; cd '" + root_ + "'; ";
    script +=
        "(" + orvida + " pim --data data --config config sync >sync.out 2>sync.err; echo $? >sync.rc) & ";
    for (int i = 0; i < kRuns; ++i) {
        const std::string n = std::to_string(i);
        script += "(" + orvida + " remind --data data --config config --now 2026-12-09T12:00:00 >r" + n +
                  ".out 2>r" + n + ".err; echo $? >r" + n + ".rc) & ";
    }
    script += "wait";
    ASSERT_EQ(std::system(script.c_str()), 0);

    auto read = [&](const std::string& name) {
        std::ifstream in(root_ + "/" + name);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    };
    EXPECT_EQ(read("sync.rc"), "0\n") << read("sync.err");
    std::map<std::string, int> fired;
    for (int i = 0; i < kRuns; ++i) {
        const std::string n = std::to_string(i);
        EXPECT_EQ(read("r" + n + ".rc"), "0\n") << read("r" + n + ".err");
        std::istringstream lines(read("r" + n + ".out"));
        for (std::string line; std::getline(lines, line);)
            ++fired[line.substr(0, line.find(':'))];
    }
    EXPECT_EQ(fired.size(), static_cast<size_t>(kStored + kFiled));
    for (const auto& [subject, times] : fired)
        EXPECT_EQ(times, 1) << subject;
}
