#pragma once
// The store itself: one SQLite file holding contacts, appointments and tasks. The
// application object, folders and collections are the faces its clients see; this is
// where the SQL lives.
//
// The file is checked before anything is written to it: a file that is not a SQLite
// database, a SQLite database of another program, or a store of a newer schema version
// is refused with a message naming it, and left exactly as it was.
#include "data/pim/ovPimCode.h"
#include "data/pim/ovPimItem.h"
#include "data/pim/ovPimOccurrenceSource.h"
#include "data/pim/ovPimReminder.h"
#include "data/pim/ovPimSaveHook.h"
#include "data/pim/ovPimTaskSeries.h"
#include "data/pim/ovPimUnreadableFile.h"
#include "data/pim/ovPimVdirFile.h"
#include "data/pim/ovSqliteDatabase.h"
#include "data/pim/ovSqliteStatement.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class ovPimAppointment;
class ovPimContact;
class ovPimTask;

class ovPimStore : public std::enable_shared_from_this<ovPimStore> {
public:
    // Kept in the file's user_version; a file with a larger number is refused.
    // Older stores are upgraded in place when opened.
    static constexpr int schemaVersion = 6;
    // Kept in the file's application_id: "Orvd".
    static constexpr int32_t applicationId = 0x4F727664;

    using ItemList = std::vector<std::unique_ptr<ovPimItem>>;

    // Opens the store file, creating it (and its folder) when missing.
    static ovResult<> open(const std::string& file, std::shared_ptr<ovPimStore>& out);
    ~ovPimStore();
    ovPimStore(const ovPimStore&) = delete;
    ovPimStore& operator=(const ovPimStore&) = delete;

    const std::string& file() const { return db_.file(); }

    // The calendar in ascending start order (ties in the order they were added).
    ovResult<> appointments(ItemList& out);
    // Every appointment with start <= to and end >= from, in the calendar's order: a
    // repeating series as its instances (isOccurrence) rather than itself.
    ovResult<> appointmentsOverlapping(double from, double to, ItemList& out);
    // Only the instances of repeating series among them.
    ovResult<> occurrencesOverlapping(double from, double to, ItemList& out);
    // Lets the store read repeating appointments' rules (see ovPimOccurrenceSource); rows
    // not yet read are settled at once.
    void setOccurrenceSource(std::shared_ptr<ovPimOccurrenceSource> source);
    // Contacts by file-as name, compared case-folded, ties in the order they were added.
    ovResult<> contacts(ItemList& out);
    // Every contact whose case-folded file-as name or first name begins with the
    // case-folded text (and possibly a few more), in the contacts' order.
    ovResult<> contactsWithNamePrefix(std::u16string_view text, ItemList& out);
    // Tasks in the order they were added.
    ovResult<> tasks(ItemList& out);
    // The dates the task shows at `now`: for a repeating one (when the store reads rules)
    // those of its instance next due; otherwise its own.
    ovPimTaskDates taskDatesAt(const ovPimTask& task, double now);

    // Groups the saves that follow into one transaction, for seeding many items at once.
    // Nothing of it is on disk before commitBatch returns success.
    ovResult<> beginBatch();
    ovResult<> commitBatch();
    void cancelBatch();

    // Reminders not yet fired whose due time is within from..to (edges included), the
    // earliest first, at most `limit` of them.
    ovResult<> reminders(double from, double to, size_t limit, std::vector<ovPimReminder>& out);
    // Notes the reminder as fired at firedAt. True when this call noted it; false when it
    // had fired already (another process may have fired it a moment before).
    ovResult<bool> claimReminder(const ovPimReminder& reminder, double firedAt);
    // The same for several reminders in one transaction: `claimed` tells, per reminder,
    // whether this call noted it. Nothing is noted when it fails. Several processes
    // firing at once take turns here rather than fail.
    ovResult<> claimReminders(const std::vector<ovPimReminder>& reminders, double firedAt,
                              std::vector<bool>& claimed);
    // Changes whenever the store's contents may have changed, through this connection
    // or another process.
    ovResult<uint64_t> changeStamp();

    ovResult<> saveAppointment(ovPimAppointment& item);
    ovResult<> saveContact(ovPimContact& item);
    ovResult<> saveTask(ovPimTask& item);

    // The item of the kind with that uid (the first added when, against the rule, two
    // have it): true and `out` set when there is one, false and `out` null when not.
    ovResult<bool> findByUid(ovPimItemType kind, std::string_view uid, std::unique_ptr<ovPimItem>& out);
    // The iCalendar or vCard text of the item of the kind with that id. The lists and
    // finds above leave it out; an item reads it through here when it is first asked for.
    ovResult<> sourceTextOf(ovPimItemType kind, int64_t id, std::string& out);
    // The item of the kind with that id, the same way.
    ovResult<bool> findById(ovPimItemType kind, int64_t id, std::unique_ptr<ovPimItem>& out);
    // Deletes the item with its fired reminders and its vdir_files row; fails when it is
    // not in the store.
    ovResult<> removeItem(ovPimItemType kind, int64_t id);

    // Saving an item made elsewhere (a decoded file): attaches it to this store and adds
    // it as a new item, whatever id it carried.
    ovResult<> add(ovPimItem& item);
    // Attaches it to this store and saves it over the item of its kind with the same uid,
    // keeping that item's id; adds it when there is none. True when it replaced one.
    ovResult<bool> addOrReplaceByUid(ovPimItem& item);

    // Told before every save and removal commits; null for none.
    void setSaveHook(std::shared_ptr<ovPimSaveHook> hook) { saveHook_ = std::move(hook); }

    // The vdir index (see ovPimVdirFile). putVdirFile replaces the row of the same item;
    // a file holding several items has a row for each.
    ovResult<> vdirFiles(std::vector<ovPimVdirFile>& out);
    // The row of one item; false when it has none.
    ovResult<bool> vdirFileOf(ovPimItemType kind, int64_t itemId, ovPimVdirFile& out);
    // How many items the file at this path holds; whether any path lies inside the folder.
    ovResult<int64_t> vdirItemsAt(std::string_view path);
    ovResult<bool> vdirHasFolder(std::string_view folder);
    ovResult<> putVdirFile(const ovPimVdirFile& file);
    ovResult<> removeVdirFile(std::string_view path);
    // The vdir's files that could not be read as items (see ovPimUnreadableFile), one row
    // a path.
    ovResult<> unreadableFiles(std::vector<ovPimUnreadableFile>& out);
    ovResult<> putUnreadableFile(const ovPimUnreadableFile& file);
    ovResult<> removeUnreadableFile(std::string_view path);

private:
    ovPimStore() = default;
    ovResult<> openFile(const std::string& file);
    ovResult<> checkAndPrepareSchema();
    ovResult<> createSchema();
    ovResult<> upgradeSchema();
    ovResult<> prepareStatements();

    ovResult<> readAppointments(ovSqliteStatement& statement, ItemList& out);
    // The appointments a statement finds between from (?1) and to (?2), once the occurrences
    // of repeating ones are kept for that range.
    ovResult<> readOverlapping(ovSqliteStatement& statement, double from, double to, ItemList& out);
    // With keys, also the file_as_key of each row, from the statement's column 10.
    ovResult<> readContacts(ovSqliteStatement& statement, ItemList& out,
                            std::vector<std::string>* keys = nullptr);
    ovResult<> readReminders(ovSqliteStatement& statement, ovPimItemType kind, double from, double to,
                             size_t limit, std::vector<ovPimReminder>& out);
    // alsoKeep writes what goes with the item's row (an appointment's instances) before the
    // save hook is told and the change commits.
    ovResult<> finishSave(ovPimItem& item, ovSqliteStatement& statement, const char* what,
                          const std::function<ovResult<>()>& alsoKeep = {});
    // The instances of every series are kept for a window of dates that covers from..to
    // with a margin; this grows it (or moves it) when they are not.
    ovResult<> keepOccurrences(double from, double to);
    ovResult<bool> readOccurrenceWindow(double& from, double& to);
    ovResult<> putOccurrences(int64_t itemId, bool reminderSet, int reminderMinutes,
                              const std::vector<ovPimOccurrence>& occurrences);
    ovResult<> removeOccurrencesOf(int64_t itemId);
    ovResult<> indexOccurrences(const ovPimAppointment& item, bool& repeats);
    ovResult<> readUnreadAppointments();
    // A transaction of its own, or a savepoint inside an open batch.
    ovResult<> beginChange();
    ovResult<> commitChange();
    void undoChange();
    ovResult<> readTasks(ovSqliteStatement& statement, ItemList& out);
    ovResult<bool> findOne(ovPimItemType kind, ovSqliteStatement* const statements[3],
                           std::unique_ptr<ovPimItem>& out);

    // Statements are declared after the connection so that they are finalized first.
    ovSqliteDatabase db_;
    bool inBatch_ = false;
    uint32_t localChanges_ = 0;
    ovSqliteStatement allAppointments_;
    ovSqliteStatement overlappingAppointments_;
    ovSqliteStatement insertAppointment_;
    ovSqliteStatement updateAppointment_;
    ovSqliteStatement allContacts_;
    ovSqliteStatement contactsByPrefix_;
    ovSqliteStatement insertContact_;
    ovSqliteStatement updateContact_;
    ovSqliteStatement allTasks_;
    ovSqliteStatement insertTask_;
    ovSqliteStatement updateTask_;
    ovSqliteStatement appointmentReminders_;
    ovSqliteStatement taskReminders_;
    ovSqliteStatement claimReminder_;
    ovSqliteStatement appointmentByUid_;
    ovSqliteStatement contactByUid_;
    ovSqliteStatement taskByUid_;
    ovSqliteStatement appointmentById_;
    ovSqliteStatement contactById_;
    ovSqliteStatement taskById_;
    ovSqliteStatement allVdirFiles_;
    ovSqliteStatement vdirFileOfItem_;
    ovSqliteStatement vdirFileAtPath_;
    ovSqliteStatement vdirFilesUnder_;
    ovSqliteStatement putVdirFile_;
    ovSqliteStatement removeVdirFile_;
    ovSqliteStatement occurrenceReminders_;
    ovSqliteStatement occurrencesOverlapping_;
    ovSqliteStatement readOccurrenceWindow_;
    ovSqliteStatement putOccurrenceWindow_;
    ovSqliteStatement insertOccurrence_;
    ovSqliteStatement removeOccurrences_;
    ovSqliteStatement repeatingAppointments_;
    ovSqliteStatement unreadAppointments_;
    ovSqliteStatement anySeries_;
    ovSqliteStatement setRepeats_;
    ovSqliteStatement appointmentSource_;
    ovSqliteStatement contactSource_;
    ovSqliteStatement taskSource_;
    ovSqliteStatement unreadableFiles_;
    ovSqliteStatement putUnreadableFile_;
    ovSqliteStatement removeUnreadableFile_;
    ovPimTaskSeries taskSeries_;
    std::shared_ptr<ovPimSaveHook> saveHook_;
    std::shared_ptr<ovPimOccurrenceSource> occurrenceSource_;
};
