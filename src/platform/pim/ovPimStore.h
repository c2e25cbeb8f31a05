#pragma once
// The store itself: one SQLite file holding contacts, appointments and tasks. The
// application object, folders and collections are the faces its clients see; this is
// where the SQL lives.
//
// The file is checked before anything is written to it: a file that is not a SQLite
// database, a SQLite database of another program, or a store of a newer schema version
// is refused with a message naming it, and left exactly as it was.
#include "platform/pim/ovPimCode.h"
#include "platform/pim/ovSqliteDatabase.h"
#include "platform/pim/ovSqliteStatement.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class ovPimItem;
class ovPimAppointment;
class ovPimContact;
class ovPimTask;

class ovPimStore : public std::enable_shared_from_this<ovPimStore> {
public:
    // Kept in the file's user_version; a file with a larger number is refused.
    static constexpr int schemaVersion = 1;
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
    // Every appointment with start <= to and end >= from, in the calendar's order.
    ovResult<> appointmentsOverlapping(double from, double to, ItemList& out);
    // Contacts by file-as name, compared case-folded, ties in the order they were added.
    ovResult<> contacts(ItemList& out);
    // Every contact whose case-folded file-as name or first name begins with the
    // case-folded text (and possibly a few more), in the contacts' order.
    ovResult<> contactsWithNamePrefix(std::u16string_view text, ItemList& out);
    // Tasks in the order they were added.
    ovResult<> tasks(ItemList& out);

    // Groups the saves that follow into one transaction, for seeding many items at once.
    // Nothing of it is on disk before commitBatch returns success.
    ovResult<> beginBatch();
    ovResult<> commitBatch();
    void cancelBatch();

    ovResult<> saveAppointment(ovPimAppointment& item);
    ovResult<> saveContact(ovPimContact& item);
    ovResult<> saveTask(ovPimTask& item);

private:
    ovPimStore() = default;
    ovResult<> openFile(const std::string& file);
    ovResult<> checkAndPrepareSchema();
    ovResult<> createSchema();
    ovResult<> prepareStatements();

    ovResult<> readAppointments(ovSqliteStatement& statement, ItemList& out);
    ovResult<> readContacts(ovSqliteStatement& statement, ItemList& out);
    ovResult<> finishSave(ovPimItem& item, ovSqliteStatement& statement, const char* what);

    // Statements are declared after the connection so that they are finalized first.
    ovSqliteDatabase db_;
    bool inBatch_ = false;
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
};
