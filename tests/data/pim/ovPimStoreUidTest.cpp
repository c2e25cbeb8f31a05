// The store's uids, its save hook, removal, and the upgrade to the store version that
// brought them.
#include "data/pim/ovPimAppointment.h"
#include "data/pim/ovPimContact.h"
#include "data/pim/ovPimStore.h"
#include "data/pim/ovPimTask.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <regex>
#include <set>

namespace fs = std::filesystem;

namespace {

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "ovPimStoreUidTest-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempFolder() { fs::remove_all(path_); }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void rawSql(const std::string& file, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

// Records what it was told and fails when asked to.
class RecordingHook : public ovPimSaveHook {
public:
    ovResult<> beforeSave(ovPimStore&, const ovPimItem& item) override {
        saved.push_back({item.id(), item.uid()});
        if (failSaves)
            return ovFail("the vdir file cannot be written: disk full");
        return {};
    }
    ovResult<> beforeRemove(ovPimStore&, ovPimItemType, int64_t id) override {
        removed.push_back(id);
        if (failRemovals)
            return ovFail("the vdir file cannot be deleted");
        return {};
    }
    std::vector<std::pair<int64_t, std::string>> saved;
    std::vector<int64_t> removed;
    bool failSaves = false;
    bool failRemovals = false;
};

class ovPimStoreUidTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ovPimStore::open(file, store)); }
    size_t count(ovPimItemType kind) {
        ovPimStore::ItemList items;
        EXPECT_TRUE(kind == ovPimItemType::contact       ? store->contacts(items)
                    : kind == ovPimItemType::appointment ? store->appointments(items)
                                                         : store->tasks(items));
        return items.size();
    }
    TempFolder temp;
    std::string file = temp.file("orvida.sqlite");
    std::shared_ptr<ovPimStore> store;
};

} // namespace

TEST_F(ovPimStoreUidTest, SavedItemsGetDistinctUuidsAndKeepTheirUidAndSourceText) {
    const std::regex uuid("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}");
    std::set<std::string> seen;
    for (int i = 0; i < 20; ++i) {
        ovPimContact c(store);
        ASSERT_TRUE(c.save());
        EXPECT_TRUE(std::regex_match(c.uid(), uuid)) << c.uid();
        seen.insert(c.uid());
    }
    EXPECT_EQ(seen.size(), 20u);

    ovPimTask t(store);
    t.setUid("task-1@example.org");
    t.setSourceText("BEGIN:VCALENDAR\r\nX-FOO:bar\r\nEND:VCALENDAR\r\n");
    ASSERT_TRUE(t.save());
    const int64_t id = t.id();
    store.reset();
    ASSERT_TRUE(ovPimStore::open(file, store));
    std::unique_ptr<ovPimItem> found;
    ASSERT_TRUE(store->findByUid(ovPimItemType::task, "task-1@example.org", found).value());
    EXPECT_EQ(found->id(), id);
    EXPECT_EQ(found->sourceText(), "BEGIN:VCALENDAR\r\nX-FOO:bar\r\nEND:VCALENDAR\r\n");
    // A uid is looked up within its kind only.
    EXPECT_FALSE(store->findByUid(ovPimItemType::appointment, "task-1@example.org", found).value());
    EXPECT_EQ(found, nullptr);
}

TEST_F(ovPimStoreUidTest, AVersionTwoStoreIsUpgradedKeepingItsItemsWhichGetAUidWhenNextSaved) {
    ovPimAppointment a(store);
    ASSERT_TRUE(a.setStart(46000.5));
    a.setSubject(u"Kept");
    ASSERT_TRUE(a.save());
    ovPimContact c(store);
    c.setFileAs(u"Kept, Contact");
    ASSERT_TRUE(c.save());
    store.reset();
    // Make the file what the previous version of the store wrote.
    rawSql(file, "DROP TABLE vdir_unreadable; DROP TABLE occurrences; DROP TABLE occurrence_spans; DROP "
                 "TABLE occurrence_window; DROP "
                 "INDEX appointments_repeating; "
                 "ALTER TABLE appointments DROP COLUMN repeats; "
                 "DROP TABLE vdir_files; DROP INDEX contacts_by_uid; DROP INDEX appointments_by_uid; "
                 "DROP INDEX tasks_by_uid; ALTER TABLE contacts DROP COLUMN uid; "
                 "ALTER TABLE contacts DROP COLUMN source; ALTER TABLE appointments DROP COLUMN uid; "
                 "ALTER TABLE appointments DROP COLUMN source; ALTER TABLE tasks DROP COLUMN uid; "
                 "ALTER TABLE tasks DROP COLUMN source; PRAGMA user_version = 2;");

    ASSERT_TRUE(ovPimStore::open(file, store));
    ovPimStore::ItemList items;
    ASSERT_TRUE(store->appointments(items));
    ASSERT_EQ(items.size(), 1u);
    auto* kept = ovPimItemCast<ovPimAppointment>(items[0].get());
    EXPECT_EQ(kept->subject(), u"Kept");
    EXPECT_EQ(kept->start(), 46000.5);
    EXPECT_EQ(kept->uid(), "");
    ASSERT_TRUE(kept->save());
    EXPECT_NE(kept->uid(), "");
    std::unique_ptr<ovPimItem> found;
    ASSERT_TRUE(store->findByUid(ovPimItemType::appointment, kept->uid(), found).value());
    EXPECT_EQ(found->id(), kept->id());
    EXPECT_EQ(count(ovPimItemType::contact), 1u);
    std::vector<ovPimVdirFile> files;
    EXPECT_TRUE(store->vdirFiles(files));
}

TEST_F(ovPimStoreUidTest, AFailingHookLeavesTheStoreAsItWasAlsoInsideABatch) {
    auto hook = std::make_shared<RecordingHook>();
    store->setSaveHook(hook);
    ovPimContact c(store);
    c.setFileAs(u"First");
    ASSERT_TRUE(c.save());
    ASSERT_EQ(hook->saved.size(), 1u);
    // The hook sees the new item with its id and uid already set.
    EXPECT_EQ(hook->saved[0].first, c.id());
    EXPECT_EQ(hook->saved[0].second, c.uid());

    hook->failSaves = true;
    ovPimContact refused(store);
    ovResult<> r = refused.save();
    ASSERT_FALSE(r);
    EXPECT_NE(r.reason().find("disk full"), std::string::npos);
    EXPECT_EQ(refused.id(), 0);
    c.setFileAs(u"Changed");
    EXPECT_FALSE(c.save());
    ovPimStore::ItemList items;
    ASSERT_TRUE(store->contacts(items));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(ovPimItemCast<ovPimContact>(items[0].get())->fileAs(), u"First");

    // In a batch, the refused save is undone and the others still commit.
    ASSERT_TRUE(store->beginBatch());
    hook->failSaves = false;
    ovPimTask one(store);
    ASSERT_TRUE(one.save());
    hook->failSaves = true;
    ovPimTask two(store);
    EXPECT_FALSE(two.save());
    hook->failSaves = false;
    ovPimTask three(store);
    ASSERT_TRUE(three.save());
    ASSERT_TRUE(store->commitBatch());
    EXPECT_EQ(count(ovPimItemType::task), 2u);
}

TEST_F(ovPimStoreUidTest, RemovingAnItemTakesItsRemindersAndIndexRowAndAFailingHookKeepsIt) {
    auto hook = std::make_shared<RecordingHook>();
    store->setSaveHook(hook);
    ovPimAppointment a(store);
    ASSERT_TRUE(a.setStart(46000.5));
    ASSERT_TRUE(a.save());
    ovPimReminder reminder;
    reminder.kind = ovPimItemType::appointment;
    reminder.itemId = a.id();
    reminder.due = a.start() - 15 / 1440.0;
    ASSERT_TRUE(store->claimReminder(reminder, a.start()).value());
    ASSERT_TRUE(store->putVdirFile({ovPimItemType::appointment, a.id(), "calendar/a.ics", 1, 2, "d"}));

    hook->failRemovals = true;
    EXPECT_FALSE(store->removeItem(ovPimItemType::appointment, a.id()));
    EXPECT_EQ(count(ovPimItemType::appointment), 1u);
    std::vector<ovPimVdirFile> files;
    ASSERT_TRUE(store->vdirFiles(files));
    EXPECT_EQ(files.size(), 1u);

    hook->failRemovals = false;
    ASSERT_TRUE(store->removeItem(ovPimItemType::appointment, a.id()));
    EXPECT_EQ(hook->removed, (std::vector<int64_t>{a.id(), a.id()}));
    EXPECT_EQ(count(ovPimItemType::appointment), 0u);
    ASSERT_TRUE(store->vdirFiles(files));
    EXPECT_TRUE(files.empty());
    // The fired reminder went with it: a new item given the old id would not stay silent.
    EXPECT_TRUE(store->claimReminder(reminder, a.start()).value());
    ovResult<> again = store->removeItem(ovPimItemType::appointment, a.id());
    ASSERT_FALSE(again);
    EXPECT_NE(again.reason().find("not in the store"), std::string::npos);
}

TEST_F(ovPimStoreUidTest, ADetachedItemIsAddedOnceAndThenReplacedByItsUid) {
    ovPimContact decoded;
    decoded.setUid("anna@example.org");
    decoded.setFileAs(u"Berg, Anna");
    ASSERT_FALSE(store->addOrReplaceByUid(decoded).value());
    const int64_t id = decoded.id();

    ovPimContact again;
    again.setUid("anna@example.org");
    again.setFileAs(u"Berg-Lund, Anna");
    ASSERT_TRUE(store->addOrReplaceByUid(again).value());
    EXPECT_EQ(again.id(), id);
    ovPimStore::ItemList items;
    ASSERT_TRUE(store->contacts(items));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(ovPimItemCast<ovPimContact>(items[0].get())->fileAs(), u"Berg-Lund, Anna");
    // Once attached, the item saves like any other.
    again.setFirstName(u"Anna");
    EXPECT_TRUE(again.save());

    ovPimContact copy;
    copy.setUid("anna@example.org");
    ASSERT_TRUE(store->add(copy));
    EXPECT_NE(copy.id(), id);
    EXPECT_EQ(count(ovPimItemType::contact), 2u);
}

TEST_F(ovPimStoreUidTest, AListedItemKeepsItsTextWhenSavedOrAddedToAnotherStore) {
    // Lists leave the text in the store until it is asked for; a save or a copy must not
    // write the item back without it.
    const std::string text = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\r\nX-KEPT:yes\r\nEND:VCARD\r\n";
    ovPimContact c(store);
    c.setFileAs(u"Ann");
    c.setSourceText(text);
    ASSERT_TRUE(c.save());
    ovPimStore::ItemList items;
    ASSERT_TRUE(store->contacts(items));
    ASSERT_EQ(items.size(), 1u);
    auto* listed = ovPimItemCast<ovPimContact>(items[0].get());
    listed->setFileAs(u"Ann B");
    ASSERT_TRUE(listed->save());

    std::shared_ptr<ovPimStore> other;
    ASSERT_TRUE(ovPimStore::open(temp.file("other.sqlite"), other));
    ASSERT_TRUE(store->contacts(items));
    ASSERT_TRUE(other->add(*items[0]));
    for (const auto& s : {store, other}) {
        ASSERT_TRUE(s->contacts(items));
        ASSERT_EQ(items.size(), 1u);
        EXPECT_EQ(ovPimItemCast<ovPimContact>(items[0].get())->fileAs(), u"Ann B");
        EXPECT_EQ(items[0]->sourceText(), text);
    }
}
