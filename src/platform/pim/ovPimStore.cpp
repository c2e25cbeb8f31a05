#include "platform/pim/ovPimStore.h"

#include "platform/pim/ovPimAppointment.h"
#include "platform/pim/ovPimContact.h"
#include "platform/pim/ovPimPaths.h"
#include "platform/pim/ovPimTask.h"
#include "platform/system/ovUtf.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kLeftUnchanged[] = "; the file was left unchanged";

// The rtree holds each appointment's span so that an overlap query touches only the
// appointments near the range, however long some of them are. Its coordinates are
// single-precision and rounded outwards, so it may offer a few more rows than overlap;
// the exact test on the table's own columns follows.
constexpr char kSchema[] = R"sql(
CREATE TABLE contacts (
    id INTEGER PRIMARY KEY,
    file_as TEXT NOT NULL DEFAULT '',
    first_name TEXT NOT NULL DEFAULT '',
    home_phone TEXT NOT NULL DEFAULT '',
    mobile_phone TEXT NOT NULL DEFAULT '',
    business_phone TEXT NOT NULL DEFAULT '',
    business_fax TEXT NOT NULL DEFAULT '',
    email1 TEXT NOT NULL DEFAULT '',
    file_as_key TEXT NOT NULL DEFAULT '',
    first_name_key TEXT NOT NULL DEFAULT ''
);
CREATE INDEX contacts_by_file_as ON contacts(file_as_key, id);
CREATE INDEX contacts_by_first_name ON contacts(first_name_key);

CREATE TABLE appointments (
    id INTEGER PRIMARY KEY,
    start_time REAL NOT NULL,
    end_time REAL NOT NULL,
    subject TEXT NOT NULL DEFAULT '',
    location TEXT NOT NULL DEFAULT '',
    reminder_set INTEGER NOT NULL DEFAULT 1,
    reminder_minutes INTEGER NOT NULL DEFAULT 15 CHECK (reminder_minutes >= 0),
    CHECK (end_time >= start_time)
);
CREATE INDEX appointments_by_start ON appointments(start_time, id);
CREATE VIRTUAL TABLE appointment_spans USING rtree(id, start_min, end_max);
CREATE TRIGGER appointment_spans_insert AFTER INSERT ON appointments BEGIN
    INSERT INTO appointment_spans VALUES (new.id, new.start_time, new.end_time);
END;
CREATE TRIGGER appointment_spans_update AFTER UPDATE OF start_time, end_time ON appointments BEGIN
    UPDATE appointment_spans SET start_min = new.start_time, end_max = new.end_time WHERE id = new.id;
END;
CREATE TRIGGER appointment_spans_delete AFTER DELETE ON appointments BEGIN
    DELETE FROM appointment_spans WHERE id = old.id;
END;

CREATE TABLE tasks (
    id INTEGER PRIMARY KEY,
    subject TEXT NOT NULL DEFAULT '',
    importance INTEGER NOT NULL DEFAULT 1 CHECK (importance BETWEEN 0 AND 2),
    start_date REAL NOT NULL DEFAULT 0,
    due_date REAL NOT NULL DEFAULT 0,
    reminder_set INTEGER NOT NULL DEFAULT 1,
    reminder_time REAL NOT NULL DEFAULT 0
);
)sql";

constexpr char kAppointmentColumns[] =
    "SELECT a.id, a.start_time, a.end_time, a.subject, a.location, a.reminder_set, a.reminder_minutes ";
constexpr char kContactColumns[] =
    "SELECT id, file_as, first_name, home_phone, mobile_phone, business_phone, "
    "business_fax, email1 FROM contacts ";

std::string contactKey(std::u16string_view text) {
    return ovToUtf8(ovFoldCase(text));
}

// What the first bytes of the file say, read without SQLite so that nothing SQLite might
// do on opening (journal recovery, WAL files) happens to a file that is not ours.
ovResult<> checkFileHeader(const std::string& file, bool& isNew) {
    isNew = false;
    struct stat st;
    if (stat(file.c_str(), &st) != 0) {
        if (errno == ENOENT) {
            isNew = true;
            return ovResult<>::success();
        }
        return ovFail(ovPimCode::storeError, file + ": cannot read the store: " + std::strerror(errno));
    }
    if (!S_ISREG(st.st_mode))
        return ovFail(ovPimCode::notAStore,
                      file + ": not an Orvida store: it is not a regular file" + kLeftUnchanged);
    if (st.st_size == 0) {
        isNew = true;
        return ovResult<>::success();
    }
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return ovFail(ovPimCode::storeError, file + ": cannot read the store: " + std::strerror(errno));
    static const char magic[16] = {'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f',
                                   'o', 'r', 'm', 'a', 't', ' ', '3', '\0'};
    char header[100];
    size_t got = 0;
    while (got < sizeof header) {
        const ssize_t n = ::read(fd, header + got, sizeof header - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    if (got < sizeof header || std::memcmp(header, magic, sizeof magic) != 0)
        return ovFail(ovPimCode::notAStore,
                      file + ": not an Orvida store: the file is not a SQLite database" + kLeftUnchanged);
    return ovResult<>::success();
}

} // namespace

ovResult<> ovPimStore::open(const std::string& file, std::shared_ptr<ovPimStore>& out) {
    out.reset();
    if (file.empty())
        return ovFail(ovPimCode::invalidArgument, "no store file was given");
    std::shared_ptr<ovPimStore> store(new ovPimStore());
    if (ovResult<> r = store->openFile(file); !r)
        return r;
    out = std::move(store);
    return ovResult<>::success();
}

ovPimStore::~ovPimStore() {
    cancelBatch();
}

ovResult<> ovPimStore::openFile(const std::string& file) {
    if (ovResult<> r = ovMakeFolders(ovParentFolder(file)); !r)
        return r;
    bool isNew = false;
    if (ovResult<> r = checkFileHeader(file, isNew); !r)
        return r;
    if (ovResult<> r = db_.open(file); !r)
        return r;
    if (ovResult<> r = checkAndPrepareSchema(); !r) {
        db_.close();
        return r;
    }
    return ovResult<>::success();
}

ovResult<> ovPimStore::checkAndPrepareSchema() {
    const std::string& file = db_.file();
    // Only reads until the file is known to be ours.
    int64_t appId = 0, version = 0, objects = 0;
    if (!db_.queryInt("PRAGMA application_id", appId) || !db_.queryInt("PRAGMA user_version", version) ||
        !db_.queryInt("SELECT count(*) FROM sqlite_schema", objects)) {
        return ovFail(ovPimCode::notAStore,
                      file + ": not an Orvida store: " + db_.errorText() + kLeftUnchanged);
    }
    bool create = false;
    if (appId == applicationId) {
        if (version > schemaVersion)
            return ovFail(ovPimCode::newerVersion,
                          file + ": the store was written by a newer version of Orvida (store version " +
                              std::to_string(version) + ", this program reads up to " +
                              std::to_string(schemaVersion) + ")" + kLeftUnchanged);
        if (version < 1)
            return ovFail(ovPimCode::notAStore,
                          file + ": not an Orvida store: it has no store version" + kLeftUnchanged);
    } else if (appId != 0) {
        char id[16];
        std::snprintf(id, sizeof id, "0x%08X", static_cast<unsigned>(appId));
        return ovFail(ovPimCode::notAStore, file +
                                                ": not an Orvida store: it is the database of another "
                                                "program (application id " +
                                                id + ")" + kLeftUnchanged);
    } else if (objects != 0 || version != 0) {
        return ovFail(ovPimCode::notAStore,
                      file + ": not an Orvida store: it is a SQLite database of another program" +
                          kLeftUnchanged);
    } else {
        create = true;
    }

    // WAL keeps readers and the writer apart; FULL makes every confirmed save reach the disk.
    std::string mode;
    if (ovResult<> r = db_.queryText("PRAGMA journal_mode=WAL", mode); !r)
        return r;
    // A page cache of 16 MB holds the whole calendar of a large store, so reloading the
    // date picker's cache does not go back to the file.
    if (ovResult<> r = db_.exec("PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON; PRAGMA cache_size=-16384");
        !r)
        return r;
    if (create) {
        if (ovResult<> r = createSchema(); !r)
            return r;
    }
    return prepareStatements();
}

ovResult<> ovPimStore::createSchema() {
    if (ovResult<> r = db_.exec("BEGIN IMMEDIATE"); !r)
        return r;
    // Another process may have created the store between our check and the lock.
    int64_t appId = 0, objects = 0;
    if (!db_.queryInt("PRAGMA application_id", appId) ||
        !db_.queryInt("SELECT count(*) FROM sqlite_schema", objects)) {
        db_.rollback();
        return db_.failure("cannot read the store");
    }
    if (appId == applicationId) {
        db_.rollback();
        return ovResult<>::success();
    }
    if (objects != 0) {
        db_.rollback();
        return ovFail(ovPimCode::notAStore, db_.file() +
                                                ": not an Orvida store: it is a SQLite "
                                                "database of another program" +
                                                kLeftUnchanged);
    }
    const std::string stamp = "PRAGMA application_id = " + std::to_string(applicationId) +
                              "; PRAGMA user_version = " + std::to_string(schemaVersion) + ";";
    ovResult<> r = db_.exec(kSchema);
    if (r)
        r = db_.exec(stamp.c_str());
    if (r)
        r = db_.exec("COMMIT");
    if (!r) {
        db_.rollback();
        return ovFail(r.code(), "cannot create the store: " + r.reason());
    }
    return ovResult<>::success();
}

ovResult<> ovPimStore::prepareStatements() {
    const std::string overlapping = std::string(kAppointmentColumns) +
                                    "FROM appointment_spans s CROSS JOIN appointments a ON a.id = s.id "
                                    "WHERE s.start_min <= ?2 AND s.end_max >= ?1 "
                                    "AND a.start_time <= ?2 AND a.end_time >= ?1 "
                                    "ORDER BY a.start_time, a.id";
    const std::string all =
        std::string(kAppointmentColumns) + "FROM appointments a ORDER BY a.start_time, a.id";
    const std::string contactsAll = std::string(kContactColumns) + "ORDER BY file_as_key, id";
    const std::string contactsPrefix =
        std::string(kContactColumns) +
        "WHERE (file_as_key >= ?1 AND file_as_key < ?2) OR (first_name_key >= ?1 AND first_name_key < ?2) "
        "ORDER BY file_as_key, id";
    struct {
        ovSqliteStatement& statement;
        const char* sql;
    } const statements[] = {
        {allAppointments_, all.c_str()},
        {overlappingAppointments_, overlapping.c_str()},
        {insertAppointment_,
         "INSERT INTO appointments (start_time, end_time, subject, location, reminder_set, "
         "reminder_minutes) VALUES (?1, ?2, ?3, ?4, ?5, ?6)"},
        {updateAppointment_,
         "UPDATE appointments SET start_time = ?1, end_time = ?2, subject = ?3, location = ?4, "
         "reminder_set = ?5, reminder_minutes = ?6 WHERE id = ?7"},
        {allContacts_, contactsAll.c_str()},
        {contactsByPrefix_, contactsPrefix.c_str()},
        {insertContact_,
         "INSERT INTO contacts (file_as, first_name, home_phone, mobile_phone, business_phone, "
         "business_fax, email1, file_as_key, first_name_key) "
         "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)"},
        {updateContact_,
         "UPDATE contacts SET file_as = ?1, first_name = ?2, home_phone = ?3, mobile_phone = ?4, "
         "business_phone = ?5, business_fax = ?6, email1 = ?7, file_as_key = ?8, "
         "first_name_key = ?9 WHERE id = ?10"},
        {allTasks_,
         "SELECT id, subject, importance, start_date, due_date, reminder_set, reminder_time FROM tasks "
         "ORDER BY id"},
        {insertTask_,
         "INSERT INTO tasks (subject, importance, start_date, due_date, reminder_set, reminder_time) "
         "VALUES (?1, ?2, ?3, ?4, ?5, ?6)"},
        {updateTask_, "UPDATE tasks SET subject = ?1, importance = ?2, start_date = ?3, due_date = ?4, "
                      "reminder_set = ?5, reminder_time = ?6 WHERE id = ?7"},
    };
    for (const auto& s : statements) {
        if (ovResult<> r = db_.prepare(s.sql, s.statement); !r)
            return r;
    }
    return ovResult<>::success();
}

ovResult<> ovPimStore::readAppointments(ovSqliteStatement& statement, ItemList& out) {
    out.clear();
    ovSqliteStatement::Step step;
    while ((step = statement.step()) == ovSqliteStatement::Step::row) {
        auto item = std::make_unique<ovPimAppointment>(weak_from_this());
        item->id_ = statement.columnInt(0);
        item->start_ = statement.columnDouble(1);
        item->end_ = statement.columnDouble(2);
        item->subject_ = ovToUtf16(statement.columnText(3));
        item->location_ = ovToUtf16(statement.columnText(4));
        item->reminderSet_ = statement.columnInt(5) != 0;
        item->reminderMinutes_ = static_cast<int>(statement.columnInt(6));
        out.push_back(std::move(item));
    }
    if (step == ovSqliteStatement::Step::error) {
        out.clear();
        return db_.failure("cannot read the calendar");
    }
    return ovResult<>::success();
}

ovResult<> ovPimStore::appointments(ItemList& out) {
    ovSqliteStatement::ResetOnExit done(allAppointments_);
    return readAppointments(allAppointments_, out);
}

ovResult<> ovPimStore::appointmentsOverlapping(double from, double to, ItemList& out) {
    ovSqliteStatement::ResetOnExit done(overlappingAppointments_);
    overlappingAppointments_.bindDouble(1, from);
    overlappingAppointments_.bindDouble(2, to);
    return readAppointments(overlappingAppointments_, out);
}

ovResult<> ovPimStore::readContacts(ovSqliteStatement& statement, ItemList& out) {
    out.clear();
    ovSqliteStatement::Step step;
    while ((step = statement.step()) == ovSqliteStatement::Step::row) {
        auto item = std::make_unique<ovPimContact>(weak_from_this());
        item->id_ = statement.columnInt(0);
        item->fileAs_ = ovToUtf16(statement.columnText(1));
        item->firstName_ = ovToUtf16(statement.columnText(2));
        item->home_ = ovToUtf16(statement.columnText(3));
        item->mobile_ = ovToUtf16(statement.columnText(4));
        item->business_ = ovToUtf16(statement.columnText(5));
        item->businessFax_ = ovToUtf16(statement.columnText(6));
        item->email1_ = ovToUtf16(statement.columnText(7));
        out.push_back(std::move(item));
    }
    if (step == ovSqliteStatement::Step::error) {
        out.clear();
        return db_.failure("cannot read the contacts");
    }
    return ovResult<>::success();
}

ovResult<> ovPimStore::contacts(ItemList& out) {
    ovSqliteStatement::ResetOnExit done(allContacts_);
    return readContacts(allContacts_, out);
}

ovResult<> ovPimStore::contactsWithNamePrefix(std::u16string_view text, ItemList& out) {
    // A text cut inside a surrogate pair has no UTF-8 form to search the keys with; the
    // part before it still narrows the search, and the caller's exact test does the rest.
    size_t usable = 0;
    while (usable < text.size() && (text[usable] < 0xD800 || text[usable] > 0xDFFF))
        ++usable;
    const std::string low = contactKey(text.substr(0, usable));
    if (low.empty())
        return contacts(out);
    // No valid UTF-8 contains the byte 0xFF, so every key that begins with `low` sorts
    // before `low` followed by it.
    const std::string high = low + '\xFF';
    ovSqliteStatement::ResetOnExit done(contactsByPrefix_);
    contactsByPrefix_.bindText(1, low);
    contactsByPrefix_.bindText(2, high);
    return readContacts(contactsByPrefix_, out);
}

ovResult<> ovPimStore::tasks(ItemList& out) {
    ovSqliteStatement::ResetOnExit done(allTasks_);
    out.clear();
    ovSqliteStatement::Step step;
    while ((step = allTasks_.step()) == ovSqliteStatement::Step::row) {
        auto item = std::make_unique<ovPimTask>(weak_from_this());
        item->id_ = allTasks_.columnInt(0);
        item->subject_ = ovToUtf16(allTasks_.columnText(1));
        item->importance_ = static_cast<int>(allTasks_.columnInt(2));
        item->startDate_ = allTasks_.columnDouble(3);
        item->dueDate_ = allTasks_.columnDouble(4);
        item->reminderSet_ = allTasks_.columnInt(5) != 0;
        item->reminderTime_ = allTasks_.columnDouble(6);
        out.push_back(std::move(item));
    }
    if (step == ovSqliteStatement::Step::error) {
        out.clear();
        return db_.failure("cannot read the tasks");
    }
    return ovResult<>::success();
}

ovResult<> ovPimStore::beginBatch() {
    if (inBatch_)
        return ovFail(ovPimCode::invalidArgument, "a batch is already open");
    if (ovResult<> r = db_.exec("BEGIN IMMEDIATE"); !r)
        return r;
    inBatch_ = true;
    return ovResult<>::success();
}

ovResult<> ovPimStore::commitBatch() {
    if (!inBatch_)
        return ovFail(ovPimCode::invalidArgument, "no batch is open");
    if (ovResult<> r = db_.exec("COMMIT"); !r) {
        cancelBatch();
        return r;
    }
    inBatch_ = false;
    return ovResult<>::success();
}

void ovPimStore::cancelBatch() {
    if (inBatch_)
        db_.rollback();
    inBatch_ = false;
}

ovResult<> ovPimStore::finishSave(ovPimItem& item, ovSqliteStatement& statement, const char* what) {
    ovSqliteStatement::ResetOnExit done(statement);
    if (statement.step() != ovSqliteStatement::Step::done)
        return db_.failure(std::string("cannot save the ") + what);
    if (item.id_ == 0) {
        item.id_ = db_.lastInsertRowId();
    } else if (db_.changes() == 0) {
        return ovFail(ovPimCode::storeError,
                      db_.file() + ": cannot save the " + what + ": it is no longer in the store");
    }
    return ovResult<>::success();
}

ovResult<> ovPimStore::saveAppointment(ovPimAppointment& item) {
    ovSqliteStatement& s = item.id_ == 0 ? insertAppointment_ : updateAppointment_;
    s.bindDouble(1, item.start_);
    s.bindDouble(2, item.end_);
    s.bindText(3, ovToUtf8(item.subject_));
    s.bindText(4, ovToUtf8(item.location_));
    s.bindInt(5, item.reminderSet_ ? 1 : 0);
    s.bindInt(6, item.reminderMinutes_);
    if (item.id_ != 0)
        s.bindInt(7, item.id_);
    return finishSave(item, s, "appointment");
}

ovResult<> ovPimStore::saveContact(ovPimContact& item) {
    ovSqliteStatement& s = item.id_ == 0 ? insertContact_ : updateContact_;
    s.bindText(1, ovToUtf8(item.fileAs_));
    s.bindText(2, ovToUtf8(item.firstName_));
    s.bindText(3, ovToUtf8(item.home_));
    s.bindText(4, ovToUtf8(item.mobile_));
    s.bindText(5, ovToUtf8(item.business_));
    s.bindText(6, ovToUtf8(item.businessFax_));
    s.bindText(7, ovToUtf8(item.email1_));
    s.bindText(8, contactKey(item.fileAs_));
    s.bindText(9, contactKey(item.firstName_));
    if (item.id_ != 0)
        s.bindInt(10, item.id_);
    return finishSave(item, s, "contact");
}

ovResult<> ovPimStore::saveTask(ovPimTask& item) {
    ovSqliteStatement& s = item.id_ == 0 ? insertTask_ : updateTask_;
    s.bindText(1, ovToUtf8(item.subject_));
    s.bindInt(2, item.importance_);
    s.bindDouble(3, item.startDate_);
    s.bindDouble(4, item.dueDate_);
    s.bindInt(5, item.reminderSet_ ? 1 : 0);
    s.bindDouble(6, item.reminderTime_);
    if (item.id_ != 0)
        s.bindInt(7, item.id_);
    return finishSave(item, s, "task");
}
