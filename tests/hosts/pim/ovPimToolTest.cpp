#include "hosts/pim/ovPimToolFixture.h"
#include "support/ovCrashSoak.h"

#include "data/formats/ovVCardCodec.h"
#include "data/pim/ovPimContact.h"
#include "data/pim/ovPimStore.h"
#include "system/ovUtf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <random>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

class ovPimToolTest : public ovPimToolFixture {};

} // namespace

TEST_F(ovPimToolTest, ContactsRoundTripWithEveryProperty) {
    ASSERT_EQ(run({"add-contact", "--file-as", "Doe, Jane", "--first", "Jane", "--home", "01", "--mobile",
                   "02", "--work", "03", "--fax", "04", "--email", "jane@example.org"}),
              0)
        << errors;
    ASSERT_EQ(run({"add-contact", "--file-as=Adams"}), 0) << errors;
    ASSERT_EQ(run({"list", "contacts"}), 0) << errors;
    EXPECT_EQ(output, "{\"fileAs\":\"Adams\",\"firstName\":\"\",\"home\":\"\",\"mobile\":\"\",\"work\":\"\","
                      "\"fax\":\"\",\"email\":\"\"}\n"
                      "{\"fileAs\":\"Doe, Jane\",\"firstName\":\"Jane\",\"home\":\"01\",\"mobile\":\"02\","
                      "\"work\":\"03\",\"fax\":\"04\",\"email\":\"jane@example.org\"}\n");
}

TEST_F(ovPimToolTest, AppointmentsRoundTripInStartOrderWithIsoDates) {
    ASSERT_EQ(run({"add-appointment", "--start", "2024-05-02T14:30:00", "--end", "2024-05-02T16:00:00",
                   "--subject", "Review", "--location", "Room 4", "--reminder", "5"}),
              0)
        << errors;
    ASSERT_EQ(run({"add-appointment", "--start", "2024-05-01T09:00:00", "--end", "2024-05-01T09:00:00"}), 0)
        << errors;
    ASSERT_EQ(run({"list", "appointments"}), 0) << errors;
    EXPECT_EQ(output,
              "{\"start\":\"2024-05-01T09:00:00\",\"end\":\"2024-05-01T09:00:00\",\"subject\":\"\","
              "\"location\":\"\",\"duration\":0,\"reminderMinutes\":15,\"reminderSet\":true}\n"
              "{\"start\":\"2024-05-02T14:30:00\",\"end\":\"2024-05-02T16:00:00\",\"subject\":\"Review\","
              "\"location\":\"Room 4\",\"duration\":90,\"reminderMinutes\":5,\"reminderSet\":true}\n");
}

TEST_F(ovPimToolTest, TasksRoundTripWithReminderAsDateOrMinutes) {
    ASSERT_EQ(run({"add-task", "--start", "2024-05-02T09:15:00", "--due", "2024-05-02T10:15:00", "--subject",
                   "Pay rent", "--importance", "2", "--reminder", "15"}),
              0)
        << errors;
    ASSERT_EQ(run({"add-task", "--start", "2024-05-03T08:00:00", "--due", "2024-05-04T08:00:00", "--reminder",
                   "2024-05-03T07:00:00"}),
              0)
        << errors;
    ASSERT_EQ(run({"add-task", "--start", "2024-05-03T08:00:00", "--due", "2024-05-04T08:00:00"}), 0)
        << errors;
    ASSERT_EQ(run({"list", "tasks"}), 0) << errors;
    EXPECT_EQ(output, "{\"subject\":\"Pay rent\",\"importance\":2,\"start\":\"2024-05-02T09:15:00\",\"due\":"
                      "\"2024-05-02T10:15:00\",\"reminder\":\"2024-05-02T09:00:00\",\"reminderSet\":true}\n"
                      "{\"subject\":\"\",\"importance\":1,\"start\":\"2024-05-03T08:00:00\",\"due\":\"2024-"
                      "05-04T08:00:00\","
                      "\"reminder\":\"2024-05-03T07:00:00\",\"reminderSet\":true}\n"
                      "{\"subject\":\"\",\"importance\":1,\"start\":\"2024-05-03T08:00:00\",\"due\":\"2024-"
                      "05-04T08:00:00\","
                      "\"reminder\":null,\"reminderSet\":false}\n");
}

TEST_F(ovPimToolTest, TextsAreEscapedForJsonAndKeptAsUtf8) {
    ASSERT_EQ(run({"add-contact", "--file-as", "Say \"hi\"\\\n\tCafé ☕ 😀\x01"}), 0) << errors;
    ASSERT_EQ(run({"list", "contacts"}), 0);
    EXPECT_EQ(output.substr(0, output.find(",\"firstName\"")),
              "{\"fileAs\":\"Say \\\"hi\\\"\\\\\\n\\tCafé ☕ 😀\\u0001\"");
}

TEST_F(ovPimToolTest, BadCommandsOptionsAndDatesExitWithTwoAndWriteNothing) {
    const std::vector<std::vector<std::string>> refused = {
        {},
        {"frobnicate"},
        {"list"},
        {"list", "notes"},
        {"list", "contacts", "extra"},
        {"add-contact", "--nickname", "x"},
        {"add-contact", "--file-as"},
        {"add-contact", "--file-as", "\xFF\xFE"},
        {"add-appointment", "--start", "2024-05-01T09:00:00"},
        {"add-appointment", "--start", "tomorrow", "--end", "2024-05-01T09:00:00"},
        {"add-appointment", "--start", "2024-02-30T09:00:00", "--end", "2024-03-01T09:00:00"},
        {"add-appointment", "--start", "2024-05-01T09:00", "--end", "2024-05-01T10:00:00"},
        {"add-appointment", "--start", "2024-05-01T10:00:00", "--end", "2024-05-01T09:00:00"},
        {"add-appointment", "--start", "2024-05-01T09:00:00", "--end", "2024-05-01T10:00:00", "--reminder",
         "-5"},
        {"add-task", "--start", "2024-05-01T09:00:00", "--due", "2024-05-01T10:00:00", "--importance", "3"},
        {"add-task", "--start", "2024-05-01T09:00:00", "--due", "2024-05-01T10:00:00", "--reminder", "soon"},
        {"add-task", "--due", "2024-05-01T10:00:00"},
        // Signs and spaces where digits belong are not dates, however a number parser reads them.
        {"add-appointment", "--start", "+202-12-09T10:00:00", "--end", "2026-12-09T11:00:00"},
        {"add-appointment", "--start", "2026- 1-09T10:00:00", "--end", "2026-12-09T11:00:00"},
        {"add-appointment", "--start", " 2026-12-09T10:00:00", "--end", "2026-12-09T11:00:00"},
        {"add-task", "--start", "2026-12-09T10:00:00", "--due", "2026-12-09T11:00:+1"},
        // A reminder before the first day the store holds is refused before anything is written.
        {"add-task", "--start", "0100-01-01T00:10:00", "--due", "0100-01-02T00:00:00", "--reminder", "60"},
    };
    for (const auto& args : refused) {
        std::string shown;
        for (const auto& a : args)
            shown += a + " ";
        EXPECT_EQ(run(args), 2) << shown;
        EXPECT_NE(errors.find("orvida pim: "), std::string::npos) << shown;
        EXPECT_EQ(output, "") << shown;
    }
    EXPECT_FALSE(fs::exists(data)) << "a refused command must not create the store";

    std::ostringstream out, err;
    EXPECT_EQ(ovRunPimTool({"pim", "--verbose", "list", "contacts"}, out, err), 2);
    EXPECT_EQ(ovRunPimTool({"pim", "--data"}, out, err), 2);
}

TEST_F(ovPimToolTest, AStoreThatWillNotOpenExitsWithOneNamingTheFile) {
    fs::create_directories(data);
    std::ofstream(data + "/orvida.sqlite") << std::string(300, '#');
    EXPECT_EQ(run({"list", "contacts"}), 1);
    EXPECT_NE(errors.find(data + "/orvida.sqlite"), std::string::npos) << errors;
}

TEST_F(ovPimToolTest, ArgvEntryPrintsToStandardOutputAndFindsTheDefaultFolder) {
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string keep = saved != nullptr ? saved : "";
    setenv("XDG_DATA_HOME", root.c_str(), 1);
    std::vector<std::string> add = {"pim", "add-contact", "--file-as", "Default"};
    std::vector<std::string> list = {"pim", "list", "contacts"};
    auto argv = [](std::vector<std::string>& args) {
        std::vector<char*> out;
        for (auto& a : args)
            out.push_back(a.data());
        return out;
    };
    auto addArgv = argv(add);
    auto listArgv = argv(list);
    EXPECT_EQ(ovRunPimTool(static_cast<int>(addArgv.size()), addArgv.data()), 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(ovRunPimTool(static_cast<int>(listArgv.size()), listArgv.data()), 0);
    const std::string printed = testing::internal::GetCapturedStdout();
    if (saved != nullptr)
        setenv("XDG_DATA_HOME", keep.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
    EXPECT_TRUE(fs::exists(root + "/orvida/orvida.sqlite"));
    EXPECT_EQ(printed.substr(0, 22), "{\"fileAs\":\"Default\",\"f");
}

TEST_F(ovPimToolTest, AppointmentInTheLastHourTheStoreHoldsIsSavedWithItsOwnEnd) {
    ASSERT_EQ(run({"add-appointment", "--start", "9999-12-31T23:30:00", "--end", "9999-12-31T23:59:00",
                   "--subject", "Last"}),
              0)
        << errors;
    // Minutes before a start early in the calendar count back on the calendar.
    ASSERT_EQ(run({"add-task", "--start", "1800-01-02T00:30:00", "--due", "1800-01-03T00:00:00", "--reminder",
                   "60"}),
              0)
        << errors;
    ASSERT_EQ(run({"list", "appointments"}), 0) << errors;
    EXPECT_NE(output.find("\"start\":\"9999-12-31T23:30:00\",\"end\":\"9999-12-31T23:59:00\""),
              std::string::npos)
        << output;
    ASSERT_EQ(run({"list", "tasks"}), 0) << errors;
    EXPECT_NE(output.find("\"reminder\":\"1800-01-01T23:30:00\""), std::string::npos) << output;
}

// A crash soak: store-tool adds, three at a time, killed with SIGKILL at random moments.
// Every add that reported success is in the store afterwards, and the store is whole.
// ORVIDA_SOAK_RUNS sets the number of adds (300 by default).
TEST_F(ovPimToolTest, AddsKilledAtRandomMomentsLoseNoConfirmedSaveAndLeaveTheStoreWhole) {
    const char* runsText = std::getenv("ORVIDA_SOAK_RUNS");
    const int runs = runsText != nullptr ? std::atoi(runsText) : 300;
    std::mt19937 random(1209);
    const ovSoakOutcome soak = ovRunKilledAtRandom({runs}, random, [&](int i) {
        std::ostringstream out, err;
        return ovRunPimTool({"pim", "--data", data, "add-contact", "--file-as", "Soak " + std::to_string(i)},
                            out, err);
    });
    EXPECT_EQ(soak.failed, 0);
    ASSERT_EQ(run({"list", "contacts"}), 0) << errors;
    for (int i : soak.confirmed)
        EXPECT_NE(output.find("\"fileAs\":\"Soak " + std::to_string(i) + "\""), std::string::npos) << i;
    EXPECT_EQ(ovIntegrityOf(data + "/orvida.sqlite"), "ok");
    std::printf("soak: %d adds, %d killed before they finished, %zu confirmed saves, all present\n", runs,
                soak.kills, soak.confirmed.size());
}

TEST_F(ovPimToolTest, AddsKilledAtRandomWithAVdirLeaveEveryFileWholeAndTheStoreInStep) {
    const char* runsText = std::getenv("ORVIDA_SOAK_RUNS");
    const int runs = runsText != nullptr ? std::max(3, std::atoi(runsText) / 3) : 90;
    const std::string config = root + "/config";
    const std::string contacts = root + "/vdir/contacts";
    fs::create_directories(config);
    std::ofstream(config + "/orvida.conf") << "[vdir]\npath = " << root << "/vdir\n";
    // A first contact, so that some of the killed saves rewrite a file rather than make one.
    ASSERT_EQ(run({"--config", config, "add-contact", "--file-as", "Kept"}), 0) << errors;
    std::mt19937 random(1309);
    const ovSoakOutcome soak = ovRunKilledAtRandom({runs}, random, [&](int i) {
        std::ostringstream out, err;
        return ovRunPimTool({"pim", "--data", data, "--config", config, "add-contact", "--file-as",
                             "Soak " + std::to_string(i)},
                            out, err);
    });
    EXPECT_EQ(soak.failed, 0);
    // Every file there is whole: it reads as exactly one contact.
    std::set<std::string> inFiles;
    for (const auto& entry : fs::directory_iterator(contacts)) {
        const std::string name = entry.path().filename().string();
        if (name[0] == '.')
            continue; // a temporary a killed save left behind, never read
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        ovDecoded decoded = ovDecodeVCards(text.str());
        ASSERT_TRUE(decoded.problems.empty()) << name << ": " << decoded.problems.front().problem;
        ASSERT_EQ(decoded.items.size(), 1u) << name;
        inFiles.insert(ovToUtf8(ovPimItemCast<ovPimContact>(decoded.items[0].get())->fileAs()));
    }
    // After a sync the store holds exactly what the files hold, and every confirmed save.
    ASSERT_EQ(run({"--config", config, "sync"}), 0) << errors;
    ASSERT_EQ(run({"list", "contacts"}), 0) << errors;
    std::set<std::string> inStore;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        const size_t start = line.find("\"fileAs\":\"") + 10;
        inStore.insert(line.substr(start, line.find('"', start) - start));
    }
    EXPECT_EQ(inStore, inFiles);
    EXPECT_EQ(inStore.count("Kept"), 1u);
    for (int i : soak.confirmed)
        EXPECT_EQ(inStore.count("Soak " + std::to_string(i)), 1u) << i;
    std::printf("vdir soak: %d adds, %d killed, %zu confirmed, %zu files, store in step\n", runs, soak.kills,
                soak.confirmed.size(), inFiles.size());
}

// Syncs killed at random while they write the files of items made before the vdir, beside
// a file of three cards and a calendar folder they may not list. Every file is whole
// afterwards, the next sync finds every item once, and nothing of the other two is lost.
TEST_F(ovPimToolTest, SyncsKilledAtRandomWriteWholeFilesAndNoItemTwice) {
    const char* runsText = std::getenv("ORVIDA_SOAK_RUNS");
    const int runs = runsText != nullptr ? std::max(3, std::atoi(runsText) / 10) : 12;
    constexpr int kMadeBefore = 1500;
    const std::string config = root + "/config";
    const std::string vdir = root + "/vdir";
    fs::create_directories(config);
    fs::create_directories(vdir + "/calendar");
    fs::create_directories(vdir + "/contacts");
    std::ofstream(config + "/orvida.conf") << "[vdir]\npath = " << vdir << "\n";
    std::ofstream(vdir + "/calendar/dentist.ics")
        << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//another "
           "program//EN\r\nBEGIN:VEVENT\r\nUID:dentist-1\r\n"
           "DTSTAMP:20261201T100000Z\r\nDTSTART:20261210T140000Z\r\nDTEND:20261210T150000Z\r\nSUMMARY:"
           "Dentist\r\n"
           "END:VEVENT\r\nEND:VCALENDAR\r\n";
    ASSERT_EQ(run({"--config", config, "sync"}), 0) << errors;
    {
        std::shared_ptr<ovPimStore> store;
        ASSERT_TRUE(ovPimStore::open(data + "/orvida.sqlite", store));
        ASSERT_TRUE(store->beginBatch());
        for (int i = 0; i < kMadeBefore; ++i) {
            ovPimContact c(store);
            c.setFileAs(std::u16string(u"Before ") + ovToUtf16(std::to_string(i)));
            ASSERT_TRUE(c.save());
        }
        ASSERT_TRUE(store->commitBatch());
    }
    std::string group;
    for (const char* name : {"Ann", "Bob", "Cy"})
        group += std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:group-") + name + "\r\nN:" + name +
                 ";;;;\r\nFN:" + name + "\r\nEND:VCARD\r\n";
    std::ofstream(vdir + "/contacts/group.vcf", std::ios::binary) << group;
    // Root lists every folder: as root the syncs run as nobody, on a tree nobody owns.
    fs::permissions(vdir + "/calendar", fs::perms::none);
    if (geteuid() == 0) {
        ASSERT_EQ(std::system(("chown -R 65534:65534 '" + root + "'").c_str()), 0);
    }
    std::mt19937 random(1409);
    ovSoakPlan plan{runs};
    plan.killShare = 0.9;
    plan.maxDelayMicros = 150000;
    const ovSoakOutcome soak = ovRunKilledAtRandom(plan, random, [&](int) {
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0 ||
                               setresuid(65534, 65534, 65534) != 0))
            return 3;
        std::ostringstream out, err;
        // Each reports the folder it could not list (exit 1) when it is not killed.
        return ovRunPimTool({"pim", "--data", data, "--config", config, "sync"}, out, err);
    });
    fs::permissions(vdir + "/calendar", fs::perms::owner_all);
    EXPECT_EQ(soak.failed + soak.kills, runs);

    // Every file there is whole: one card each, and the three cards' file as it was.
    std::set<std::string> inFiles;
    for (const auto& entry : fs::directory_iterator(vdir + "/contacts")) {
        const std::string name = entry.path().filename().string();
        if (name[0] == '.')
            continue; // a temporary a killed sync left behind, never read
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        if (name == "group.vcf") {
            EXPECT_EQ(text.str(), group);
            continue;
        }
        ovDecoded decoded = ovDecodeVCards(text.str());
        ASSERT_TRUE(decoded.problems.empty()) << name << ": " << decoded.problems.front().problem;
        ASSERT_EQ(decoded.items.size(), 1u) << name;
        EXPECT_TRUE(
            inFiles.insert(ovToUtf8(ovPimItemCast<ovPimContact>(decoded.items[0].get())->fileAs())).second)
            << name;
    }
    // The next sync finishes the files and finds each item once, the calendar's as well.
    ASSERT_EQ(run({"--config", config, "sync"}), 0) << errors;
    ASSERT_EQ(run({"list", "contacts"}), 0) << errors;
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), kMadeBefore + 3) << output;
    ASSERT_EQ(run({"list", "appointments"}), 0) << errors;
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
    ASSERT_EQ(run({"--config", config, "sync"}), 0) << errors;
    EXPECT_EQ(output, "added 0, changed 0, removed 0, written 0\n");
    EXPECT_EQ(ovIntegrityOf(data + "/orvida.sqlite"), "ok");
    std::printf("sync soak: %d syncs, %d killed, %zu files whole before the last sync\n", runs, soak.kills,
                inFiles.size());
}

TEST_F(ovPimToolTest, SyncCountsWhatChangedAndNamesTheFilesItLeftAlone) {
    const std::string config = root + "/config";
    fs::create_directories(config);
    EXPECT_EQ(run({"--config", config, "sync"}), 1);
    EXPECT_NE(errors.find("has no [vdir] section"), std::string::npos) << errors;

    std::ofstream(config + "/orvida.conf") << "[vdir]\npath = " << root << "/vdir\ncontacts = people\n";
    fs::create_directories(root + "/vdir/people");
    std::ofstream(root + "/vdir/people/ann.vcf")
        << "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:ann\r\nN:Lee;Ann;;;\r\n"
           "FN:Ann Lee\r\nEND:VCARD\r\n";
    std::ofstream(root + "/vdir/people/cut.vcf") << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Cut";
    ASSERT_EQ(run({"add-contact", "--file-as", "Made before"}), 0) << errors;
    EXPECT_EQ(run({"--config", config, "sync"}), 1);
    EXPECT_EQ(output, "added 1, changed 0, removed 0, written 1\n");
    EXPECT_EQ(errors.rfind(root + "/vdir/people/cut.vcf:1: ", 0), 0u) << errors;
    EXPECT_NE(errors.find("orvida pim: 1 file was left as it is"), std::string::npos) << errors;
    // The next sync does not read the broken file again, and still names it.
    EXPECT_EQ(run({"--config", config, "sync"}), 1);
    EXPECT_EQ(output, "added 0, changed 0, removed 0, written 0\n");
    EXPECT_EQ(errors.rfind(root + "/vdir/people/cut.vcf:1: ", 0), 0u) << errors;
    EXPECT_NE(errors.find("\n1 file still unreadable, unchanged since an earlier sync"), std::string::npos)
        << errors;
    ASSERT_EQ(run({"list", "contacts"}), 0) << errors;
    EXPECT_NE(output.find("Ann"), std::string::npos) << output;
    EXPECT_NE(output.find("Made before"), std::string::npos) << output;
    // An event in a time zone no one knows comes in at local time, and the sync says so.
    std::ofstream(config + "/orvida.conf")
        << "[vdir]\npath = " << root << "/vdir\ncontacts = people\ncalendar = events\n";
    fs::create_directories(root + "/vdir/events");
    std::ofstream(root + "/vdir/events/far.ics")
        << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VEVENT\r\nUID:far\r\n"
           "DTSTART;TZID=Nowhere/Else:20261210T080000\r\nSUMMARY:Far\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    run({"--config", config, "sync"});
    EXPECT_NE(output.find("added 1,"), std::string::npos) << output;
    EXPECT_NE(errors.find(root + "/vdir/events/far.ics:4: warning: the time zone Nowhere/Else"),
              std::string::npos)
        << errors;
    // A broken [vdir] section stops every command that would save, naming the line.
    std::ofstream(config + "/orvida.conf") << "[vdir]\npath = relative\n";
    EXPECT_EQ(run({"--config", config, "add-contact", "--file-as", "Lost?"}), 1);
    EXPECT_NE(errors.find(config + "/orvida.conf:2: the vdir 'path' must be an absolute folder"),
              std::string::npos)
        << errors;
}
