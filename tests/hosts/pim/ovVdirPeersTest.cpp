// Orvida's vdir shared with programs no one here wrote: Debian's khal, khard, vdirsyncer
// and a Radicale server on loopback. Each test writes the peers' settings into a folder
// of its own, which also serves as their home, and skips only when a peer is missing.
#include "wizards/ovWizardDriver.h"

#include "hosts/pim/ovPimTool.h"
#include "shell/ovBackBuffer.h"
#include "system/ovDateTime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Ran {
    int code = -1;
    std::string output; // standard output and error together
};

class VdirPeers : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "ovVdirPeers-XXXXXX").string();
        work = mkdtemp(pattern.data());
        // The peers read their settings from here, and all of us agree on the clock's zone.
        setenv("HOME", work.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (work + "/config").c_str(), 1);
        setenv("TZ", "UTC", 1);
        tzset();
        vdir = work + "/vdir";
        orvidaConfig = work + "/orvida";
        data = work + "/data";
        fs::create_directories(orvidaConfig);
        std::ofstream(orvidaConfig + "/orvida.conf") << "[vdir]\npath = " << vdir << "\n";
        fs::create_directories(work + "/config/khal");
        std::ofstream(work + "/config/khal/config")
            << "[calendars]\n[[orvida]]\npath = " << vdir << "/calendar\ntype = calendar\n"
            << "[locale]\ntimeformat = %H:%M\ndateformat = %Y-%m-%d\nlongdateformat = %Y-%m-%d\n"
            << "datetimeformat = %Y-%m-%d %H:%M\nlongdatetimeformat = %Y-%m-%d %H:%M\n"
            << "local_timezone = UTC\ndefault_timezone = UTC\n[default]\ndefault_calendar = orvida\n";
        fs::create_directories(work + "/config/khard");
        std::ofstream(work + "/config/khard/khard.conf")
            << "[addressbooks]\n[[orvida]]\npath = " << vdir << "/contacts\n"
            << "[general]\neditor = /bin/true\nmerge_editor = /bin/true\ndefault_action = list\n"
            << "[vcard]\npreferred_version = 3.0\n";
        fs::create_directories(vdir + "/calendar");
        fs::create_directories(vdir + "/contacts");
    }
    void TearDown() override {
        if (serverPid > 0) {
            kill(serverPid, SIGTERM);
            waitpid(serverPid, nullptr, 0);
        }
        fs::remove_all(work);
    }

    static bool installed(const std::string& program) {
        return std::system(("command -v " + program + " > /dev/null 2>&1").c_str()) == 0;
    }

    // A command line run by the shell in the work folder, with nothing on its input.
    Ran sh(const std::string& command) {
        Ran ran;
        FILE* pipe = popen(("cd '" + work + "' && " + command + " < /dev/null 2>&1").c_str(), "r");
        if (pipe == nullptr)
            return ran;
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            ran.output.append(buffer, n);
        const int status = pclose(pipe);
        ran.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return ran;
    }

    // `orvida pim --data DATA --config ORVIDA ARGS...`
    Ran pim(std::vector<std::string> args) {
        args.insert(args.begin(), {"pim", "--data", data, "--config", orvidaConfig});
        std::ostringstream out, err;
        Ran ran;
        ran.code = ovRunPimTool(args, out, err);
        ran.output = out.str() + err.str();
        return ran;
    }

    // Starts Radicale on a free loopback port with a calendar collection for "user".
    void startServer() {
        const Ran port =
            sh(std::string(ORVIDA_PYTHON) + " -c 'import socket; s = socket.socket(); "
                                            "s.bind((\"127.0.0.1\", 0)); print(s.getsockname()[1])'");
        ASSERT_EQ(port.code, 0) << port.output;
        serverPort = std::stoi(port.output);
        serverPid = fork();
        ASSERT_GE(serverPid, 0);
        if (serverPid == 0) {
            const std::string folder = "--storage-filesystem-folder=" + work + "/server";
            const std::string hosts = "--server-hosts=127.0.0.1:" + std::to_string(serverPort);
            const std::string log = work + "/server.log";
            std::freopen(log.c_str(), "w", stdout);
            std::freopen(log.c_str(), "a", stderr);
            execl(ORVIDA_PYTHON, "python3", "-m", "radicale", folder.c_str(), hosts.c_str(),
                  "--auth-type=none", static_cast<char*>(nullptr));
            _exit(127);
        }
        // Ready once the collection can be made.
        for (int attempt = 0; attempt < 100; ++attempt) {
            const Ran made = http("MKCALENDAR", "/user/calendar/", "");
            if (made.code == 0 && made.output.rfind("201", 0) == 0)
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        FAIL() << "Radicale did not start: " << sh("cat server.log").output;
    }

    // One request to the server as "user"; the output starts with the status code.
    Ran http(const std::string& method, const std::string& path, const std::string& body) {
        std::ofstream(work + "/body") << body;
        return sh(std::string(ORVIDA_PYTHON) +
                  " -c 'import base64, http.client, sys\n"
                  "c = http.client.HTTPConnection(\"127.0.0.1\", " +
                  std::to_string(serverPort) +
                  ", timeout=10)\n"
                  "h = {\"Authorization\": \"Basic \" + base64.b64encode(b\"user:none\").decode(),"
                  " \"Content-Type\": \"text/calendar; charset=utf-8\"}\n"
                  "c.request(\"" +
                  method + "\", \"" + path +
                  "\", open(\"body\", \"rb\").read(), h)\n"
                  "r = c.getresponse()\nprint(r.status)\nsys.stdout.write(r.read().decode())'");
    }

    void writeVdirsyncerConfig() {
        fs::create_directories(work + "/status");
        std::ofstream(work + "/vdirsyncer.conf")
            << "[general]\nstatus_path = \"" << work << "/status/\"\n"
            << "[pair calendar]\na = \"orvida\"\nb = \"server\"\ncollections = null\n"
            << "conflict_resolution = \"a wins\"\n"
            << "[storage orvida]\ntype = \"filesystem\"\npath = \"" << vdir
            << "/calendar/\"\nfileext = \".ics\"\n"
            << "[storage server]\ntype = \"caldav\"\nurl = \"http://127.0.0.1:" << serverPort
            << "/user/calendar/\"\nusername = \"user\"\npassword = \"none\"\n";
    }

    std::string work, vdir, orvidaConfig, data;
    pid_t serverPid = -1;
    int serverPort = 0;
};

// Taps an appointment "Lunch with Bob" at "Restaurant: Roma" today from 14:30 to 15:30.
void tapLunchWithBob(ovWizardDriver& d) {
    d.startWizard(u"Appointment");
    d.tapChild(u"Today");
    d.pickLeft(6); // 14
    d.toggle(1);   // :30
    d.next();
    d.next(); // one hour
    d.lunchWithBobAtRoma();
    d.tapScreen();
}

} // namespace

TEST_F(VdirPeers, ContactsFromKhardAndEventsFromKhalReachTheStoreAfterASync) {
    if (!installed("khal") || !installed("khard"))
        GTEST_SKIP() << "khal or khard is not installed (scripts/install-deps.sh installs them)";
    const Ran event = sh("khal new -l 'Main Street' 2026-12-10 14:00 15:00 Dentist");
    ASSERT_EQ(event.code, 0) << event.output;
    std::ofstream(work + "/carla.yaml") << "First name : Carla\nLast name : Diaz\nPhone :\n"
                                        << "    cell : \"+49 171 555000\"\n    work : \"030 1234\"\n"
                                        << "    home : \"030 9999\"\nEmail :\n    home : carla@example.org\n";
    const Ran contact = sh("khard new -a orvida -i carla.yaml");
    ASSERT_EQ(contact.code, 0) << contact.output;

    const Ran synced = pim({"sync"});
    ASSERT_EQ(synced.code, 0) << synced.output;
    EXPECT_EQ(synced.output, "added 2, changed 0, removed 0, written 0\n");
    const Ran appointments = pim({"list", "appointments"});
    EXPECT_NE(appointments.output.find("{\"start\":\"2026-12-10T14:00:00\",\"end\":\"2026-12-10T15:00:00\","
                                       "\"subject\":\"Dentist\",\"location\":\"Main Street\""),
              std::string::npos)
        << appointments.output;
    const Ran contacts = pim({"list", "contacts"});
    EXPECT_NE(
        contacts.output.find("\"home\":\"030 9999\",\"mobile\":\"+49 171 555000\",\"work\":\"030 1234\""),
        std::string::npos)
        << contacts.output;
    EXPECT_NE(contacts.output.find("\"email\":\"carla@example.org\""), std::string::npos) << contacts.output;
    EXPECT_NE(contacts.output.find("Carla"), std::string::npos) << contacts.output;
    EXPECT_NE(contacts.output.find("Diaz"), std::string::npos) << contacts.output;

    // Deleted in khal, gone from Orvida at the next sync.
    for (const auto& entry : fs::directory_iterator(vdir + "/calendar"))
        fs::remove(entry.path());
    EXPECT_EQ(pim({"sync"}).output, "added 0, changed 0, removed 1, written 0\n");
    EXPECT_EQ(pim({"list", "appointments"}).output, "");
}

TEST_F(VdirPeers, AnAppointmentAndAContactMadeByTapsShowInKhalAndKhard) {
    if (!installed("khal") || !installed("khard"))
        GTEST_SKIP() << "khal or khard is not installed (scripts/install-deps.sh installs them)";
    {
        ovWizardDriver d(240, 320, orvidaConfig);
        tapLunchWithBob(d);
        d.startWizard(u"New Contact");
        d.type("ann lee");
        d.ok();
        d.tapChild(u"Mobile Number");
        d.type("491701234567");
        d.ok();
        d.tapChild(u"FINISH");
        d.tapScreen();
        EXPECT_EQ(d.current()->nodeId, ovHomeScreenId);
    }
    const Ran khal = sh("khal list --format '{start-date} {start-time}-{end-time} {title} @ {location}' "
                        "2026-12-09 2d");
    EXPECT_EQ(khal.code, 0) << khal.output;
    EXPECT_NE(khal.output.find("2026-12-09 14:30-15:30 Lunch with Bob @ Restaurant: Roma"), std::string::npos)
        << khal.output;
    Ran khard = sh("khard phone --parsable");
    EXPECT_EQ(khard.code, 0) << khard.output;
    // khard shows the TYPE as the file spells it, and either spelling is right.
    std::transform(khard.output.begin(), khard.output.end(), khard.output.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_NE(khard.output.find("491701234567\tann lee\tcell"), std::string::npos) << khard.output;
}

TEST_F(VdirPeers, AppointmentsTravelBothWaysThroughVdirsyncerAndRadicale) {
    if (!installed("vdirsyncer") ||
        std::system((std::string(ORVIDA_PYTHON) + " -c 'import radicale' 2> /dev/null").c_str()) != 0)
        GTEST_SKIP() << "vdirsyncer or radicale is not installed (scripts/install-deps.sh installs them)";
    startServer();
    writeVdirsyncerConfig();
    ovWizardDriver d(480, 640, orvidaConfig);
    tapLunchWithBob(d);
    ASSERT_EQ(d.current()->nodeId, ovHomeScreenId);

    const Ran discovered = sh("vdirsyncer -c vdirsyncer.conf discover");
    ASSERT_EQ(discovered.code, 0) << discovered.output;
    const Ran up = sh("vdirsyncer -c vdirsyncer.conf sync");
    ASSERT_EQ(up.code, 0) << up.output;
    const Ran onServer = http("GET", "/user/calendar/", "");
    EXPECT_EQ(onServer.output.rfind("200", 0), 0u) << onServer.output;
    EXPECT_NE(onServer.output.find("SUMMARY:Lunch with Bob"), std::string::npos) << onServer.output;
    EXPECT_NE(onServer.output.find("LOCATION:Restaurant: Roma"), std::string::npos) << onServer.output;

    // Where a stand-up from 17:00 to 18:00 today stands on the home screen's time line.
    const ovRect strip = d.homeArea(ovHomeLayout::timeLine);
    const int y = (strip.top + strip.bottom) / 2;
    double now = 0, start = 0, end = 0;
    ASSERT_TRUE(ovSystemTimeToVariantTime(d.program().system().clock().localTime(), now));
    ASSERT_TRUE(ovSystemTimeToVariantTime({2026, 12, 0, 9, 17, 0}, start));
    ASSERT_TRUE(ovSystemTimeToVariantTime({2026, 12, 0, 9, 18, 0}, end));
    const double middle = ((start + end) / 2 - (now - 1.0)) / 2.0;
    const int x = strip.left + static_cast<int>((strip.right - strip.left) * middle);
    const ovColor before = d.program().app().backBuffer().frame().pixel(x, y);

    const Ran put = http("PUT", "/user/calendar/standup.ics",
                         "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//a web calendar//EN\r\nBEGIN:VEVENT\r\n"
                         "UID:standup-20261209\r\nDTSTAMP:20261209T090000Z\r\nDTSTART:20261209T170000Z\r\n"
                         "DTEND:20261209T180000Z\r\nSUMMARY:Standup\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    EXPECT_EQ(put.output.rfind("201", 0), 0u) << put.output;
    const Ran down = sh("vdirsyncer -c vdirsyncer.conf sync");
    ASSERT_EQ(down.code, 0) << down.output;
    // The store tool syncs while the program is closed; the program starts again on it.
    d.pim({"--config", orvidaConfig, "sync"});
    ASSERT_EQ(d.current()->nodeId, ovHomeScreenId);
    d.run(std::string("shot ") + work + "/timeline.png");
    if (const char* keep = std::getenv("ORVIDA_VDIR_SHOT"); keep != nullptr && *keep != 0)
        fs::copy_file(work + "/timeline.png", keep, fs::copy_options::overwrite_existing);
    // The program was started afresh: ask for its application again.
    EXPECT_NE(d.program().app().backBuffer().frame().pixel(x, y), before);
    EXPECT_NE(d.list("appointments")
                  .find("{\"start\":\"2026-12-09T17:00:00\",\"end\":\"2026-12-09T18:00:00\","
                        "\"subject\":\"Standup\""),
              std::string::npos);
}

TEST_F(VdirPeers, TheProgramReadsTheVdirAtStartAndNamesTheFileItLeftOut) {
    std::ofstream(vdir + "/calendar/dentist.ics")
        << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//another "
           "program//EN\r\nBEGIN:VEVENT\r\nUID:dentist-1\r\n"
           "DTSTAMP:20261201T100000Z\r\nDTSTART:20261209T160000Z\r\nDTEND:20261209T170000Z\r\nSUMMARY:"
           "Dentist\r\n"
           "END:VEVENT\r\nEND:VCALENDAR\r\n";
    std::ofstream(vdir + "/calendar/broken.ics") << "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nSUMMARY:cut off";
    ovWizardDriver d(240, 320, orvidaConfig);
    std::string told;
    for (const auto& message : d.program().system().messages())
        told += message.text + "\n";
    EXPECT_NE(told.find(vdir + "/calendar/broken.ics:"), std::string::npos) << told;
    EXPECT_EQ(told.find("dentist.ics"), std::string::npos) << told;
    EXPECT_NE(d.list("appointments")
                  .find("\"start\":\"2026-12-09T16:00:00\",\"end\":\"2026-12-09T17:00:00\","
                        "\"subject\":\"Dentist\""),
              std::string::npos);
    // The broken file is still there, as it was.
    EXPECT_TRUE(fs::exists(vdir + "/calendar/broken.ics"));
}

TEST_F(VdirPeers, AFolderThatCannotBeListedKeepsItsItemsUntilItCanBe) {
    // One event per file, as khal writes them, and one file of two, as a calendar exported whole.
    auto event = [](const std::string& uid, const std::string& summary) {
        return "BEGIN:VEVENT\r\nUID:" + uid +
               "\r\nDTSTAMP:20261201T100000Z\r\nDTSTART:20261210T140000Z\r\nDTEND:"
               "20261210T150000Z\r\nSUMMARY:" +
               summary + "\r\nEND:VEVENT\r\n";
    };
    const std::string head = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//another program//EN\r\n";
    std::ofstream(vdir + "/calendar/dentist.ics")
        << head << event("dentist-1", "Dentist") << "END:VCALENDAR\r\n";
    std::ofstream(vdir + "/calendar/exported.ics")
        << head << event("team-1", "Team") << event("gym-1", "Gym") << "END:VCALENDAR\r\n";
    ASSERT_EQ(pim({"sync"}).output, "added 3, changed 0, removed 0, written 0\n");

    // The user running the sync may not read the folder. Root reads every folder, so as
    // root the sync runs as nobody, on a tree nobody owns.
    fs::permissions(vdir + "/calendar", fs::perms::none);
    std::string asUser;
    if (geteuid() == 0) {
        ASSERT_EQ(sh("chown -R 65534:65534 '" + work + "'").code, 0);
        asUser = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    }
    const Ran refused =
        sh(asUser + ORVIDA_BIN_DIR "/orvida pim --data '" + data + "' --config '" + orvidaConfig + "' sync");
    fs::permissions(vdir + "/calendar", fs::perms::owner_all);
    EXPECT_NE(refused.output.find("added 0, changed 0, removed 0, written 0"), std::string::npos)
        << refused.output;
    EXPECT_NE(refused.output.find(vdir + "/calendar: cannot be listed"), std::string::npos) << refused.output;

    // Back, it finds every item where it was: nothing added again under a new id.
    EXPECT_EQ(pim({"sync"}).output, "added 0, changed 0, removed 0, written 0\n");
    const std::string listed = pim({"list", "appointments"}).output;
    EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), 3) << listed;
}

TEST_F(VdirPeers, ARepeatingEventKeepsItsRuleExceptionsAndOverridesThroughVdirsyncerAndRadicale) {
    if (!installed("vdirsyncer") ||
        std::system((std::string(ORVIDA_PYTHON) + " -c 'import radicale' 2> /dev/null").c_str()) != 0)
        GTEST_SKIP() << "vdirsyncer or radicale is not installed (scripts/install-deps.sh installs them)";
    startServer();
    writeVdirsyncerConfig();
    // Six weekly meetings; the third dropped, the second moved to the afternoon. One file
    // holds the series and its moved instance, as khal writes it.
    const std::string series =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//a calendar//EN\r\n"
        "BEGIN:VEVENT\r\nUID:team-weekly\r\nDTSTAMP:20261201T080000Z\r\nDTSTART:20261202T090000Z\r\n"
        "DTEND:20261202T100000Z\r\nSUMMARY:Team\r\nRRULE:FREQ=WEEKLY;COUNT=6\r\n"
        "EXDATE:20261216T090000Z\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:team-weekly\r\nDTSTAMP:20261201T080000Z\r\nRECURRENCE-ID:20261209T090000Z\r\n"
        "DTSTART:20261209T130000Z\r\nDTEND:20261209T140000Z\r\nSUMMARY:Team (moved)\r\nEND:VEVENT\r\n"
        "END:VCALENDAR\r\n";
    std::ofstream(vdir + "/calendar/team-weekly.ics", std::ios::binary) << series;
    ASSERT_EQ(pim({"sync"}).code, 0);

    ASSERT_EQ(sh("vdirsyncer -c vdirsyncer.conf discover").code, 0);
    const Ran up = sh("vdirsyncer -c vdirsyncer.conf sync");
    ASSERT_EQ(up.code, 0) << up.output;
    const Ran onServer = http("GET", "/user/calendar/team-weekly.ics", "");
    EXPECT_EQ(onServer.output.rfind("200", 0), 0u) << onServer.output;
    for (const char* kept : {"RRULE:FREQ=WEEKLY;COUNT=6", "EXDATE:20261216T090000Z",
                             "RECURRENCE-ID:20261209T090000Z", "SUMMARY:Team (moved)"})
        EXPECT_NE(onServer.output.find(kept), std::string::npos) << kept << "\n" << onServer.output;

    // Back from the server, through Orvida's sync and an edit of something else, the
    // file is as it was.
    ASSERT_EQ(pim({"add-appointment", "--subject", "Other", "--start", "2026-12-10T10:00:00", "--end",
                   "2026-12-10T11:00:00"})
                  .code,
              0);
    ASSERT_EQ(sh("vdirsyncer -c vdirsyncer.conf sync").code, 0);
    ASSERT_EQ(pim({"sync"}).code, 0);
    ASSERT_EQ(sh("vdirsyncer -c vdirsyncer.conf sync").code, 0);
    std::ifstream in(vdir + "/calendar/team-weekly.ics", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), series);

    const Ran listed =
        pim({"list", "appointments", "--from", "2026-12-01T00:00:00", "--to", "2027-01-08T00:00:00"});
    ASSERT_EQ(listed.code, 0) << listed.output;
    EXPECT_NE(listed.output.find("{\"start\":\"2026-12-09T13:00:00\",\"end\":\"2026-12-09T14:00:00\","
                                 "\"subject\":\"Team (moved)\""),
              std::string::npos)
        << listed.output;
    EXPECT_EQ(listed.output.find("2026-12-16T09:00:00"), std::string::npos) << listed.output;
    EXPECT_NE(listed.output.find("{\"start\":\"2027-01-06T09:00:00\""), std::string::npos) << listed.output;
}
