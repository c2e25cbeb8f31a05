#include "data/pim/ovPimStore.h"
#include "data/pim/ovPimApplication.h"
#include "data/pim/ovPimAppointment.h"
#include "data/pim/ovPimContact.h"
#include "data/pim/ovPimItems.h"
#include "data/pim/ovPimTask.h"
#include "system/ovPaths.h"
#include "system/ovUtf.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "ovPimStoreTest-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempFolder() { fs::remove_all(path_); }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string readBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// Runs SQL on the file outside the store, as another program would.
void rawSql(const std::string& file, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

int64_t rawInt(const std::string& file, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    int64_t value = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : -1;
    sqlite3_finalize(s);
    sqlite3_close(db);
    return value;
}

template <class T> std::unique_ptr<T> create(ovPimApplication& app) {
    std::unique_ptr<ovPimItem> item;
    EXPECT_TRUE(app.createItem(static_cast<int>(T::kind), item));
    return std::unique_ptr<T>(ovPimItemCast<T>(item.release()));
}

std::unique_ptr<ovPimItems> folderItems(ovPimApplication& app, int folderId) {
    std::unique_ptr<ovPimFolder> folder;
    std::unique_ptr<ovPimItems> items;
    EXPECT_TRUE(app.getDefaultFolder(folderId, folder));
    if (folder) {
        EXPECT_TRUE(folder->items(items));
    }
    return items;
}

void addAppointment(ovPimApplication& app, double start, double end, const std::u16string& subject = u"") {
    auto a = create<ovPimAppointment>(app);
    ASSERT_TRUE(a->setStart(start));
    ASSERT_TRUE(a->setEnd(end));
    a->setSubject(subject);
    ASSERT_TRUE(a->save());
}

void addContact(ovPimApplication& app, const std::u16string& fileAs, const std::u16string& firstName) {
    auto c = create<ovPimContact>(app);
    c->setFileAs(fileAs);
    c->setFirstName(firstName);
    ASSERT_TRUE(c->save());
}

constexpr double kDay = 45000.0; // 2023-03-15
constexpr double kHour = 1.0 / 24;

class ovPimStoreTest : public ::testing::Test {
protected:
    TempFolder temp;
    std::string storeFile = temp.file("data/orvida/orvida.sqlite");
    ovPimApplication app;
};

} // namespace

TEST_F(ovPimStoreTest, NewStoreIsCreatedWithItsFoldersAndStampedAsOurs) {
    ASSERT_TRUE(app.logOn(storeFile));
    EXPECT_TRUE(app.loggedOn());
    EXPECT_EQ(app.storeFile(), storeFile);
    EXPECT_TRUE(fs::is_directory(temp.file("data/orvida")));
    app.logOff();
    EXPECT_EQ(rawInt(storeFile, "PRAGMA application_id"), ovPimStore::applicationId);
    EXPECT_EQ(rawInt(storeFile, "PRAGMA user_version"), ovPimStore::schemaVersion);
    EXPECT_EQ(rawInt(storeFile, "SELECT journal_mode = 'wal' FROM pragma_journal_mode"), 1);
    // Reopening an existing store works and keeps it as it is.
    EXPECT_TRUE(app.logOn(storeFile));
}

TEST_F(ovPimStoreTest, DeepFolderPathsAreCreatedOrRefusedWithoutExhaustingTheStack) {
    // As deep as the system takes: 1,900 levels below the temporary folder.
    std::string deep = temp.file("d");
    while (deep.size() < 3900)
        deep += "/a";
    ASSERT_TRUE(ovMakeFolders(deep));
    EXPECT_TRUE(fs::is_directory(deep));
    // The store itself takes names up to SQLite's limit, and says so beyond it.
    const std::string deepStore = deep.substr(0, 400) + "/orvida.sqlite";
    ASSERT_TRUE(app.logOn(deepStore));
    app.logOff();
    const ovResult<> longStore = app.logOn(deep + "/orvida.sqlite");
    ASSERT_FALSE(longStore);
    EXPECT_NE(longStore.reason().find("too long"), std::string::npos) << longStore.reason();

    // Far deeper than the system takes (this used to overflow the stack): a clear refusal.
    std::string tooDeep = temp.file("x");
    for (int i = 0; i < 300000; ++i)
        tooDeep += "/a";
    const ovResult<> r = ovMakeFolders(tooDeep);
    ASSERT_FALSE(r);
    EXPECT_NE(r.reason().find("too long"), std::string::npos) << r.reason();
    EXPECT_FALSE(fs::exists(temp.file("x")));
    EXPECT_FALSE(app.logOn(tooDeep + "/orvida.sqlite"));
    const ovResult<> longName = ovMakeFolders(temp.file(std::string(300, 'n')));
    ASSERT_FALSE(longName);
    EXPECT_NE(longName.reason().find("too long"), std::string::npos) << longName.reason();
}

TEST_F(ovPimStoreTest, DefaultDataFolderFollowsXdgDataHome) {
    const char* savedXdg = std::getenv("XDG_DATA_HOME");
    const char* savedHome = std::getenv("HOME");
    const std::string keepXdg = savedXdg != nullptr ? savedXdg : "";
    const std::string keepHome = savedHome != nullptr ? savedHome : "";
    setenv("XDG_DATA_HOME", "/srv/data", 1);
    EXPECT_EQ(ovDefaultDataFolder(), "/srv/data/orvida");
    // A relative XDG_DATA_HOME is ignored, as the base-directory rules ask.
    setenv("XDG_DATA_HOME", "relative/data", 1);
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(ovDefaultDataFolder(), "/home/someone/.local/share/orvida");
    EXPECT_EQ(ovPimStoreFileIn("/x/"), "/x/orvida.sqlite");
    if (savedXdg != nullptr)
        setenv("XDG_DATA_HOME", keepXdg.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
    if (savedHome != nullptr)
        setenv("HOME", keepHome.c_str(), 1);
    else
        unsetenv("HOME");
}

TEST_F(ovPimStoreTest, EveryPropertySurvivesReopeningAndNewItemsHaveTheDocumentedDefaults) {
    ASSERT_TRUE(app.logOn(storeFile));
    auto c = create<ovPimContact>(app);
    c->setFileAs(u"Dvořák, Antonín 😀");
    c->setFirstName(u"Antonín");
    c->setHomeTelephoneNumber(u"+420 1");
    c->setMobileTelephoneNumber(u"+420 2");
    c->setBusinessTelephoneNumber(u"+420 3");
    c->setBusinessFaxNumber(u"+420 4");
    c->setEmail1Address(u"a@example.org");
    ASSERT_TRUE(c->save());
    EXPECT_NE(c->id(), 0);

    auto a = create<ovPimAppointment>(app);
    EXPECT_EQ(a->duration(), 60);
    EXPECT_TRUE(a->reminderSet());
    EXPECT_EQ(a->reminderMinutesBeforeStart(), 15);
    ASSERT_TRUE(a->setStart(kDay + 14.5 * kHour));
    EXPECT_EQ(a->duration(), 60); // moving the start keeps the length
    a->setSubject(u"Lunch \"with\" Bob");
    a->setLocation(u"Restaurant: Roma");
    ASSERT_TRUE(a->setReminderMinutesBeforeStart(0));
    ASSERT_TRUE(a->save());

    auto t = create<ovPimTask>(app);
    EXPECT_EQ(t->importance(), 1);
    EXPECT_TRUE(t->reminderSet());
    t->setSubject(u"Pay rent");
    ASSERT_TRUE(t->setImportance(2));
    ASSERT_TRUE(t->setStartDate(kDay + 1));
    ASSERT_TRUE(t->setDueDate(kDay + 2));
    ASSERT_TRUE(t->setReminderTime(kDay + 0.5));
    t->setReminderSet(false);
    ASSERT_TRUE(t->save());
    auto empty = create<ovPimContact>(app);
    ASSERT_TRUE(empty->save());

    app.logOff();
    ASSERT_TRUE(app.logOn(storeFile));
    auto contacts = folderItems(app, ovPimFolderContacts);
    ASSERT_EQ(contacts->count(), 2);
    // "" files before "d".
    auto blank = contacts->itemAs<ovPimContact>(1);
    EXPECT_EQ(blank->fileAs(), u"");
    EXPECT_EQ(blank->email1Address(), u"");
    auto c2 = contacts->itemAs<ovPimContact>(2);
    EXPECT_EQ(c2->fileAs(), u"Dvořák, Antonín 😀");
    EXPECT_EQ(c2->firstName(), u"Antonín");
    EXPECT_EQ(c2->homeTelephoneNumber(), u"+420 1");
    EXPECT_EQ(c2->mobileTelephoneNumber(), u"+420 2");
    EXPECT_EQ(c2->businessTelephoneNumber(), u"+420 3");
    EXPECT_EQ(c2->businessFaxNumber(), u"+420 4");
    EXPECT_EQ(c2->email1Address(), u"a@example.org");

    auto appointments = folderItems(app, ovPimFolderCalendar);
    ASSERT_EQ(appointments->count(), 1);
    auto a2 = appointments->itemAs<ovPimAppointment>(1);
    EXPECT_DOUBLE_EQ(a2->start(), kDay + 14.5 * kHour);
    EXPECT_DOUBLE_EQ(a2->end(), kDay + 15.5 * kHour);
    EXPECT_EQ(a2->subject(), u"Lunch \"with\" Bob");
    EXPECT_EQ(a2->location(), u"Restaurant: Roma");
    EXPECT_EQ(a2->reminderMinutesBeforeStart(), 0);

    auto tasks = folderItems(app, ovPimFolderTasks);
    ASSERT_EQ(tasks->count(), 1);
    auto t2 = tasks->itemAs<ovPimTask>(1);
    EXPECT_EQ(t2->subject(), u"Pay rent");
    EXPECT_EQ(t2->importance(), 2);
    EXPECT_EQ(t2->startDate(), kDay + 1);
    EXPECT_EQ(t2->dueDate(), kDay + 2);
    EXPECT_EQ(t2->reminderTime(), kDay + 0.5);
    EXPECT_FALSE(t2->reminderSet());
}

TEST_F(ovPimStoreTest, SavingAgainUpdatesTheSameItem) {
    ASSERT_TRUE(app.logOn(storeFile));
    auto c = create<ovPimContact>(app);
    c->setFileAs(u"Before");
    ASSERT_TRUE(c->save());
    c->setFileAs(u"After");
    ASSERT_TRUE(c->save());
    auto contacts = folderItems(app, ovPimFolderContacts);
    ASSERT_EQ(contacts->count(), 1);
    EXPECT_EQ(contacts->itemAs<ovPimContact>(1)->fileAs(), u"After");
}

TEST_F(ovPimStoreTest, ABatchReachesTheStoreWholeOnCommitOrNotAtAll) {
    ASSERT_TRUE(app.logOn(storeFile));
    ovPimApplication other;
    ASSERT_TRUE(other.logOn(storeFile));
    ASSERT_TRUE(app.beginBatch());
    EXPECT_EQ(app.beginBatch().code<ovPimCode>(), ovPimCode::invalidArgument);
    addContact(app, u"One", u"");
    addContact(app, u"Two", u"");
    EXPECT_EQ(folderItems(other, ovPimFolderContacts)->count(), 0);
    ASSERT_TRUE(app.commitBatch());
    EXPECT_EQ(folderItems(other, ovPimFolderContacts)->count(), 2);

    ASSERT_TRUE(app.beginBatch());
    addContact(app, u"Dropped", u"");
    app.logOff();
    EXPECT_EQ(folderItems(other, ovPimFolderContacts)->count(), 2);
}

TEST_F(ovPimStoreTest, CollectionsAreNumberedFromOneAndTheCalendarIsInStartOrder) {
    ASSERT_TRUE(app.logOn(storeFile));
    addAppointment(app, kDay + 3 * kHour, kDay + 4 * kHour, u"third");
    addAppointment(app, kDay + 1 * kHour, kDay + 9 * kHour, u"first");
    addAppointment(app, kDay + 2 * kHour, kDay + 2 * kHour, u"second");
    addAppointment(app, kDay + 3 * kHour, kDay + 3 * kHour, u"fourth"); // same start: after the earlier one
    auto items = folderItems(app, ovPimFolderCalendar);
    ASSERT_EQ(items->count(), 4);
    EXPECT_EQ(items->item(0), nullptr);
    EXPECT_EQ(items->item(5), nullptr);
    const char16_t* expected[] = {u"first", u"second", u"third", u"fourth"};
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(items->itemAs<ovPimAppointment>(i)->subject(), expected[i - 1]) << i;
    // The collection is a snapshot and hands out copies.
    auto copy = items->itemAs<ovPimAppointment>(1);
    copy->setSubject(u"changed");
    EXPECT_EQ(items->itemAs<ovPimAppointment>(1)->subject(), u"first");
    EXPECT_EQ(items->itemAs<ovPimContact>(1), nullptr);
}

TEST_F(ovPimStoreTest, OverlapCollectionHoldsExactlyTheOverlappingAppointmentsInCalendarOrder) {
    ASSERT_TRUE(app.logOn(storeFile));
    std::mt19937 random(7);
    std::uniform_real_distribution<double> startIn(kDay, kDay + 20);
    std::uniform_int_distribution<int> minutes(0, 240);
    for (int i = 0; i < 300; ++i) {
        const double start = startIn(random);
        // Some very long ones, which begin long before the ranges they reach into.
        const double length = i % 25 == 0 ? 8.0 : minutes(random) / 1440.0;
        addAppointment(app, start, start + length);
    }
    // Edges exactly on the hour, where single-precision rounding would show.
    addAppointment(app, kDay + 9 * kHour, kDay + 10 * kHour);
    auto all = folderItems(app, ovPimFolderCalendar);
    std::unique_ptr<ovPimFolder> calendar;
    ASSERT_TRUE(app.getDefaultFolder(ovPimFolderCalendar, calendar));

    std::vector<std::pair<double, double>> ranges = {{kDay + 8 * kHour, kDay + 9 * kHour},
                                                     {kDay + 10 * kHour, kDay + 11 * kHour},
                                                     {kDay + 11 * kHour, kDay + 10 * kHour}};
    for (int i = 0; i < 40; ++i) {
        const double from = startIn(random);
        ranges.emplace_back(from, from + minutes(random) / 1440.0);
    }
    for (const auto& [from, to] : ranges) {
        std::vector<int64_t> expected, found;
        for (int i = 1; i <= all->count(); ++i) {
            const auto* a = ovPimItemCast<ovPimAppointment>(all->peek(i));
            if (a->start() <= std::max(from, to) && a->end() >= std::min(from, to))
                expected.push_back(a->id());
        }
        std::unique_ptr<ovPimItems> near;
        ASSERT_TRUE(calendar->itemsOverlapping(from, to, near));
        for (int i = 1; i <= near->count(); ++i)
            found.push_back(near->peek(i)->id());
        EXPECT_EQ(found, expected) << from << ".." << to;
    }
}

TEST_F(ovPimStoreTest, PrefixCollectionHoldsExactlyTheMatchingContactsInContactOrder) {
    ASSERT_TRUE(app.logOn(storeFile));
    const std::pair<std::u16string, std::u16string> names[] = {
        {u"Johnson", u""}, {u"Smith", u"Joanna"}, {u"JOE", u""},  {u"J", u"Jo"},  {u"Élodie", u""},
        {u"élan", u"Jo"},  {u"Zed", u"Zoë"},      {u"jo", u"jo"}, {u"", u"JOHN"}, {u"Ö", u""},
    };
    for (const auto& [fileAs, first] : names)
        addContact(app, fileAs, first);
    auto all = folderItems(app, ovPimFolderContacts);
    std::unique_ptr<ovPimFolder> folder;
    ASSERT_TRUE(app.getDefaultFolder(ovPimFolderContacts, folder));
    for (const std::u16string prefix : {u"jo", u"JO", u"É", u"éL", u"zoë", u"x", u"Jon", u"j", u"ö"}) {
        const std::u16string folded = ovFoldCase(prefix);
        auto begins = [&](const std::u16string& name) {
            return name.size() >= prefix.size() && ovFoldCase(name.substr(0, prefix.size())) == folded;
        };
        std::vector<int64_t> expected, found;
        for (int i = 1; i <= all->count(); ++i) {
            const auto* c = ovPimItemCast<ovPimContact>(all->peek(i));
            if (begins(c->fileAs()) || begins(c->firstName()))
                expected.push_back(c->id());
        }
        std::unique_ptr<ovPimItems> matching;
        ASSERT_TRUE(folder->itemsWithNamePrefix(prefix, matching));
        for (int i = 1; i <= matching->count(); ++i)
            found.push_back(matching->peek(i)->id());
        EXPECT_EQ(found, expected) << ovToUtf8(prefix);
    }
}

TEST_F(ovPimStoreTest, RefusedValuesLeaveTheItemAsItWas) {
    ASSERT_TRUE(app.logOn(storeFile));
    auto a = create<ovPimAppointment>(app);
    ASSERT_TRUE(a->setStart(kDay));
    EXPECT_EQ(a->setEnd(kDay - kHour).code<ovPimCode>(), ovPimCode::invalidArgument);
    EXPECT_EQ(a->setDuration(-1).code<ovPimCode>(), ovPimCode::invalidArgument);
    EXPECT_EQ(a->setStart(std::nan("")).code<ovPimCode>(), ovPimCode::invalidArgument);
    EXPECT_EQ(a->setStart(1e9).code<ovPimCode>(), ovPimCode::invalidArgument);
    EXPECT_EQ(a->setReminderMinutesBeforeStart(-5).code<ovPimCode>(), ovPimCode::invalidArgument);
    EXPECT_EQ(a->start(), kDay);
    EXPECT_EQ(a->duration(), 60);
    EXPECT_EQ(a->reminderMinutesBeforeStart(), 15);
    auto t = create<ovPimTask>(app);
    EXPECT_EQ(t->setImportance(3).code<ovPimCode>(), ovPimCode::invalidArgument);
    EXPECT_EQ(t->setImportance(-1).code<ovPimCode>(), ovPimCode::invalidArgument);
    EXPECT_EQ(t->importance(), 1);
    std::unique_ptr<ovPimItem> none;
    EXPECT_EQ(app.createItem(4, none).code<ovPimCode>(), ovPimCode::invalidArgument);
    std::unique_ptr<ovPimFolder> folder;
    EXPECT_EQ(app.getDefaultFolder(11, folder).code<ovPimCode>(), ovPimCode::invalidArgument);
    double date;
    EXPECT_FALSE(app.convertDate({2023, 2, 0, 29, 0, 0, 0, 0}, date));
}

TEST_F(ovPimStoreTest, ItemsOutliveTheStoreButCannotBeSavedAfterLogOff) {
    std::unique_ptr<ovPimFolder> folder;
    EXPECT_EQ(app.getDefaultFolder(ovPimFolderCalendar, folder).code<ovPimCode>(), ovPimCode::noStore);
    ASSERT_TRUE(app.logOn(storeFile));
    auto c = create<ovPimContact>(app);
    ASSERT_TRUE(app.getDefaultFolder(ovPimFolderContacts, folder));
    app.logOff();
    c->setFileAs(u"Kept");
    EXPECT_EQ(c->save().code<ovPimCode>(), ovPimCode::noStore);
    EXPECT_EQ(c->fileAs(), u"Kept");
    std::unique_ptr<ovPimItems> items;
    EXPECT_EQ(folder->items(items).code<ovPimCode>(), ovPimCode::noStore);
}

TEST_F(ovPimStoreTest, FilesThatAreNotOurStoreAreRefusedByNameAndLeftUntouched) {
    ASSERT_TRUE(ovMakeFolders(temp.file("data")));
    struct Case {
        const char* name;
        std::function<void(const std::string&)> make;
        ovPimCode code;
    };
    const Case cases[] = {
        {"text.sqlite",
         [](const std::string& f) { writeBytes(f, std::string(4096, 'x') + "not a database"); },
         ovPimCode::notAStore},
        {"short.sqlite", [](const std::string& f) { writeBytes(f, "SQLite format 3"); },
         ovPimCode::notAStore},
        {"foreign.sqlite",
         [](const std::string& f) {
             rawSql(f, "CREATE TABLE notes(body TEXT); INSERT INTO notes VALUES ('keep')");
         },
         ovPimCode::notAStore},
        {"other-app.sqlite", [](const std::string& f) { rawSql(f, "PRAGMA application_id = 1234"); },
         ovPimCode::notAStore},
        {"newer.sqlite",
         [](const std::string& f) {
             ovPimApplication maker;
             ASSERT_TRUE(maker.logOn(f));
             maker.logOff();
             rawSql(f, ("PRAGMA user_version = " + std::to_string(ovPimStore::schemaVersion + 1)).c_str());
         },
         ovPimCode::newerVersion},
    };
    for (const Case& c : cases) {
        const std::string file = temp.file(std::string("data/") + c.name);
        c.make(file);
        const std::string before = readBytes(file);
        const ovResult<> r = app.logOn(file);
        EXPECT_EQ(r.code<ovPimCode>(), c.code) << c.name;
        EXPECT_NE(r.reason().find(file), std::string::npos) << r.reason();
        EXPECT_FALSE(app.loggedOn());
        EXPECT_EQ(readBytes(file), before) << c.name;
        if (c.code == ovPimCode::newerVersion) {
            EXPECT_NE(r.reason().find("newer"), std::string::npos) << r.reason();
        }
    }
    // A file that is not SQLite is not even opened by SQLite: no journal files appear.
    EXPECT_FALSE(fs::exists(temp.file("data/text.sqlite-wal")));
    EXPECT_FALSE(fs::exists(temp.file("data/text.sqlite-shm")));
}

TEST_F(ovPimStoreTest, DamagedStoreGivesAnErrorNamingTheFileNotACrash) {
    ASSERT_TRUE(app.logOn(storeFile));
    for (int i = 0; i < 200; ++i)
        addContact(app, u"Contact " + std::u16string(50, u'x'), u"");
    app.logOff();
    std::string bytes = readBytes(storeFile);
    ASSERT_GT(bytes.size(), 3 * 4096u);
    std::fill(bytes.begin() + 4096, bytes.end(), '\x5A');
    writeBytes(storeFile, bytes);
    ovResult<> r = app.logOn(storeFile);
    if (r) {
        std::unique_ptr<ovPimFolder> folder;
        std::unique_ptr<ovPimItems> items;
        ASSERT_TRUE(app.getDefaultFolder(ovPimFolderContacts, folder));
        r = folder->items(items);
    }
    ASSERT_FALSE(r);
    EXPECT_NE(r.reason().find(storeFile), std::string::npos) << r.reason();
}

TEST_F(ovPimStoreTest, ASavedItemSurvivesKillMinusNineRightAfterTheSave) {
    // The child saves, tells the parent, and is killed before it can close anything.
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipeFds[0]);
        ovPimApplication childApp;
        if (!childApp.logOn(storeFile))
            _exit(3);
        std::unique_ptr<ovPimItem> item;
        if (!childApp.createItem(static_cast<int>(ovPimItemType::contact), item))
            _exit(3);
        auto* contact = ovPimItemCast<ovPimContact>(item.get());
        contact->setFileAs(u"Survivor");
        if (!contact->save())
            _exit(4);
        const char saved = 's';
        if (write(pipeFds[1], &saved, 1) != 1)
            _exit(5);
        for (;;)
            pause();
    }
    close(pipeFds[1]);
    char signal = 0;
    ASSERT_EQ(read(pipeFds[0], &signal, 1), 1) << "the child did not save";
    close(pipeFds[0]);
    ASSERT_EQ(kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

    ASSERT_TRUE(app.logOn(storeFile));
    auto contacts = folderItems(app, ovPimFolderContacts);
    ASSERT_EQ(contacts->count(), 1);
    EXPECT_EQ(contacts->itemAs<ovPimContact>(1)->fileAs(), u"Survivor");
}

// Six processes open one new store at the same moment, many times over: every one of
// them recognises or creates it, none calls it foreign or gives up on a lock.
TEST_F(ovPimStoreTest, SixProcessesOpeningOneNewStoreAtOnceAllSucceed) {
    constexpr int kRounds = 40;
    constexpr int kProcesses = 6;
    int failures = 0;
    for (int round = 0; round < kRounds; ++round) {
        const std::string file = temp.file("race/" + std::to_string(round) + "/orvida.sqlite");
        int gate[2];
        ASSERT_EQ(pipe(gate), 0);
        std::vector<pid_t> children;
        for (int i = 0; i < kProcesses; ++i) {
            const pid_t child = fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                close(gate[1]);
                char go;
                // Everyone starts when the parent closes its end.
                if (read(gate[0], &go, 1) != 0)
                    _exit(5);
                ovPimApplication childApp;
                const ovResult<> opened = childApp.logOn(file);
                if (!opened) {
                    std::fprintf(stderr, "%s\n", opened.reason().c_str());
                    _exit(1);
                }
                _exit(0);
            }
            children.push_back(child);
        }
        close(gate[0]);
        close(gate[1]);
        for (pid_t child : children) {
            int status = 0;
            ASSERT_EQ(waitpid(child, &status, 0), child);
            if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
                ++failures;
        }
        EXPECT_EQ(rawInt(file, "PRAGMA application_id"), ovPimStore::applicationId);
    }
    EXPECT_EQ(failures, 0);
}

// What kept a store from opening is said as it is: a store is not called foreign for
// being read-only, damaged or on a full disk, and a refused store leaves nothing beside it.
TEST_F(ovPimStoreTest, FailuresToOpenSayWhatHappenedAndLeaveNoStrayFiles) {
    ASSERT_TRUE(app.logOn(storeFile));
    for (int i = 0; i < 200; ++i) {
        std::unique_ptr<ovPimItem> item;
        ASSERT_TRUE(app.createItem(static_cast<int>(ovPimItemType::contact), item));
        ovPimItemCast<ovPimContact>(item.get())
            ->setFileAs(u"Someone with a long name to fill pages " + ovToUtf16(std::to_string(i)));
        ASSERT_TRUE(item->save());
    }
    app.logOff();

    // A damaged page in the middle of the store.
    {
        std::fstream f(storeFile, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(4096 * 3 + 100);
        const std::string junk(2000, '\x5A');
        f.write(junk.data(), static_cast<std::streamsize>(junk.size()));
    }
    const ovResult<> damaged = app.logOn(storeFile);
    ASSERT_FALSE(damaged);
    EXPECT_NE(damaged.reason().find("damaged"), std::string::npos) << damaged.reason();
    EXPECT_EQ(damaged.reason().find("not an Orvida store"), std::string::npos) << damaged.reason();
    EXPECT_FALSE(fs::exists(storeFile + "-wal"));
    EXPECT_FALSE(fs::exists(storeFile + "-shm"));

    // A folder the user may not write to (root may write anywhere: nothing to show then).
    if (geteuid() != 0) {
        const std::string locked = temp.file("locked");
        fs::create_directories(locked);
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
        const ovResult<> readOnly = app.logOn(locked + "/orvida.sqlite");
        fs::permissions(locked, fs::perms::owner_all);
        ASSERT_FALSE(readOnly);
        EXPECT_NE(readOnly.reason().find("permission"), std::string::npos) << readOnly.reason();
    }
}
