// `orvida pim import` and `orvida pim export`: what a user moving calendars and address
// books in and out of Orvida meets.
#include "hosts/pim/ovPimToolFixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr char kCalendar[] =
    "BEGIN:VCALENDAR\r\n"
    "VERSION:2.0\r\n"
    "PRODID:-//elsewhere//EN\r\n"
    "BEGIN:VEVENT\r\n"
    "UID:standup-1\r\n"
    "DTSTAMP:20261201T000000Z\r\n"
    "DTSTART:20261210T090000\r\n"
    "DTEND:20261210T091500\r\n"
    "SUMMARY:Stand-up\r\n"
    "CATEGORIES:WORK\r\n"
    "X-FOO:kept\r\n"
    "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:a\r\nTRIGGER:-PT5M\r\nEND:VALARM\r\n"
    "BEGIN:VALARM\r\nACTION:AUDIO\r\nTRIGGER:-PT1H\r\nX-SECOND-ALARM:yes\r\nEND:VALARM\r\n"
    "END:VEVENT\r\n"
    "BEGIN:VTODO\r\n"
    "UID:taxes-1\r\n"
    "SUMMARY:Taxes\r\n"
    "DUE:20261215T170000\r\n"
    "PRIORITY:1\r\n"
    "END:VTODO\r\n"
    "END:VCALENDAR\r\n";

constexpr char kCards[] = "BEGIN:VCARD\r\n"
                          "VERSION:3.0\r\n"
                          "UID:anna-1\r\n"
                          "N:Berg;Anna;;;\r\n"
                          "FN:Anna Berg\r\n"
                          "TEL;TYPE=CELL:+49 170 1\r\n"
                          "X-FOO:kept too\r\n"
                          "END:VCARD\r\n";

class ovPimImportExportTest : public ovPimToolFixture {
protected:
    std::string file(const std::string& name, const std::string& text) {
        const std::string path = root + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

} // namespace

TEST_F(ovPimImportExportTest, ImportedItemsKeepWhatTheStoreDoesNotHoldAndAreUpdatedNotDoubledByUid) {
    // Told apart by their content: the names say nothing.
    const std::string calendar = file("calendar.txt", kCalendar);
    const std::string cards = file("people.data", kCards);
    ASSERT_EQ(run({"import", calendar, cards}), 0) << errors;
    EXPECT_EQ(errors, "");
    ASSERT_EQ(run({"list", "appointments"}), 0);
    EXPECT_EQ(output,
              "{\"start\":\"2026-12-10T09:00:00\",\"end\":\"2026-12-10T09:15:00\",\"subject\":\"Stand-up\","
              "\"location\":\"\",\"duration\":15,\"reminderMinutes\":5,\"reminderSet\":true}\n");
    ASSERT_EQ(run({"list", "tasks"}), 0);
    EXPECT_EQ(output, "{\"subject\":\"Taxes\",\"importance\":2,\"start\":\"1899-12-30T00:00:00\","
                      "\"due\":\"2026-12-15T17:00:00\",\"reminder\":null,\"reminderSet\":false}\n");

    // The same items again, changed elsewhere: updated in place.
    std::string changed = kCalendar;
    changed.replace(changed.find("SUMMARY:Stand-up"), 16, "SUMMARY:Stand-up (moved)");
    ASSERT_EQ(run({"import", file("again.ics", changed), cards}), 0) << errors;
    ASSERT_EQ(run({"list", "appointments"}), 0);
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1);
    EXPECT_NE(output.find("Stand-up (moved)"), std::string::npos);
    ASSERT_EQ(run({"list", "contacts"}), 0);
    EXPECT_EQ(output, "{\"fileAs\":\"Berg\",\"firstName\":\"Anna\",\"home\":\"\",\"mobile\":\"+49 170 1\","
                      "\"work\":\"\",\"fax\":\"\",\"email\":\"\"}\n");

    const std::string exported = root + "/out/calendar.ics";
    fs::create_directories(root + "/out");
    ASSERT_EQ(run({"export", "--appointments", "--out", exported}), 0) << errors;
    EXPECT_EQ(output, "");
    const std::string ics = read(exported);
    for (const char* kept : {"UID:standup-1", "CATEGORIES:WORK", "X-FOO:kept", "X-SECOND-ALARM:yes",
                             "TRIGGER:-PT5M", "SUMMARY:Stand-up (moved)"})
        EXPECT_NE(ics.find(kept), std::string::npos) << kept << " lost:\n" << ics;
    // Nothing but the file is left in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(root + "/out"), fs::directory_iterator()), 1);
    ASSERT_EQ(run({"export", "--contacts"}), 0) << errors;
    EXPECT_NE(output.find("X-FOO:kept too"), std::string::npos) << output;

    // What is exported imports into another store as the same items.
    ASSERT_EQ(run({"export", "--tasks", "--out", root + "/out/tasks.ics"}), 0) << errors;
    data = root + "/second";
    ASSERT_EQ(run({"import", exported, root + "/out/tasks.ics"}), 0) << errors;
    ASSERT_EQ(run({"list", "appointments"}), 0);
    EXPECT_NE(output.find("\"subject\":\"Stand-up (moved)\""), std::string::npos);
    EXPECT_NE(output.find("\"reminderMinutes\":5"), std::string::npos);
    ASSERT_EQ(run({"list", "tasks"}), 0);
    EXPECT_NE(output.find("\"importance\":2"), std::string::npos);
}

TEST_F(ovPimImportExportTest, WhatCannotBeImportedIsNamedByFileAndLineAndTheRestIsImported) {
    std::string text = kCalendar;
    // The event loses its start; the task after it is still imported.
    text.replace(text.find("DTSTART:20261210T090000\r\n"), 25, "");
    const std::string broken = file("broken.ics", text);
    const std::string notes = file("notes.txt", "shopping list\nmilk\n");
    const std::string missing = root + "/missing.vcf";
    EXPECT_EQ(run({"import", broken, notes, missing}), 1);
    EXPECT_NE(errors.find(broken + ":4: the event has no DTSTART"), std::string::npos) << errors;
    EXPECT_NE(errors.find(notes + ":1: neither an iCalendar"), std::string::npos) << errors;
    EXPECT_NE(errors.find(missing + ": cannot read the file"), std::string::npos) << errors;
    ASSERT_EQ(run({"list", "tasks"}), 0);
    EXPECT_NE(output.find("Taxes"), std::string::npos);
    ASSERT_EQ(run({"list", "appointments"}), 0);
    EXPECT_EQ(output, "");

    // An old phone's cards carry no UID: importing them twice still gives each contact once.
    const std::string phone =
        file("phone.vcf", "BEGIN:VCARD\nVERSION:2.1\nN:Lund;Per\nTEL;CELL:0701\nEND:VCARD\n"
                          "BEGIN:VCARD\nVERSION:2.1\nN:Holm;Eva\nTEL;CELL:0702\nEND:VCARD\n");
    ASSERT_EQ(run({"import", phone}), 0) << errors;
    ASSERT_EQ(run({"import", phone}), 0) << errors;
    EXPECT_EQ(output, phone + ": added 0, updated 2, problems 0\n");
    ASSERT_EQ(run({"list", "contacts"}), 0);
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 2);

    // Bad usage is 2 and writes nothing.
    EXPECT_EQ(run({"import"}), 2);
    EXPECT_EQ(run({"export"}), 2);
    EXPECT_EQ(run({"export", "--tasks", "--contacts"}), 2);
    EXPECT_EQ(run({"export", "--tasks", "--out"}), 2);
    // A file that cannot be written is told and leaves no temporary file behind.
    const std::string old = file("kept.ics", "old contents");
    fs::permissions(root, fs::perms::owner_write, fs::perm_options::remove);
    const int code = run({"export", "--tasks", "--out", old});
    fs::permissions(root, fs::perms::owner_write, fs::perm_options::add);
    if (geteuid() != 0) { // root writes anywhere
        EXPECT_EQ(code, 1);
        EXPECT_NE(errors.find(old + ": cannot be written"), std::string::npos) << errors;
        EXPECT_EQ(read(old), "old contents");
    }
    EXPECT_EQ(run({"export", "--tasks", "--out", root + "/no/such/folder/x.ics"}), 1);
    EXPECT_NE(errors.find("no/such/folder/x.ics: cannot be written"), std::string::npos) << errors;
}

TEST_F(ovPimImportExportTest, ExportedCalendarsAndCardsAreReadByPythonsIcalendarAndVobject) {
    if (std::system((std::string(ORVIDA_PYTHON) + " -c 'import icalendar, vobject' 2>/dev/null").c_str()) !=
        0)
        GTEST_SKIP() << "python3-icalendar or python3-vobject is not installed";
    ASSERT_EQ(run({"import", file("c.ics", kCalendar), file("p.vcf", kCards)}), 0) << errors;
    ASSERT_EQ(run({"add-appointment", "--start", "2026-12-11T10:00:00", "--end", "2026-12-11T11:00:00",
                   "--subject", "Neu, mit Ümlaut; und Komma"}),
              0);
    ASSERT_EQ(run({"add-contact", "--file-as", "Øster, Åse", "--first", "Åse", "--mobile", "+47 1", "--email",
                   "aase@example.org"}),
              0);
    ASSERT_EQ(run({"export", "--appointments", "--out", root + "/a.ics"}), 0) << errors;
    ASSERT_EQ(run({"export", "--contacts", "--out", root + "/p.vcf"}), 0) << errors;
    const std::string script = root + "/check.py";
    file("check.py", "import sys, icalendar, vobject\n"
                     "cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())\n"
                     "print(sorted(str(e['SUMMARY']) for e in cal.walk('VEVENT')))\n"
                     "print(sorted(c.fn.value for c in vobject.readComponents(open(sys.argv[2]).read())))\n");
    const std::string command = std::string(ORVIDA_PYTHON) + " " + script + " " + root + "/a.ics " + root +
                                "/p.vcf > " + root + "/result.txt";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(read(root + "/result.txt"),
              "['Neu, mit Ümlaut; und Komma', 'Stand-up']\n['Anna Berg', 'Åse Øster']\n");
}

TEST_F(ovPimImportExportTest, ExportWritesThroughALinkIntoAPipeAndReplacesOnlyARegularFile) {
    ASSERT_EQ(run({"add-appointment", "--start", "2026-12-10T09:00:00", "--end", "2026-12-10T10:00:00",
                   "--subject", "Dentist"}),
              0)
        << errors;
    // A link to a file elsewhere (a dotfiles repository, a synced folder): the file changes,
    // the link stays a link.
    const std::string target = file("real.ics", "old contents");
    fs::create_symlink(target, root + "/link.ics");
    ASSERT_EQ(run({"export", "--appointments", "--out", root + "/link.ics"}), 0) << errors;
    EXPECT_TRUE(fs::is_symlink(root + "/link.ics"));
    EXPECT_NE(read(target).find("SUMMARY:Dentist"), std::string::npos) << read(target);

    // A pipe another program reads from (read here at once: the calendar fits its buffer).
    const std::string pipe = root + "/pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_EQ(run({"export", "--appointments", "--out", pipe}), 0) << errors;
    std::string streamed(65536, '\0');
    const ssize_t n = ::read(reader, streamed.data(), streamed.size());
    ::close(reader);
    streamed.resize(n > 0 ? static_cast<size_t>(n) : 0);
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_NE(streamed.find("SUMMARY:Dentist"), std::string::npos) << streamed;
}

TEST_F(ovPimImportExportTest, AroundTheClockChangesEventsKeepTheirMomentsAndASkippedTimeMovesForward) {
    // Berlin's clocks go forward on 29 March 2026 (02:00 -> 03:00) and back on 25 October (03:00 -> 02:00).
    const char* const was = std::getenv("TZ");
    const std::string saved = was != nullptr ? was : "";
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    struct Restore {
        const char* was;
        std::string saved;
        ~Restore() {
            if (was != nullptr)
                setenv("TZ", saved.c_str(), 1);
            else
                unsetenv("TZ");
            tzset();
        }
    } restore{was, saved};

    // Half an hour inside the repeated hour: 02:30 summer time to 02:00 winter time.
    const std::string repeated =
        file("repeated.ics", "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//EN\r\n"
                             "BEGIN:VEVENT\r\nUID:repeated-hour\r\n"
                             "DTSTART:20261025T003000Z\r\nDTEND:20261025T010000Z\r\n"
                             "SUMMARY:Night shift\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    ASSERT_EQ(run({"import", repeated}), 0) << errors;
    ASSERT_EQ(run({"list", "appointments"}), 0) << errors;
    EXPECT_NE(output.find("\"duration\":30"), std::string::npos) << output;

    // 02:30 on the night the clocks skip from 02:00 to 03:00: moved to 03:30, said, and still an hour long.
    ASSERT_EQ(run({"add-appointment", "--start", "2026-03-29T02:30:00", "--end", "2026-03-29T03:30:00",
                   "--subject", "Early train"}),
              0)
        << errors;
    EXPECT_NE(errors.find("2026-03-29T02:30:00"), std::string::npos) << errors;
    EXPECT_NE(errors.find("2026-03-29T03:30:00"), std::string::npos) << errors;

    const std::string out = root + "/out.ics";
    ASSERT_EQ(run({"export", "--appointments", "--out", out}), 0) << errors;
    const std::string text = read(out);
    EXPECT_NE(text.find("DTSTART:20261025T003000Z"), std::string::npos) << text;
    EXPECT_NE(text.find("DTEND:20261025T010000Z"), std::string::npos) << text;
    EXPECT_NE(text.find("DTSTART:20260329T013000Z"), std::string::npos) << text;
    EXPECT_NE(text.find("DTEND:20260329T023000Z"), std::string::npos) << text;
}
