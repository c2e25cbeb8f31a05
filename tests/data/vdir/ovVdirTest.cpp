// The vdir as the store's source of truth: files written by another program reach the
// store, the store's saves reach the files, and nothing a user had is lost on the way.
#include "data/vdir/ovVdir.h"
#include "data/formats/ovICalendarCodec.h"
#include "data/formats/ovVCardCodec.h"
#include "data/pim/ovPimAppointment.h"
#include "data/pim/ovPimContact.h"
#include "data/pim/ovPimStore.h"
#include "data/pim/ovPimTask.h"
#include "system/ovUtf.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sqlite3.h>
#include <sstream>
#include <sys/stat.h>
#include <thread>

namespace fs = std::filesystem;

namespace {
std::string event(const std::string& uid, const std::string& summary,
                  const std::string& start = "20261210T140000", const std::string& end = "20261210T150000") {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//another program//EN\r\nBEGIN:VEVENT\r\nUID:" + uid +
           "\r\nDTSTAMP:20261201T100000Z\r\nDTSTART:" + start + "\r\nDTEND:" + end +
           "\r\nSUMMARY:" + summary + "\r\nX-FOO:kept\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

std::string todo(const std::string& uid, const std::string& summary) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//another program//EN\r\nBEGIN:VTODO\r\nUID:" + uid +
           "\r\nDTSTAMP:20261201T100000Z\r\nDTSTART:20261211T090000\r\nDUE:20261211T100000\r\nSUMMARY:" +
           summary + "\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
}

std::string card(const std::string& uid, const std::string& last, const std::string& mobile) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\nN:" + last + ";Ann;;;\r\nFN:Ann " + last +
           "\r\nTEL;TYPE=CELL:" + mobile + "\r\nEND:VCARD\r\n";
}

std::string readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& l : lines)
        all += l + "\n";
    return all;
}

class Vdir : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "ovVdir-XXXXXX").string();
        folder = mkdtemp(pattern.data());
        ASSERT_TRUE(ovPimStore::open((folder / "data" / "orvida.sqlite").string(), store));
    }
    void TearDown() override {
        store.reset();
        fs::remove_all(folder);
    }
    // The vdir as orvida.conf would name it, installed on the store.
    void attach(const std::string& tasksFolder = "tasks") {
        ovVdirSettings settings = ovParseVdirSettings("[vdir]\npath = " + (folder / "vdir").string() +
                                                          "\ntasks = " + tasksFolder + "\n",
                                                      "orvida.conf");
        ASSERT_TRUE(settings.enabled) << joined(settings.problems);
        vdir = std::make_shared<ovVdir>(settings);
        store->setSaveHook(vdir);
    }
    ovVdirSyncReport sync() {
        ovResult<ovVdirSyncReport> r = vdir->sync(*store);
        EXPECT_TRUE(r) << (r ? "" : r.reason());
        return r ? r.take() : ovVdirSyncReport{};
    }
    std::string counts() { return ovVdirCounts(sync()); }
    // Written as another program would: straight into place.
    void put(const std::string& relative, const std::string& text) {
        fs::create_directories((folder / "vdir" / relative).parent_path());
        std::ofstream(folder / "vdir" / relative, std::ios::binary) << text;
    }
    fs::path file(const std::string& relative) const { return folder / "vdir" / relative; }
    ovPimStore::ItemList appointments() {
        ovPimStore::ItemList list;
        EXPECT_TRUE(store->appointments(list));
        return list;
    }
    ovPimStore::ItemList contacts() {
        ovPimStore::ItemList list;
        EXPECT_TRUE(store->contacts(list));
        return list;
    }
    std::string subjectOf(const std::unique_ptr<ovPimItem>& item) {
        return ovToUtf8(ovPimItemCast<ovPimAppointment>(item.get())->subject());
    }
    // The folder's file names, hidden ones included.
    std::vector<std::string> names(const std::string& relative) const {
        std::vector<std::string> all;
        for (const auto& e : fs::directory_iterator(folder / "vdir" / relative))
            all.push_back(e.path().filename().string());
        std::sort(all.begin(), all.end());
        return all;
    }

    fs::path folder;
    std::shared_ptr<ovPimStore> store;
    std::shared_ptr<ovVdir> vdir;
};
} // namespace

TEST_F(Vdir, NewChangedTouchedAndRemovedFilesReachTheStore) {
    attach();
    put("calendar/dentist.ics", event("dentist-1", "Dentist"));
    put("contacts/ann.vcf", card("ann-1", "Lee", "+49 170 1234567"));
    EXPECT_EQ(counts(), "added 2, changed 0, removed 0, written 0");
    ASSERT_EQ(appointments().size(), 1u);
    const int64_t id = appointments()[0]->id();
    EXPECT_EQ(appointments()[0]->uid(), "dentist-1");
    ASSERT_EQ(contacts().size(), 1u);
    EXPECT_EQ(ovToUtf8(ovPimItemCast<ovPimContact>(contacts()[0].get())->mobileTelephoneNumber()),
              "+49 170 1234567");
    EXPECT_EQ(counts(), "added 0, changed 0, removed 0, written 0");

    // A touch without a change is no change; the item stays as it is.
    fs::last_write_time(file("calendar/dentist.ics"),
                        fs::last_write_time(file("calendar/dentist.ics")) + std::chrono::seconds(5));
    EXPECT_EQ(counts(), "added 0, changed 0, removed 0, written 0");

    // Same size, other content: still a change, the same item under the same file name.
    put("calendar/dentist.ics", event("dentist-1", "Dentixt"));
    EXPECT_EQ(counts(), "added 0, changed 1, removed 0, written 0");
    ASSERT_EQ(appointments().size(), 1u);
    EXPECT_EQ(appointments()[0]->id(), id);
    EXPECT_EQ(subjectOf(appointments()[0]), "Dentixt");
    EXPECT_EQ(names("calendar"), std::vector<std::string>{"dentist.ics"});

    fs::remove(file("contacts/ann.vcf"));
    EXPECT_EQ(counts(), "added 0, changed 0, removed 1, written 0");
    EXPECT_TRUE(contacts().empty());
    EXPECT_EQ(appointments().size(), 1u);
}

TEST_F(Vdir, ABrokenFileIsNamedAndTheItemItHeldStays) {
    attach();
    put("calendar/dentist.ics", event("dentist-1", "Dentist"));
    put("calendar/.dentist.ics.swp", "half written by an editor");
    // What a save killed before its rename left, long ago, and what one is writing now;
    // other programs' hidden files, however old, are theirs.
    const auto longAgo = fs::file_time_type::clock::now() - std::chrono::hours(2);
    put("calendar/.dentist.ics.orvida-Ab12Cd.tmp", "BEGIN:VCALENDAR");
    fs::last_write_time(file("calendar/.dentist.ics.orvida-Ab12Cd.tmp"), longAgo);
    put("calendar/.dentist.ics.orvida-Xy34Zw.tmp", "BEGIN:VCALENDAR");
    for (const char* theirs : {"calendar/.notes.ics.backup", "calendar/.dentist.ics.Ab12Cd"}) {
        put(theirs, "kept");
        fs::last_write_time(file(theirs), longAgo);
    }
    put("calendar/notes.txt", "not a calendar file");
    EXPECT_EQ(counts(), "added 1, changed 0, removed 0, written 0");
    EXPECT_EQ(names("calendar"), (std::vector<std::string>{
                                     ".dentist.ics.Ab12Cd", ".dentist.ics.orvida-Xy34Zw.tmp",
                                     ".dentist.ics.swp", ".notes.ics.backup", "dentist.ics", "notes.txt"}));

    put("calendar/dentist.ics", "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:dentist-1\r\n"
                                "DTSTART:not a date\r\nSUMMARY:Broken\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    put("calendar/new.ics", "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nSUMMARY:no end in sight\r\n");
    const ovVdirSyncReport report = sync();
    EXPECT_EQ(ovVdirCounts(report), "added 0, changed 0, removed 0, written 0");
    ASSERT_GE(report.problems.size(), 2u) << joined(report.problems);
    const std::string all = joined(report.problems);
    // Each named with a line of its own text.
    for (const char* name : {"calendar/dentist.ics:", "calendar/new.ics:"}) {
        const size_t at = all.find(file(name).string());
        ASSERT_NE(at, std::string::npos) << all;
        EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(all[at + file(name).string().size()]))) << all;
    }
    ASSERT_EQ(appointments().size(), 1u);
    EXPECT_EQ(subjectOf(appointments()[0]), "Dentist");

    // Mended, it comes in at the next sync.
    put("calendar/dentist.ics", event("dentist-1", "Dentist at ten"));
    sync();
    EXPECT_EQ(subjectOf(appointments()[0]), "Dentist at ten");
}

TEST_F(Vdir, AFileThatCannotBeReadIsReadAgainOnlyOnceItChanges) {
    attach();
    put("calendar/dentist.ics", event("dentist-1", "Dentist"));
    put("calendar/broken.ics", "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nSUMMARY:no end in sight\r\n");
    put("contacts/huge.vcf", card("huge-1", std::string(9 << 20, 'x'), "+49 170 1234567"));
    const std::string broken = file("calendar/broken.ics").string();
    const std::string huge = file("contacts/huge.vcf").string();
    ovVdirSyncReport first = sync();
    EXPECT_EQ(ovVdirCounts(first), "added 1, changed 0, removed 0, written 0");
    // The broken calendar twice (no END:VEVENT, no END:VCALENDAR), the card once.
    ASSERT_EQ(first.problems.size(), 3u) << joined(first.problems);
    EXPECT_TRUE(first.unchanged.empty());
    EXPECT_EQ(first.problems[0].rfind(broken + ":", 0), 0u) << joined(first.problems);
    EXPECT_EQ(first.problems[2].rfind(huge + ": is larger than", 0), 0u) << joined(first.problems);

    // Not read again, at the next sync nor at the next start; still named, with the reason.
    auto expectSkipped = [&](const ovVdirSyncReport& report) {
        EXPECT_TRUE(report.problems.empty()) << joined(report.problems);
        EXPECT_EQ(report.unchanged,
                  (std::vector<std::string>{first.problems[0] + " (and 1 more)", first.problems[2]}));
    };
    expectSkipped(sync());
    store.reset();
    ASSERT_TRUE(ovPimStore::open((folder / "data" / "orvida.sqlite").string(), store));
    attach();
    expectSkipped(sync());

    // A store of the version before knows no unreadable files: upgraded in place, it reads
    // them once more and remembers them from then on.
    store.reset();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((folder / "data" / "orvida.sqlite").c_str(), &db), SQLITE_OK);
    EXPECT_EQ(
        sqlite3_exec(db, "DROP TABLE vdir_unreadable; PRAGMA user_version = 5;", nullptr, nullptr, nullptr),
        SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);
    ASSERT_TRUE(ovPimStore::open((folder / "data" / "orvida.sqlite").string(), store));
    attach();
    EXPECT_EQ(sync().problems, first.problems);
    expectSkipped(sync());

    // Changed, it is read again: still broken, it is named afresh; mended, it comes in.
    put("calendar/broken.ics", "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nSUMMARY:still no end\r\n");
    const ovVdirSyncReport again = sync();
    ASSERT_FALSE(again.problems.empty());
    for (const std::string& p : again.problems)
        EXPECT_EQ(p.rfind(broken + ":", 0), 0u) << p;
    EXPECT_EQ(again.unchanged.size(), 1u);
    put("calendar/broken.ics", event("mended-1", "Mended"));
    fs::remove(file("contacts/huge.vcf"));
    EXPECT_EQ(counts(), "added 1, changed 0, removed 0, written 0");
    const ovVdirSyncReport after = sync();
    EXPECT_TRUE(after.problems.empty() && after.unchanged.empty()) << joined(after.unchanged);
    EXPECT_EQ(appointments().size(), 2u);
}

TEST_F(Vdir, ItemsMadeBeforeTheVdirGetFilesAndEverySaveRewritesItsOwnFile) {
    std::unique_ptr<ovPimItem> made;
    {
        auto a = std::make_unique<ovPimAppointment>();
        ASSERT_TRUE(a->setStart(46366.5)); // 2026-12-10 12:00
        a->setSubject(u"Lunch with Bob");
        ASSERT_TRUE(store->add(*a));
        made = std::move(a);
    }
    attach();
    EXPECT_EQ(counts(), "added 0, changed 0, removed 0, written 1");
    const std::string uid = appointments()[0]->uid();
    ASSERT_FALSE(uid.empty());
    const std::string name = uid + ".ics";
    ASSERT_EQ(names("calendar"), std::vector<std::string>{name});
    ovDecoded decoded = ovDecodeICalendar(readAll(file("calendar/" + name)));
    ASSERT_EQ(decoded.items.size(), 1u);
    EXPECT_EQ(ovToUtf8(ovPimItemCast<ovPimAppointment>(decoded.items[0].get())->subject()), "Lunch with Bob");

    // An edit from another program keeps what it added (X-FOO) through Orvida's own save.
    put("calendar/" + name, event(uid, "Lunch with Bob and Sue"));
    sync();
    ovPimStore::ItemList list = appointments();
    auto* a = ovPimItemCast<ovPimAppointment>(list[0].get());
    a->setLocation(u"Roma");
    ASSERT_TRUE(a->save());
    EXPECT_EQ(names("calendar"), std::vector<std::string>{name});
    const std::string text = readAll(file("calendar/" + name));
    EXPECT_NE(text.find("Roma"), std::string::npos) << text;
    EXPECT_NE(text.find("X-FOO:kept"), std::string::npos) << text;
    EXPECT_NE(text.find("UID:" + uid), std::string::npos) << text;
    // Our own write is known: the next sync reads nothing again.
    EXPECT_EQ(counts(), "added 0, changed 0, removed 0, written 0");

    // Another program edits the file after our last read: a save from the old copy would
    // lose that edit, so it fails and the file keeps the edit.
    put("calendar/" + name, event(uid, "Lunch moved by khal"));
    a->setLocation(u"Napoli");
    const ovResult<> stale = a->save();
    ASSERT_FALSE(stale);
    EXPECT_NE(stale.reason().find("was changed by another program"), std::string::npos) << stale.reason();
    EXPECT_NE(readAll(file("calendar/" + name)).find("Lunch moved by khal"), std::string::npos);
    sync();
    EXPECT_EQ(subjectOf(appointments()[0]), "Lunch moved by khal");

    // A new contact gets a file named by its UID.
    ovPimContact c(store);
    c.setFileAs(u"Lee");
    c.setMobileTelephoneNumber(u"0170 1");
    ASSERT_TRUE(c.save());
    EXPECT_EQ(names("contacts"), std::vector<std::string>{c.uid() + ".vcf"});

    // Removing an item removes its file.
    ASSERT_TRUE(store->removeItem(ovPimItemType::contact, c.id()));
    EXPECT_TRUE(names("contacts").empty());
}

TEST_F(Vdir, ASaveWhoseFileCannotBeWrittenFailsAndTheStoreKeepsNothingOfIt) {
    attach();
    put("calendar/dentist.ics", event("dentist-1", "Dentist"));
    sync();
    // The calendar folder replaced by a plain file (a disk gone, a mistake): no file can be made.
    fs::remove_all(file("calendar"));
    std::ofstream(file("calendar")) << "in the way";
    ovPimAppointment a(store);
    ASSERT_TRUE(a.setStart(46366.5));
    a.setSubject(u"Never saved");
    const ovResult<> saved = a.save();
    ASSERT_FALSE(saved);
    EXPECT_NE(saved.reason().find(file("calendar").string()), std::string::npos) << saved.reason();
    ovPimStore::ItemList list = appointments();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(subjectOf(list[0]), "Dentist");

    // The sync that follows keeps the item whose folder is gone, and says why.
    const ovVdirSyncReport report = sync();
    EXPECT_EQ(ovVdirCounts(report), "added 0, changed 0, removed 0, written 0");
    EXPECT_NE(joined(report.problems).find("the folder is missing"), std::string::npos)
        << joined(report.problems);
    EXPECT_EQ(appointments().size(), 1u);
}

TEST_F(Vdir, EventsAndToDosShareOneCalendarFolderAsKhalKeepsThem) {
    attach("calendar");
    put("calendar/e.ics", event("e-1", "Dentist"));
    put("calendar/t.ics", todo("t-1", "Pay Rent"));
    EXPECT_EQ(counts(), "added 2, changed 0, removed 0, written 0");
    ovPimStore::ItemList tasks;
    ASSERT_TRUE(store->tasks(tasks));
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(ovToUtf8(ovPimItemCast<ovPimTask>(tasks[0].get())->subject()), "Pay Rent");
    EXPECT_EQ(appointments().size(), 1u);

    ovPimTask t(store);
    t.setSubject(u"Water plants");
    ASSERT_TRUE(t.save());
    EXPECT_TRUE(fs::exists(file("calendar/" + t.uid() + ".ics")));
    EXPECT_FALSE(fs::exists(file("tasks")));
    EXPECT_EQ(counts(), "added 0, changed 0, removed 0, written 0");

    // A file renamed by another program keeps its item.
    const int64_t id = appointments()[0]->id();
    fs::rename(file("calendar/e.ics"), file("calendar/renamed.ics"));
    EXPECT_EQ(counts(), "added 0, changed 1, removed 0, written 0");
    ASSERT_EQ(appointments().size(), 1u);
    EXPECT_EQ(appointments()[0]->id(), id);

    // A second file with a UID already taken is left out, not fought over.
    put("calendar/copy.ics", event("e-1", "Copy"));
    const ovVdirSyncReport report = sync();
    EXPECT_NE(joined(report.problems).find("copy.ics: has the UID of"), std::string::npos)
        << joined(report.problems);
    EXPECT_EQ(subjectOf(appointments()[0]), "Dentist");
    EXPECT_EQ(counts(), "added 0, changed 0, removed 0, written 0");
}

TEST_F(Vdir, EveryItemOfAFileHoldingSeveralComesInAndNoneIsDroppedFromIt) {
    attach();
    // Three events in one file, as a calendar exported whole; three cards in one file.
    auto threeEvents = [](const std::string& thirdSummary) {
        std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//another program//EN\r\n";
        for (const auto& [uid, summary] :
             {std::pair<std::string, std::string>{"m-1", "One"}, {"m-2", "Two"}, {"m-3", thirdSummary}})
            text += "BEGIN:VEVENT\r\nUID:" + uid +
                    "\r\nDTSTAMP:20261201T100000Z\r\nDTSTART:20261210T140000\r\nDTEND:20261210T150000"
                    "\r\nSUMMARY:" +
                    summary + "\r\nEND:VEVENT\r\n";
        return text + "END:VCALENDAR\r\n";
    };
    put("calendar/all.ics", threeEvents("Three"));
    put("contacts/book.vcf", card("c-1", "Lee", "1") + card("c-2", "Kim", "2") + card("c-3", "Ray", "3"));
    EXPECT_EQ(counts(), "added 6, changed 0, removed 0, written 0");
    ASSERT_EQ(appointments().size(), 3u);
    ASSERT_EQ(contacts().size(), 3u);
    EXPECT_EQ(counts(), "added 0, changed 0, removed 0, written 0");

    // Writing one back would drop the other two from the disk: refused, and said.
    const std::string before = readAll(file("calendar/all.ics"));
    ovPimStore::ItemList list = appointments();
    auto* a = ovPimItemCast<ovPimAppointment>(list[0].get());
    a->setLocation(u"Roma");
    const ovResult<> saved = a->save();
    ASSERT_FALSE(saved);
    EXPECT_NE(saved.reason().find("holds 3 items"), std::string::npos) << saved.reason();
    const ovResult<> removed = store->removeItem(ovPimItemType::contact, contacts()[0]->id());
    ASSERT_FALSE(removed);
    EXPECT_NE(removed.reason().find("book.vcf: holds 3 items"), std::string::npos) << removed.reason();
    EXPECT_EQ(readAll(file("calendar/all.ics")), before);
    EXPECT_EQ(contacts().size(), 3u);
    EXPECT_EQ(names("contacts"), std::vector<std::string>{"book.vcf"});

    // Another program edits one item and drops another: the third keeps its id.
    int64_t oneId = 0;
    for (const auto& item : appointments())
        oneId = item->uid() == "m-1" ? item->id() : oneId;
    std::string edited = threeEvents("Three later");
    const size_t second = edited.find("BEGIN:VEVENT\r\nUID:m-2");
    edited.erase(second, edited.find("END:VEVENT\r\n", second) + 12 - second);
    put("calendar/all.ics", edited);
    EXPECT_EQ(counts(), "added 0, changed 2, removed 1, written 0");
    list = appointments();
    ASSERT_EQ(list.size(), 2u);
    for (const auto& item : list) {
        if (item->uid() == "m-1")
            EXPECT_EQ(item->id(), oneId);
        else
            EXPECT_EQ(subjectOf(item), "Three later");
    }
}

TEST_F(Vdir, FilesWithAByteOrderMarkOrOldMacLineEndsAreRead) {
    attach();
    auto crOnly = [](std::string text) {
        std::erase(text, '\n');
        return text;
    };
    put("calendar/bom.ics", "\xEF\xBB\xBF" + event("bom-1", "Marked"));
    put("calendar/mac.ics", crOnly(event("mac-1", "Old Mac")));
    put("contacts/bom.vcf", "\xEF\xBB\xBF" + card("bom-2", "Lee", "1"));
    put("contacts/mac.vcf", crOnly(card("mac-2", "Kim", "2")));
    const ovVdirSyncReport report = sync();
    EXPECT_EQ(ovVdirCounts(report), "added 4, changed 0, removed 0, written 0") << joined(report.problems);
    std::vector<std::string> subjects;
    for (const auto& item : appointments())
        subjects.push_back(subjectOf(item));
    std::sort(subjects.begin(), subjects.end());
    EXPECT_EQ(subjects, (std::vector<std::string>{"Marked", "Old Mac"}));
    std::vector<std::string> uids;
    for (const auto& item : contacts())
        uids.push_back(item->uid());
    std::sort(uids.begin(), uids.end());
    EXPECT_EQ(uids, (std::vector<std::string>{"bom-2", "mac-2"}));
}

TEST_F(Vdir, AChangeThatKeepsSizeAndModificationTimeIsStillSeen) {
    attach();
    put("calendar/dentist.ics", event("dentist-1", "Dentist"));
    sync();
    // As cp -p or touch -d leave it: other bytes, the same size and time.
    const auto stamp = fs::last_write_time(file("calendar/dentist.ics"));
    put("calendar/dentist.ics", event("dentist-1", "Dentixt"));
    fs::last_write_time(file("calendar/dentist.ics"), stamp);
    EXPECT_EQ(counts(), "added 0, changed 1, removed 0, written 0");
    EXPECT_EQ(subjectOf(appointments()[0]), "Dentixt");

    // Orvida's own save is known by its stamp and not read again.
    ovPimStore::ItemList list = appointments();
    ovPimItemCast<ovPimAppointment>(list[0].get())->setLocation(u"Roma");
    ASSERT_TRUE(list[0]->save());
    EXPECT_EQ(counts(), "added 0, changed 0, removed 0, written 0");
    ovPimVdirFile row;
    ASSERT_TRUE(store->vdirFileOf(ovPimItemType::appointment, list[0]->id(), row));
    struct stat st {};
    ASSERT_EQ(::stat(file("calendar/dentist.ics").c_str(), &st), 0);
    EXPECT_EQ(row.ctimeNs, static_cast<int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec);
}

TEST_F(Vdir, AWriterBesideALongSyncGetsInBetweenItsPiecesNotAfterTheWhole) {
    // A reminder run or a save in another process beside the first sync of a large vdir.
    attach();
    constexpr size_t kFiles = 1000;
    fs::create_directories(folder / "vdir" / "calendar");
    for (size_t i = 0; i < kFiles; ++i) {
        // Appended rather than "e" + to_string(i): GCC 12's Release build warns wrongly on that shape.
        std::string uid = "e";
        uid += std::to_string(i);
        std::string subject = "Event ";
        subject += std::to_string(i);
        std::ofstream(folder / "vdir" / "calendar" / (uid + ".ics")) << event(uid, subject);
    }
    std::shared_ptr<ovPimStore> other;
    ASSERT_TRUE(ovPimStore::open((folder / "data" / "orvida.sqlite").string(), other));

    std::atomic<size_t> reached{0};
    std::atomic<bool> finished{false};
    vdir->setProgress([&](size_t done, size_t) {
        reached = done;
        return true;
    });
    ovResult<ovVdirSyncReport> synced = ovFail("not run");
    std::thread syncing([&] {
        synced = vdir->sync(*store);
        finished = true;
    });
    while (reached < 10 && !finished)
        std::this_thread::yield();
    ovPimAppointment a(other);
    a.setSubject(u"Saved beside the sync");
    const ovResult<> saved = a.save();
    const size_t savedAt = reached;
    syncing.join();
    ASSERT_TRUE(synced) << synced.reason();
    EXPECT_TRUE(saved) << saved.reason();
    EXPECT_LT(savedAt, kFiles);
    EXPECT_EQ(synced.value().added, static_cast<int>(kFiles));
}

TEST_F(Vdir, FilesForItemsMadeBeforeTheVdirAreWrittenInPiecesAWriterGetsInBetween) {
    // A large store given a vdir: the sync's last step writes a file for every item.
    constexpr int kItems = 1500;
    ASSERT_TRUE(store->beginBatch());
    for (int i = 0; i < kItems; ++i) {
        ovPimAppointment a(store);
        ASSERT_TRUE(a.setStart(46000 + i / 24.0));
        a.setSubject(u"Made before");
        ASSERT_TRUE(a.save());
    }
    ASSERT_TRUE(store->commitBatch());
    attach();
    std::shared_ptr<ovPimStore> other;
    ASSERT_TRUE(ovPimStore::open((folder / "data" / "orvida.sqlite").string(), other));
    auto written = [&] {
        std::error_code ec;
        size_t n = 0;
        for (fs::directory_iterator it(folder / "vdir" / "calendar", ec), end; !ec && it != end;
             it.increment(ec))
            n += it->path().extension() == ".ics" ? 1 : 0;
        return n;
    };
    std::atomic<bool> finished{false};
    ovResult<ovVdirSyncReport> synced = ovFail("not run");
    std::thread syncing([&] {
        synced = vdir->sync(*store);
        finished = true;
    });
    while (written() == 0 && !finished)
        std::this_thread::yield();
    ovPimAppointment a(other);
    a.setSubject(u"Saved beside the sync");
    const ovResult<> saved = a.save();
    const size_t writtenAtSave = written();
    syncing.join();
    ASSERT_TRUE(synced) << synced.reason();
    EXPECT_TRUE(saved) << saved.reason();
    EXPECT_LT(writtenAtSave, static_cast<size_t>(kItems));
    EXPECT_EQ(synced.value().written, kItems);
    EXPECT_TRUE(synced.value().problems.empty()) << joined(synced.value().problems);
    // Each file whole, no temporary left, and the next sync finds them all in step (the
    // item saved beside the sync, by a connection without the vdir, gets its file now).
    EXPECT_EQ(names("calendar").size(), static_cast<size_t>(kItems));
    EXPECT_EQ(counts(), "added 0, changed 0, removed 0, written 1");
    EXPECT_EQ(appointments().size(), static_cast<size_t>(kItems + 1));
}
