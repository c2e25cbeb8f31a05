#include "data/pim/ovPimStore.h"

#include "data/pim/ovPimAppointment.h"
#include "data/pim/ovPimContact.h"
#include "data/pim/ovPimTask.h"
#include "system/ovFileDescriptor.h"
#include "system/ovFolderLock.h"
#include "system/ovPaths.h"
#include "system/ovUtf.h"

#include <algorithm>
#include <cmath>
#include <sqlite3.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
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

// Store version 2: the reminders. Each reminder that has fired is kept by its item and
// due time, so that it fires once however many processes look for it, and fires again
// only when its item is moved. The partial indexes find the next due reminders by their
// time without reading every item; the reminder queries use exactly these expressions.
constexpr char kSchemaReminders[] = R"sql(
CREATE TABLE fired_reminders (
    kind INTEGER NOT NULL,
    item_id INTEGER NOT NULL,
    due REAL NOT NULL,
    fired_at REAL NOT NULL,
    PRIMARY KEY (kind, item_id, due)
);
CREATE INDEX appointments_by_reminder ON appointments(start_time - reminder_minutes / 1440.0)
    WHERE reminder_set = 1;
CREATE INDEX tasks_by_reminder ON tasks(reminder_time) WHERE reminder_set = 1 AND reminder_time > 0;
)sql";

// Store version 3: each item's UID and the iCalendar or vCard text it was read from, and
// the index of a vdir (a folder holding one file per item) when one is the items' home.
constexpr char kSchemaFormats[] = R"sql(
ALTER TABLE contacts ADD COLUMN uid TEXT NOT NULL DEFAULT '';
ALTER TABLE contacts ADD COLUMN source TEXT NOT NULL DEFAULT '';
ALTER TABLE appointments ADD COLUMN uid TEXT NOT NULL DEFAULT '';
ALTER TABLE appointments ADD COLUMN source TEXT NOT NULL DEFAULT '';
ALTER TABLE tasks ADD COLUMN uid TEXT NOT NULL DEFAULT '';
ALTER TABLE tasks ADD COLUMN source TEXT NOT NULL DEFAULT '';
CREATE INDEX contacts_by_uid ON contacts(uid);
CREATE INDEX appointments_by_uid ON appointments(uid);
CREATE INDEX tasks_by_uid ON tasks(uid);
CREATE TABLE vdir_files (
    kind INTEGER NOT NULL,
    item_id INTEGER NOT NULL,
    path TEXT NOT NULL UNIQUE,
    mtime_ns INTEGER NOT NULL,
    size INTEGER NOT NULL,
    digest TEXT NOT NULL,
    PRIMARY KEY (kind, item_id)
);
)sql";

// Store version 4: a vdir file may hold several items (a calendar exported whole, an
// address book of many cards), so a path is no longer one row; and a file's change time
// is kept beside its modification time. SQLite cannot drop a
// constraint in place: the table is made again.
constexpr char kSchemaMultiItemFiles[] = R"sql(
CREATE TABLE vdir_files_v4 (
    kind INTEGER NOT NULL,
    item_id INTEGER NOT NULL,
    path TEXT NOT NULL,
    mtime_ns INTEGER NOT NULL,
    size INTEGER NOT NULL,
    digest TEXT NOT NULL,
    ctime_ns INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (kind, item_id)
);
INSERT INTO vdir_files_v4 SELECT kind, item_id, path, mtime_ns, size, digest, 0 FROM vdir_files;
DROP TABLE vdir_files;
ALTER TABLE vdir_files_v4 RENAME TO vdir_files;
CREATE INDEX vdir_files_by_path ON vdir_files(path);
)sql";

// Store version 5: the instances of repeating appointments. A series keeps its row (the
// first instance, and the text its rule is read from); its instances are kept in
// `occurrences` for one span of dates, `occurrence_window`, which grows when a query
// reaches past it. `repeats` is NULL for a row not yet looked at (a store upgraded from
// an earlier version, or saved by a program that could not read rules); only a text that
// names a rule, extra dates or an override can repeat. An instance's reminder is kept
// with it (`due`), so the next reminder is found by its index as for a single one.
constexpr char kSchemaOccurrences[] = R"sql(
ALTER TABLE appointments ADD COLUMN repeats INTEGER;
UPDATE appointments SET repeats = 0 WHERE source NOT LIKE '%RRULE%' AND source NOT LIKE '%RDATE%'
    AND source NOT LIKE '%RECURRENCE-ID%';
CREATE TABLE occurrences (
    id INTEGER PRIMARY KEY,
    item_id INTEGER NOT NULL,
    start_time REAL NOT NULL,
    end_time REAL NOT NULL,
    subject TEXT NOT NULL DEFAULT '',
    location TEXT NOT NULL DEFAULT '',
    recurrence_id REAL,
    due REAL
);
CREATE UNIQUE INDEX occurrences_by_item ON occurrences(item_id, start_time, ifnull(recurrence_id, -1));
CREATE INDEX occurrences_by_due ON occurrences(due) WHERE due IS NOT NULL;
CREATE INDEX appointments_repeating ON appointments(id) WHERE repeats = 1;
CREATE VIRTUAL TABLE occurrence_spans USING rtree(id, start_min, end_max);
CREATE TRIGGER occurrence_spans_insert AFTER INSERT ON occurrences BEGIN
    INSERT INTO occurrence_spans VALUES (new.id, new.start_time, new.end_time);
END;
CREATE TRIGGER occurrence_spans_delete AFTER DELETE ON occurrences BEGIN
    DELETE FROM occurrence_spans WHERE id = old.id;
END;
CREATE TABLE occurrence_window (
    id INTEGER PRIMARY KEY CHECK (id = 1),
    from_date REAL NOT NULL,
    to_date REAL NOT NULL
);
)sql";

// Store version 6: the vdir's files that could not be read as items, by their stamp, so
// that a sync reads such a file again only once it has changed.
constexpr char kSchemaUnreadableFiles[] = R"sql(
CREATE TABLE vdir_unreadable (
    path TEXT PRIMARY KEY,
    size INTEGER NOT NULL,
    mtime_ns INTEGER NOT NULL,
    ctime_ns INTEGER NOT NULL,
    inode INTEGER NOT NULL,
    reason TEXT NOT NULL DEFAULT ''
) WITHOUT ROWID;
)sql";

// A query past the kept instances keeps this many days more on the side it went past, so
// that paging through the date picker does not expand every series at every month.
constexpr double kOccurrenceMarginDays = 92.0;
// Past this span the kept instances start again around the query rather than fill the gap.
constexpr double kLongestOccurrenceWindowDays = 20 * 366.0;
// The reminders look this far ahead among the instances; a series' later reminders are
// found when the window moves on.
constexpr double kReminderLookAheadDays = 31.0;

constexpr char kAppointmentReminderDue[] = "(start_time - reminder_minutes / 1440.0)";
constexpr char kNotFired[] =
    "NOT EXISTS (SELECT 1 FROM fired_reminders f WHERE f.kind = ?3 AND f.item_id = id AND f.due = ";

// Rows of the calendar: an item's (NULL recurrence id, not an instance) or one instance
// of a series.
constexpr char kAppointmentColumns[] =
    "SELECT a.id, a.start_time, a.end_time, a.subject, a.location, a.reminder_set, a.reminder_minutes, "
    "a.uid, NULL, a.repeats, NULL, 0 ";
constexpr char kOccurrenceColumns[] =
    "SELECT o.item_id, o.start_time, o.end_time, o.subject, o.location, a.reminder_set, a.reminder_minutes, "
    "a.uid, '', 1, o.recurrence_id, 1 "
    "FROM occurrence_spans os CROSS JOIN occurrences o ON o.id = os.id CROSS JOIN appointments a ON a.id = "
    "o.item_id "
    "WHERE os.start_min <= ?2 AND os.end_max >= ?1 AND o.start_time <= ?2 AND o.end_time >= ?1 ";
constexpr char kContactColumnList[] =
    "SELECT id, file_as, first_name, home_phone, mobile_phone, business_phone, "
    "business_fax, email1, uid, NULL";
constexpr char kTaskColumns[] = "SELECT id, subject, importance, start_date, due_date, reminder_set, "
                                "reminder_time, uid, NULL FROM tasks ";

const char* tableOf(ovPimItemType kind) {
    switch (kind) {
    case ovPimItemType::appointment:
        return "appointments";
    case ovPimItemType::contact:
        return "contacts";
    case ovPimItemType::task:
        break;
    }
    return "tasks";
}

// The place of the kind in the store's per-kind tables of statements.
size_t kindIndex(ovPimItemType kind) {
    return kind == ovPimItemType::appointment ? 0 : kind == ovPimItemType::contact ? 1 : 2;
}

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
    const ovFileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return ovFail(ovPimCode::storeError, file + ": cannot read the store: " + std::strerror(errno));
    static const char magic[16] = {'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f',
                                   'o', 'r', 'm', 'a', 't', ' ', '3', '\0'};
    char header[100];
    const ssize_t got = fd.readAll(header, sizeof header);
    if (got < static_cast<ssize_t>(sizeof header) || std::memcmp(header, magic, sizeof magic) != 0)
        return ovFail(ovPimCode::notAStore,
                      file + ": not an Orvida store: the file is not a SQLite database" + kLeftUnchanged);
    return ovResult<>::success();
}

// Says what kept the store from opening in words a user can act on, rather than
// calling every failure a foreign file.
ovResult<> openFailure(const ovSqliteDatabase& db, const std::string& file) {
    const int code = db.errorCode();
    std::string what;
    switch (code) {
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
    case SQLITE_CANTOPEN:
        what = "no permission to read and write the store or its folder";
        break;
    case SQLITE_FULL:
        what = "the disk is full";
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        what = "the store is busy: another program kept it locked too long";
        break;
    case SQLITE_CORRUPT:
        what = "the store is damaged";
        break;
    case SQLITE_NOTADB:
        return ovFail(ovPimCode::notAStore,
                      file + ": not an Orvida store: the file is not a SQLite database" + kLeftUnchanged);
    case SQLITE_IOERR:
        what = "the store cannot be read or written";
        break;
    default:
        what = "cannot open the store";
        break;
    }
    return ovFail(ovPimCode::storeError, file + ": " + what + " (" + db.errorText() + ")" + kLeftUnchanged);
}

bool fileExists(const std::string& file) {
    struct stat st;
    return ::lstat(file.c_str(), &st) == 0;
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
    // SQLite's own limit on the name of a database file it opens.
    constexpr size_t kLongestStoreName = 511;
    if (file.size() > kLongestStoreName)
        return ovFail(ovPimCode::invalidArgument,
                      "the store's file name is too long (" + std::to_string(file.size()) +
                          " characters; the store takes at most " + std::to_string(kLongestStoreName) + ")");
    const std::string folder = ovParentFolder(file);
    if (ovResult<> r = ovMakeFolders(folder); !r)
        return ovFail(r.code<ovPathCode>() == ovPathCode::nameTooLong ? ovPimCode::invalidArgument
                                                                      : ovPimCode::storeError,
                      r.reason());
    // Processes that open a store at the same moment take turns at recognising and setting
    // it up. Where the folder cannot be locked, SQLite's own locks and the re-check under
    // BEGIN IMMEDIATE still keep it whole.
    const ovFolderLock setUp(folder, std::chrono::seconds(10));
    bool isNew = false;
    if (ovResult<> r = checkFileHeader(file, isNew); !r)
        return r;
    // SQLite makes these on reading a store in WAL mode; a store that is refused keeps
    // nothing of ours beside it.
    const std::string wal = file + "-wal", shm = file + "-shm";
    const bool hadWal = fileExists(wal), hadShm = fileExists(shm);
    ovResult<> r = db_.open(file);
    if (!r) {
        r = openFailure(db_, file);
    } else {
        r = checkAndPrepareSchema();
    }
    if (!r) {
        db_.close();
        if (!hadWal)
            ::unlink(wal.c_str());
        if (!hadShm)
            ::unlink(shm.c_str());
        if (isNew && fileExists(file)) {
            struct stat st;
            if (::stat(file.c_str(), &st) == 0 && st.st_size == 0)
                ::unlink(file.c_str());
        }
        return r;
    }
    return ovResult<>::success();
}

ovResult<> ovPimStore::checkAndPrepareSchema() {
    const std::string& file = db_.file();
    // Only reads until the file is known to be ours.
    // One read transaction: another process creating the store at this moment is seen
    // either not at all or whole, never as tables without their stamp.
    int64_t appId = 0, version = 0, objects = 0;
    if (!db_.exec("BEGIN") || !db_.queryInt("PRAGMA application_id", appId) ||
        !db_.queryInt("PRAGMA user_version", version) ||
        !db_.queryInt("SELECT count(*) FROM sqlite_schema", objects)) {
        ovResult<> failed = openFailure(db_, file);
        db_.rollback();
        return failed;
    }
    db_.rollback();
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

    if (!create) {
        // A damaged store is said to be damaged when it is opened, not at the first
        // list that happens to touch the bad page.
        std::string check;
        if (!db_.queryText("PRAGMA quick_check", check))
            return openFailure(db_, file);
        if (check != "ok")
            return ovFail(ovPimCode::storeError,
                          file + ": the store is damaged (" + check + ")" + kLeftUnchanged);
    }
    if (create) {
        if (ovResult<> r = createSchema(); !r)
            return r;
    } else if (version < schemaVersion) {
        if (ovResult<> r = upgradeSchema(); !r)
            return r;
    }
    // WAL keeps readers and the writer apart; FULL makes every confirmed save reach the disk.
    // Switching needs the store to itself for a moment, and SQLite does not wait for that
    // through the busy handler: wait here, as long as the busy timeout.
    std::string mode;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(5000);
    while (!db_.queryText("PRAGMA journal_mode=WAL", mode)) {
        const int code = db_.errorCode();
        if ((code != SQLITE_BUSY && code != SQLITE_LOCKED) || std::chrono::steady_clock::now() > deadline)
            return openFailure(db_, file);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // A page cache of 16 MB holds the whole calendar of a large store, so reloading the
    // date picker's cache does not go back to the file.
    if (ovResult<> r = db_.exec("PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON; PRAGMA cache_size=-16384");
        !r)
        return r;
    return prepareStatements();
}

ovResult<> ovPimStore::createSchema() {
    if (!db_.exec("BEGIN IMMEDIATE"))
        return openFailure(db_, db_.file());
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
        r = db_.exec(kSchemaReminders);
    if (r)
        r = db_.exec(kSchemaFormats);
    if (r)
        r = db_.exec(kSchemaMultiItemFiles);
    if (r)
        r = db_.exec(kSchemaOccurrences);
    if (r)
        r = db_.exec(kSchemaUnreadableFiles);
    if (r)
        r = db_.exec(stamp.c_str());
    if (r)
        r = db_.exec("COMMIT");
    if (!r) {
        ovResult<> failed = openFailure(db_, db_.file());
        db_.rollback();
        return ovFail(failed.code(), "cannot create the store: " + failed.reason());
    }
    return ovResult<>::success();
}

ovResult<> ovPimStore::upgradeSchema() {
    if (ovResult<> r = db_.exec("BEGIN IMMEDIATE"); !r)
        return r;
    // Another process may have upgraded the store between our check and the lock.
    int64_t version = 0;
    if (!db_.queryInt("PRAGMA user_version", version)) {
        db_.rollback();
        return db_.failure("cannot read the store");
    }
    ovResult<> r = ovResult<>::success();
    if (version < 2)
        r = db_.exec(kSchemaReminders);
    if (r && version < 3)
        r = db_.exec(kSchemaFormats);
    if (r && version < 4)
        r = db_.exec(kSchemaMultiItemFiles);
    if (r && version < 5)
        r = db_.exec(kSchemaOccurrences);
    if (r && version < 6)
        r = db_.exec(kSchemaUnreadableFiles);
    if (r && version < schemaVersion)
        r = db_.exec(("PRAGMA user_version = " + std::to_string(schemaVersion)).c_str());
    if (r)
        r = db_.exec("COMMIT");
    if (!r) {
        db_.rollback();
        return ovFail(r.code(), "cannot upgrade the store: " + r.reason());
    }
    return ovResult<>::success();
}

ovResult<> ovPimStore::prepareStatements() {
    const std::string overlapping = std::string(kAppointmentColumns) +
                                    "FROM appointment_spans s CROSS JOIN appointments a ON a.id = s.id "
                                    "WHERE s.start_min <= ?2 AND s.end_max >= ?1 "
                                    "AND a.start_time <= ?2 AND a.end_time >= ?1 AND a.repeats IS NOT 1 "
                                    "UNION ALL " +
                                    kOccurrenceColumns + "ORDER BY 2, 1";
    const std::string occurrencesOnly = std::string(kOccurrenceColumns) + "ORDER BY 2, 1";
    const std::string all =
        std::string(kAppointmentColumns) + "FROM appointments a ORDER BY a.start_time, a.id";
    const std::string contactColumns = std::string(kContactColumnList) + " FROM contacts ";
    const std::string contactsAll = contactColumns + "ORDER BY file_as_key, id";
    // Without an ORDER BY: SQLite would copy every found row into a sorter, which costs more
    // than the search itself; contactsWithNamePrefix orders the rows by the key read here.
    const std::string contactsPrefix =
        std::string(kContactColumnList) + ", file_as_key FROM contacts " +
        "WHERE (file_as_key >= ?1 AND file_as_key < ?2) OR (first_name_key >= ?1 AND first_name_key < ?2)";
    const std::string appointmentReminders =
        std::string("SELECT id, ") + kAppointmentReminderDue + ", subject, location, start_time " +
        "FROM appointments WHERE reminder_set = 1 AND repeats IS NOT 1 AND " + kAppointmentReminderDue +
        " BETWEEN ?1 AND ?2 AND " + kNotFired + kAppointmentReminderDue + ") ORDER BY " +
        kAppointmentReminderDue + ", id";
    const std::string allTasks = std::string(kTaskColumns) + "ORDER BY id";
    const std::string appointmentByUid =
        std::string(kAppointmentColumns) + "FROM appointments a WHERE a.uid = ?1 ORDER BY a.id LIMIT 1";
    const std::string contactByUid = contactColumns + "WHERE uid = ?1 ORDER BY id LIMIT 1";
    const std::string taskByUid = std::string(kTaskColumns) + "WHERE uid = ?1 ORDER BY id LIMIT 1";
    const std::string appointmentById =
        std::string(kAppointmentColumns) + "FROM appointments a WHERE a.id = ?1";
    const std::string contactById = contactColumns + "WHERE id = ?1";
    const std::string taskById = std::string(kTaskColumns) + "WHERE id = ?1";
    const std::string taskReminders =
        std::string("SELECT id, reminder_time, subject, '', reminder_time FROM tasks ") +
        "WHERE reminder_set = 1 AND reminder_time > 0 AND reminder_time BETWEEN ?1 AND ?2 AND " + kNotFired +
        "reminder_time) ORDER BY reminder_time, id";
    const std::string occurrenceReminders =
        std::string("SELECT o.item_id, o.due, o.subject, o.location, o.start_time FROM occurrences o ") +
        "WHERE o.due IS NOT NULL AND o.due BETWEEN ?1 AND ?2 AND NOT EXISTS (SELECT 1 FROM fired_reminders f "
        "WHERE f.kind = ?3 AND f.item_id = o.item_id AND f.due = o.due) ORDER BY o.due, o.item_id";
    struct {
        ovSqliteStatement& statement;
        const char* sql;
    } const statements[] = {
        {occurrenceReminders_, occurrenceReminders.c_str()},
        {occurrencesOverlapping_, occurrencesOnly.c_str()},
        {readOccurrenceWindow_, "SELECT from_date, to_date FROM occurrence_window WHERE id = 1"},
        {putOccurrenceWindow_,
         "INSERT OR REPLACE INTO occurrence_window (id, from_date, to_date) VALUES (1, ?1, ?2)"},
        {insertOccurrence_,
         "INSERT OR IGNORE INTO occurrences (item_id, start_time, end_time, subject, location, "
         "recurrence_id, due) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)"},
        {removeOccurrences_, "DELETE FROM occurrences WHERE item_id = ?1"},
        {repeatingAppointments_,
         "SELECT id, source, reminder_set, reminder_minutes FROM appointments WHERE repeats = 1"},
        {anySeries_, "SELECT 1 FROM appointments WHERE repeats = 1 LIMIT 1"},
        {unreadAppointments_, "SELECT id, source FROM appointments WHERE repeats IS NULL"},
        {setRepeats_, "UPDATE appointments SET repeats = ?2 WHERE id = ?1"},
        {appointmentSource_, "SELECT source FROM appointments WHERE id = ?1"},
        {contactSource_, "SELECT source FROM contacts WHERE id = ?1"},
        {taskSource_, "SELECT source FROM tasks WHERE id = ?1"},
        {appointmentReminders_, appointmentReminders.c_str()},
        {taskReminders_, taskReminders.c_str()},
        {claimReminder_, "INSERT OR IGNORE INTO fired_reminders (kind, item_id, due, fired_at) "
                         "VALUES (?1, ?2, ?3, ?4)"},
        {allAppointments_, all.c_str()},
        {overlappingAppointments_, overlapping.c_str()},
        {insertAppointment_,
         "INSERT INTO appointments (start_time, end_time, subject, location, reminder_set, "
         "reminder_minutes, uid, source, repeats) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?10)"},
        {updateAppointment_,
         "UPDATE appointments SET start_time = ?1, end_time = ?2, subject = ?3, location = ?4, "
         "reminder_set = ?5, reminder_minutes = ?6, uid = ?7, source = ?8, repeats = ?10 WHERE id = ?9"},
        {allContacts_, contactsAll.c_str()},
        {contactsByPrefix_, contactsPrefix.c_str()},
        {insertContact_,
         "INSERT INTO contacts (file_as, first_name, home_phone, mobile_phone, business_phone, "
         "business_fax, email1, file_as_key, first_name_key, uid, source) "
         "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)"},
        {updateContact_,
         "UPDATE contacts SET file_as = ?1, first_name = ?2, home_phone = ?3, mobile_phone = ?4, "
         "business_phone = ?5, business_fax = ?6, email1 = ?7, file_as_key = ?8, "
         "first_name_key = ?9, uid = ?10, source = ?11 WHERE id = ?12"},
        {allTasks_, allTasks.c_str()},
        {insertTask_,
         "INSERT INTO tasks (subject, importance, start_date, due_date, reminder_set, reminder_time, uid, "
         "source) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)"},
        {updateTask_, "UPDATE tasks SET subject = ?1, importance = ?2, start_date = ?3, due_date = ?4, "
                      "reminder_set = ?5, reminder_time = ?6, uid = ?7, source = ?8 WHERE id = ?9"},
        {appointmentByUid_, appointmentByUid.c_str()},
        {contactByUid_, contactByUid.c_str()},
        {taskByUid_, taskByUid.c_str()},
        {appointmentById_, appointmentById.c_str()},
        {contactById_, contactById.c_str()},
        {taskById_, taskById.c_str()},
        {allVdirFiles_,
         "SELECT kind, item_id, path, mtime_ns, size, digest, ctime_ns FROM vdir_files ORDER BY path"},
        {vdirFileOfItem_, "SELECT kind, item_id, path, mtime_ns, size, digest, ctime_ns FROM vdir_files "
                          "WHERE kind = ?1 AND item_id = ?2"},
        {vdirFileAtPath_, "SELECT count(*) FROM vdir_files WHERE path = ?1"},
        {vdirFilesUnder_, "SELECT 1 FROM vdir_files WHERE path >= ?1 AND path < ?2 LIMIT 1"},
        {putVdirFile_,
         "INSERT OR REPLACE INTO vdir_files (kind, item_id, path, mtime_ns, size, digest, ctime_ns) "
         "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)"},
        {removeVdirFile_, "DELETE FROM vdir_files WHERE path = ?1"},
        {unreadableFiles_, "SELECT path, size, mtime_ns, ctime_ns, inode, reason FROM vdir_unreadable"},
        {putUnreadableFile_, "INSERT OR REPLACE INTO vdir_unreadable (path, size, mtime_ns, ctime_ns, inode, "
                             "reason) VALUES (?1, ?2, ?3, ?4, ?5, ?6)"},
        {removeUnreadableFile_, "DELETE FROM vdir_unreadable WHERE path = ?1"},
    };
    for (const auto& s : statements) {
        if (ovResult<> r = db_.prepare(s.sql, s.statement); !r)
            return r;
    }
    return taskSeries_.prepare(db_);
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
        item->uid_ = statement.columnText(7);
        item->readSource(statement, 8);
        item->repeats_ = statement.columnInt(9) == 1;
        if (!statement.columnIsNull(10))
            item->recurrenceId_ = statement.columnDouble(10);
        item->occurrence_ = statement.columnInt(11) != 0;
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
    return readOverlapping(overlappingAppointments_, from, to, out);
}

ovResult<> ovPimStore::occurrencesOverlapping(double from, double to, ItemList& out) {
    return readOverlapping(occurrencesOverlapping_, from, to, out);
}

ovResult<> ovPimStore::readOverlapping(ovSqliteStatement& statement, double from, double to, ItemList& out) {
    if (ovResult<> r = keepOccurrences(from, to); !r)
        return r;
    ovSqliteStatement::ResetOnExit done(statement);
    statement.bindDouble(1, from);
    statement.bindDouble(2, to);
    return readAppointments(statement, out);
}

ovResult<bool> ovPimStore::readOccurrenceWindow(double& from, double& to) {
    ovSqliteStatement::ResetOnExit done(readOccurrenceWindow_);
    switch (readOccurrenceWindow_.step()) {
    case ovSqliteStatement::Step::row:
        from = readOccurrenceWindow_.columnDouble(0);
        to = readOccurrenceWindow_.columnDouble(1);
        return true;
    case ovSqliteStatement::Step::done:
        return false;
    default:
        return db_.failure("cannot read the repeating appointments").error();
    }
}

ovResult<> ovPimStore::putOccurrences(int64_t itemId, bool reminderSet, int reminderMinutes,
                                      const std::vector<ovPimOccurrence>& occurrences) {
    for (const ovPimOccurrence& o : occurrences) {
        ovSqliteStatement::ResetOnExit done(insertOccurrence_);
        insertOccurrence_.bindInt(1, itemId);
        insertOccurrence_.bindDouble(2, o.start);
        insertOccurrence_.bindDouble(3, o.end);
        insertOccurrence_.bindText(4, o.subject);
        insertOccurrence_.bindText(5, o.location);
        insertOccurrence_.bindDouble(6, o.recurrenceId ? *o.recurrenceId : std::nan(""));
        insertOccurrence_.bindDouble(7, reminderSet ? o.start - reminderMinutes / 1440.0 : std::nan(""));
        if (insertOccurrence_.step() != ovSqliteStatement::Step::done)
            return db_.failure("cannot keep the occurrences of a repeating appointment");
    }
    return ovResult<>::success();
}

ovResult<> ovPimStore::removeOccurrencesOf(int64_t itemId) {
    ovSqliteStatement::ResetOnExit done(removeOccurrences_);
    removeOccurrences_.bindInt(1, itemId);
    if (removeOccurrences_.step() != ovSqliteStatement::Step::done)
        return db_.failure("cannot drop the occurrences of a repeating appointment");
    return ovResult<>::success();
}

ovResult<> ovPimStore::indexOccurrences(const ovPimAppointment& item, bool& repeats) {
    repeats = false;
    if (ovResult<> r = removeOccurrencesOf(item.id_); !r)
        return r;
    if (!occurrenceSource_ || !ovPimTextMayRepeat(item.sourceText()))
        return ovResult<>::success();
    double from = 0, to = 0;
    ovResult<bool> window = readOccurrenceWindow(from, to);
    if (!window)
        return window.error();
    // Without a window yet, an empty span only tells whether the text repeats; the first
    // range query expands it with the others.
    if (!window.value())
        from = to = item.start_;
    std::vector<ovPimOccurrence> found;
    repeats = occurrenceSource_->expand(item.sourceText(), from, to, found);
    if (!repeats)
        return ovResult<>::success();
    return putOccurrences(item.id_, item.reminderSet_, item.reminderMinutes_, found);
}

void ovPimStore::setOccurrenceSource(std::shared_ptr<ovPimOccurrenceSource> source) {
    occurrenceSource_ = std::move(source);
    if (occurrenceSource_)
        (void)readUnreadAppointments();
}

ovResult<> ovPimStore::readUnreadAppointments() {
    // Rows another program saved without reading their rules, or kept from an earlier
    // store version: whether they repeat is settled once, here.
    struct Unread {
        int64_t id;
        std::string source;
    };
    std::vector<Unread> unread;
    {
        ovSqliteStatement::ResetOnExit done(unreadAppointments_);
        while (unreadAppointments_.step() == ovSqliteStatement::Step::row)
            unread.push_back(
                {unreadAppointments_.columnInt(0), std::string(unreadAppointments_.columnText(1))});
    }
    if (unread.empty())
        return ovResult<>::success();
    if (ovResult<> r = beginChange(); !r)
        return r;
    double from = 0, to = 0;
    ovResult<bool> window = readOccurrenceWindow(from, to);
    ovResult<> r = window ? ovResult<>::success() : ovResult<>(window.error());
    for (const Unread& u : unread) {
        if (!r)
            break;
        std::vector<ovPimOccurrence> found;
        const bool repeats = ovPimTextMayRepeat(u.source) && occurrenceSource_->expand(u.source, 0, 0, found);
        {
            ovSqliteStatement::ResetOnExit done(setRepeats_);
            setRepeats_.bindInt(1, u.id);
            setRepeats_.bindInt(2, repeats ? 1 : 0);
            if (setRepeats_.step() != ovSqliteStatement::Step::done)
                r = db_.failure("cannot note a repeating appointment");
        }
    }
    // The window is filled afresh with every series at the next query.
    if (r && window.value())
        r = db_.exec("DELETE FROM occurrence_window; DELETE FROM occurrences");
    if (r)
        return commitChange();
    undoChange();
    return r;
}

ovResult<> ovPimStore::keepOccurrences(double from, double to) {
    if (!occurrenceSource_)
        return ovResult<>::success();
    double keptFrom = 0, keptTo = 0;
    ovResult<bool> window = readOccurrenceWindow(keptFrom, keptTo);
    if (!window)
        return window.error();
    if (window.value() && keptFrom < from && to < keptTo)
        return ovResult<>::success();
    // A store without series has nothing to keep, and a query on it writes nothing.
    {
        ovSqliteStatement::ResetOnExit done(anySeries_);
        const ovSqliteStatement::Step step = anySeries_.step();
        if (step == ovSqliteStatement::Step::error)
            return db_.failure("cannot read the repeating appointments");
        if (step == ovSqliteStatement::Step::done)
            return ovResult<>::success();
    }
    if (ovResult<> r = beginChange(); !r)
        return r;
    // Another process may have grown the window meanwhile.
    window = readOccurrenceWindow(keptFrom, keptTo);
    if (!window) {
        undoChange();
        return window.error();
    }
    if (window.value() && keptFrom < from && to < keptTo)
        return commitChange();
    const double wantFrom = from - kOccurrenceMarginDays, wantTo = to + kOccurrenceMarginDays;
    std::vector<std::pair<double, double>> pieces;
    double newFrom = wantFrom, newTo = wantTo;
    ovResult<> r = ovResult<>::success();
    if (!window.value() ||
        std::max(wantTo, keptTo) - std::min(wantFrom, keptFrom) > kLongestOccurrenceWindowDays) {
        r = db_.exec("DELETE FROM occurrences");
        pieces.emplace_back(wantFrom, wantTo);
    } else {
        newFrom = std::min(wantFrom, keptFrom);
        newTo = std::max(wantTo, keptTo);
        if (newFrom < keptFrom)
            pieces.emplace_back(newFrom, keptFrom);
        if (newTo > keptTo)
            pieces.emplace_back(keptTo, newTo);
    }
    struct Series {
        int64_t id;
        std::string source;
        bool reminderSet;
        int reminderMinutes;
    };
    std::vector<Series> series;
    if (r) {
        ovSqliteStatement::ResetOnExit done(repeatingAppointments_);
        ovSqliteStatement::Step step;
        while ((step = repeatingAppointments_.step()) == ovSqliteStatement::Step::row)
            series.push_back({repeatingAppointments_.columnInt(0),
                              std::string(repeatingAppointments_.columnText(1)),
                              repeatingAppointments_.columnInt(2) != 0,
                              static_cast<int>(repeatingAppointments_.columnInt(3))});
        if (step == ovSqliteStatement::Step::error)
            r = db_.failure("cannot read the repeating appointments");
    }
    std::vector<ovPimOccurrence> found;
    for (const Series& one : series) {
        for (const auto& [a, b] : pieces) {
            if (!r)
                break;
            occurrenceSource_->expand(one.source, a, b, found);
            r = putOccurrences(one.id, one.reminderSet, one.reminderMinutes, found);
        }
    }
    if (r) {
        ovSqliteStatement::ResetOnExit done(putOccurrenceWindow_);
        putOccurrenceWindow_.bindDouble(1, newFrom);
        putOccurrenceWindow_.bindDouble(2, newTo);
        if (putOccurrenceWindow_.step() != ovSqliteStatement::Step::done)
            r = db_.failure("cannot note the span of repeating appointments");
    }
    if (r)
        return commitChange();
    undoChange();
    return r;
}

ovResult<> ovPimStore::readContacts(ovSqliteStatement& statement, ItemList& out,
                                    std::vector<std::string>* keys) {
    out.clear();
    if (keys != nullptr)
        keys->clear();
    ovSqliteStatement::Step step;
    while ((step = statement.step()) == ovSqliteStatement::Step::row) {
        if (keys != nullptr)
            keys->emplace_back(statement.columnText(10));
        auto item = std::make_unique<ovPimContact>(weak_from_this());
        item->id_ = statement.columnInt(0);
        item->fileAs_ = ovToUtf16(statement.columnText(1));
        item->firstName_ = ovToUtf16(statement.columnText(2));
        item->home_ = ovToUtf16(statement.columnText(3));
        item->mobile_ = ovToUtf16(statement.columnText(4));
        item->business_ = ovToUtf16(statement.columnText(5));
        item->businessFax_ = ovToUtf16(statement.columnText(6));
        item->email1_ = ovToUtf16(statement.columnText(7));
        item->uid_ = statement.columnText(8);
        item->readSource(statement, 9);
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
    ItemList found;
    std::vector<std::string> keys;
    if (ovResult<> r = readContacts(contactsByPrefix_, found, &keys); !r) {
        out.clear();
        return r;
    }
    // The order of contacts(): by key, then by id. std::string compares bytes as unsigned,
    // as SQLite's BINARY collation does.
    std::vector<size_t> order(found.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (const int c = keys[a].compare(keys[b]); c != 0)
            return c < 0;
        return found[a]->id_ < found[b]->id_;
    });
    out.clear();
    out.reserve(found.size());
    for (const size_t i : order)
        out.push_back(std::move(found[i]));
    return ovResult<>::success();
}

ovResult<> ovPimStore::tasks(ItemList& out) {
    ovSqliteStatement::ResetOnExit done(allTasks_);
    return readTasks(allTasks_, out);
}

ovPimTaskDates ovPimStore::taskDatesAt(const ovPimTask& task, double now) {
    ovPimTaskDates dates{task.startDate(), task.dueDate(), task.reminderTime()};
    if (occurrenceSource_)
        (void)ovPimTaskSeries::nextInstance(*occurrenceSource_, task, now, dates);
    return dates;
}

ovResult<> ovPimStore::readTasks(ovSqliteStatement& statement, ItemList& out) {
    out.clear();
    ovSqliteStatement::Step step;
    while ((step = statement.step()) == ovSqliteStatement::Step::row) {
        auto item = std::make_unique<ovPimTask>(weak_from_this());
        item->id_ = statement.columnInt(0);
        item->subject_ = ovToUtf16(statement.columnText(1));
        item->importance_ = static_cast<int>(statement.columnInt(2));
        item->startDate_ = statement.columnDouble(3);
        item->dueDate_ = statement.columnDouble(4);
        item->reminderSet_ = statement.columnInt(5) != 0;
        item->reminderTime_ = statement.columnDouble(6);
        item->uid_ = statement.columnText(7);
        item->readSource(statement, 8);
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
    if (!db_.exec("BEGIN IMMEDIATE"))
        return openFailure(db_, db_.file());
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

ovResult<> ovPimStore::readReminders(ovSqliteStatement& statement, ovPimItemType kind, double from, double to,
                                     size_t limit, std::vector<ovPimReminder>& out) {
    ovSqliteStatement::ResetOnExit done(statement);
    statement.bindDouble(1, from);
    statement.bindDouble(2, to);
    statement.bindInt(3, static_cast<int>(kind));
    ovSqliteStatement::Step step = ovSqliteStatement::Step::done;
    size_t read = 0;
    while (read < limit && (step = statement.step()) == ovSqliteStatement::Step::row) {
        ovPimReminder r;
        r.kind = kind;
        r.itemId = statement.columnInt(0);
        r.due = statement.columnDouble(1);
        r.subject = ovToUtf16(statement.columnText(2));
        r.location = ovToUtf16(statement.columnText(3));
        r.start = statement.columnDouble(4);
        out.push_back(std::move(r));
        ++read;
    }
    if (read < limit && step == ovSqliteStatement::Step::error)
        return db_.failure("cannot read the reminders");
    return ovResult<>::success();
}

ovResult<> ovPimStore::reminders(double from, double to, size_t limit, std::vector<ovPimReminder>& out) {
    out.clear();
    if (ovResult<> r = readReminders(appointmentReminders_, ovPimItemType::appointment, from, to, limit, out);
        !r)
        return r;
    if (ovResult<> r = readReminders(taskReminders_, ovPimItemType::task, from, to, limit, out); !r) {
        out.clear();
        return r;
    }
    if (occurrenceSource_) {
        const double until = std::min(to, from + kReminderLookAheadDays);
        ovResult<> r = keepOccurrences(from, until);
        if (r)
            r = readReminders(occurrenceReminders_, ovPimItemType::appointment, from, until, limit, out);
        // A repeating task reminds for each instance instead of by its own reminder time,
        // which is its first instance's (and that one may be cancelled).
        std::set<int64_t> repeating;
        const auto own = static_cast<std::ptrdiff_t>(out.size());
        if (r)
            r = taskSeries_.reminders(db_, *occurrenceSource_, from, until, out, repeating);
        out.erase(std::remove_if(out.begin(), out.begin() + own,
                                 [&](const ovPimReminder& one) {
                                     return one.kind == ovPimItemType::task &&
                                            repeating.count(one.itemId) != 0;
                                 }),
                  out.begin() + own);
        if (!r) {
            out.clear();
            return r;
        }
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const ovPimReminder& a, const ovPimReminder& b) { return a.due < b.due; });
    if (out.size() > limit)
        out.resize(limit);
    return ovResult<>::success();
}

ovResult<bool> ovPimStore::claimReminder(const ovPimReminder& reminder, double firedAt) {
    std::vector<bool> claimed;
    if (ovResult<> r = claimReminders({reminder}, firedAt, claimed); !r)
        return r.error();
    return ovResult<bool>(claimed.front());
}

ovResult<> ovPimStore::claimReminders(const std::vector<ovPimReminder>& reminders, double firedAt,
                                      std::vector<bool>& claimed) {
    claimed.assign(reminders.size(), false);
    if (reminders.empty())
        return ovResult<>::success();
    // The write lock is taken first, through the busy handler: a claim that read first and
    // wrote second could find the store moved on under it and fail at once.
    if (ovResult<> r = beginChange(); !r)
        return r;
    for (size_t i = 0; i < reminders.size(); ++i) {
        ovSqliteStatement::ResetOnExit done(claimReminder_);
        claimReminder_.bindInt(1, static_cast<int>(reminders[i].kind));
        claimReminder_.bindInt(2, reminders[i].itemId);
        claimReminder_.bindDouble(3, reminders[i].due);
        claimReminder_.bindDouble(4, firedAt);
        if (claimReminder_.step() != ovSqliteStatement::Step::done) {
            ovResult<> failed = db_.failure("cannot note the reminder as fired");
            undoChange();
            claimed.assign(reminders.size(), false);
            return failed;
        }
        claimed[i] = db_.changes() == 1;
    }
    if (ovResult<> r = commitChange(); !r) {
        claimed.assign(reminders.size(), false);
        return r;
    }
    return ovResult<>::success();
}

ovResult<uint64_t> ovPimStore::changeStamp() {
    int64_t version = 0;
    if (ovResult<> r = db_.queryInt("PRAGMA data_version", version); !r)
        return r.error();
    // data_version moves only for other connections' commits; our own saves count here.
    return ovResult<uint64_t>((static_cast<uint64_t>(version) << 32) + localChanges_);
}

ovResult<> ovPimStore::beginChange() {
    // Inside a batch the batch's transaction is already open; a savepoint lets one save
    // be undone without dropping the others.
    if (!(inBatch_ ? db_.exec("SAVEPOINT item_change") : db_.exec("BEGIN IMMEDIATE")))
        return openFailure(db_, db_.file());
    return ovResult<>::success();
}

ovResult<> ovPimStore::commitChange() {
    if (ovResult<> r = db_.exec(inBatch_ ? "RELEASE item_change" : "COMMIT"); !r) {
        undoChange();
        return r;
    }
    return ovResult<>::success();
}

void ovPimStore::undoChange() {
    if (inBatch_) {
        (void)db_.exec("ROLLBACK TO item_change");
        (void)db_.exec("RELEASE item_change");
    } else {
        db_.rollback();
    }
}

ovResult<> ovPimStore::finishSave(ovPimItem& item, ovSqliteStatement& statement, const char* what,
                                  const std::function<ovResult<>()>& alsoKeep) {
    const bool isNew = item.id_ == 0;
    {
        ovSqliteStatement::ResetOnExit done(statement);
        if (statement.step() != ovSqliteStatement::Step::done) {
            ovResult<> failed = db_.failure(std::string("cannot save the ") + what);
            undoChange();
            return failed;
        }
        if (isNew) {
            item.id_ = db_.lastInsertRowId();
        } else if (db_.changes() == 0) {
            undoChange();
            return ovFail(ovPimCode::storeError,
                          db_.file() + ": cannot save the " + what + ": it is no longer in the store");
        }
    }
    ovResult<> r = alsoKeep ? alsoKeep() : ovResult<>::success();
    if (r && saveHook_)
        r = saveHook_->beforeSave(*this, item);
    if (r)
        r = commitChange();
    else
        undoChange();
    if (!r) {
        if (isNew)
            item.id_ = 0;
        return r;
    }
    ++localChanges_;
    return ovResult<>::success();
}

ovResult<> ovPimStore::saveAppointment(ovPimAppointment& item) {
    item.moveOutOfClockGap();
    if (item.uid_.empty())
        item.uid_ = ovPimNewUid();
    if (ovResult<> r = beginChange(); !r)
        return r;
    ovSqliteStatement& s = item.id_ == 0 ? insertAppointment_ : updateAppointment_;
    s.bindDouble(1, item.start_);
    s.bindDouble(2, item.end_);
    s.bindText(3, ovToUtf8(item.subject_));
    s.bindText(4, ovToUtf8(item.location_));
    s.bindInt(5, item.reminderSet_ ? 1 : 0);
    s.bindInt(6, item.reminderMinutes_);
    s.bindText(7, item.uid_);
    s.bindText(8, item.sourceText());
    if (item.id_ != 0)
        s.bindInt(9, item.id_);
    // Settled below once the row has its id; a text that cannot repeat is settled now.
    if (ovPimTextMayRepeat(item.sourceText()))
        s.bindDouble(10, std::nan(""));
    else
        s.bindInt(10, 0);
    return finishSave(item, s, "appointment", [this, &item]() -> ovResult<> {
        bool repeats = false;
        if (ovResult<> r = indexOccurrences(item, repeats); !r)
            return r;
        if (occurrenceSource_ && ovPimTextMayRepeat(item.sourceText())) {
            ovSqliteStatement::ResetOnExit done(setRepeats_);
            setRepeats_.bindInt(1, item.id_);
            setRepeats_.bindInt(2, repeats ? 1 : 0);
            if (setRepeats_.step() != ovSqliteStatement::Step::done)
                return db_.failure("cannot note a repeating appointment");
        }
        item.repeats_ = repeats;
        return ovResult<>::success();
    });
}

ovResult<> ovPimStore::saveContact(ovPimContact& item) {
    if (item.uid_.empty())
        item.uid_ = ovPimNewUid();
    if (ovResult<> r = beginChange(); !r)
        return r;
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
    s.bindText(10, item.uid_);
    s.bindText(11, item.sourceText());
    if (item.id_ != 0)
        s.bindInt(12, item.id_);
    return finishSave(item, s, "contact");
}

ovResult<> ovPimStore::saveTask(ovPimTask& item) {
    if (item.uid_.empty())
        item.uid_ = ovPimNewUid();
    if (ovResult<> r = beginChange(); !r)
        return r;
    ovSqliteStatement& s = item.id_ == 0 ? insertTask_ : updateTask_;
    s.bindText(1, ovToUtf8(item.subject_));
    s.bindInt(2, item.importance_);
    s.bindDouble(3, item.startDate_);
    s.bindDouble(4, item.dueDate_);
    s.bindInt(5, item.reminderSet_ ? 1 : 0);
    s.bindDouble(6, item.reminderTime_);
    s.bindText(7, item.uid_);
    s.bindText(8, item.sourceText());
    if (item.id_ != 0)
        s.bindInt(9, item.id_);
    return finishSave(item, s, "task");
}

ovResult<bool> ovPimStore::findOne(ovPimItemType kind, ovSqliteStatement* const statements[3],
                                   std::unique_ptr<ovPimItem>& out) {
    out.reset();
    ItemList found;
    ovResult<> r = ovResult<>::success();
    switch (kind) {
    case ovPimItemType::appointment: {
        ovSqliteStatement::ResetOnExit done(*statements[0]);
        r = readAppointments(*statements[0], found);
        break;
    }
    case ovPimItemType::contact: {
        ovSqliteStatement::ResetOnExit done(*statements[1]);
        r = readContacts(*statements[1], found);
        break;
    }
    case ovPimItemType::task: {
        ovSqliteStatement::ResetOnExit done(*statements[2]);
        r = readTasks(*statements[2], found);
        break;
    }
    }
    if (!r)
        return r.error();
    if (found.empty())
        return ovResult<bool>(false);
    out = std::move(found.front());
    return ovResult<bool>(true);
}

ovResult<> ovPimStore::sourceTextOf(ovPimItemType kind, int64_t id, std::string& out) {
    ovSqliteStatement* const statements[3] = {&appointmentSource_, &contactSource_, &taskSource_};
    ovSqliteStatement& s = *statements[kindIndex(kind)];
    ovSqliteStatement::ResetOnExit done(s);
    s.bindInt(1, id);
    switch (s.step()) {
    case ovSqliteStatement::Step::row:
        out = s.columnText(0);
        return ovResult<>::success();
    case ovSqliteStatement::Step::done:
        return ovFail(ovPimCode::storeError, db_.file() + ": item " + std::to_string(id) + " of " +
                                                 tableOf(kind) + " is no longer in the store");
    default:
        return db_.failure("cannot read the text an item was read from");
    }
}

ovResult<bool> ovPimStore::findByUid(ovPimItemType kind, std::string_view uid,
                                     std::unique_ptr<ovPimItem>& out) {
    ovSqliteStatement* const statements[3] = {&appointmentByUid_, &contactByUid_, &taskByUid_};
    statements[kindIndex(kind)]->bindText(1, uid);
    return findOne(kind, statements, out);
}

ovResult<bool> ovPimStore::findById(ovPimItemType kind, int64_t id, std::unique_ptr<ovPimItem>& out) {
    ovSqliteStatement* const statements[3] = {&appointmentById_, &contactById_, &taskById_};
    statements[kindIndex(kind)]->bindInt(1, id);
    return findOne(kind, statements, out);
}

ovResult<> ovPimStore::removeItem(ovPimItemType kind, int64_t id) {
    if (ovResult<> r = beginChange(); !r)
        return r;
    const std::string k = std::to_string(static_cast<int>(kind)), n = std::to_string(id);
    const std::string deleteItem = std::string("DELETE FROM ") + tableOf(kind) + " WHERE id = " + n;
    ovResult<> r = db_.exec(deleteItem.c_str());
    if (r && db_.changes() == 0) {
        undoChange();
        return ovFail(ovPimCode::invalidArgument, db_.file() + ": cannot remove item " + n + " of " +
                                                      tableOf(kind) + ": it is not in the store");
    }
    if (r)
        r = db_.exec(("DELETE FROM fired_reminders WHERE kind = " + k + " AND item_id = " + n).c_str());
    if (r && kind == ovPimItemType::appointment)
        r = removeOccurrencesOf(id);
    // The hook is told while the item's vdir_files row still says which file to remove.
    if (r && saveHook_)
        r = saveHook_->beforeRemove(*this, kind, id);
    if (r)
        r = db_.exec(("DELETE FROM vdir_files WHERE kind = " + k + " AND item_id = " + n).c_str());
    if (r)
        r = commitChange();
    else
        undoChange();
    if (r)
        ++localChanges_;
    return r;
}

ovResult<> ovPimStore::add(ovPimItem& item) {
    // The text comes along from the store the item was listed from, before it is cut off.
    (void)item.sourceText();
    item.store_ = weak_from_this();
    item.id_ = 0;
    return item.saveTo(*this);
}

ovResult<bool> ovPimStore::addOrReplaceByUid(ovPimItem& item) {
    std::unique_ptr<ovPimItem> existing;
    bool found = false;
    (void)item.sourceText();
    if (!item.uid_.empty()) {
        ovResult<bool> f = findByUid(item.itemType(), item.uid_, existing);
        if (!f)
            return f.error();
        found = f.value();
    }
    item.store_ = weak_from_this();
    item.id_ = found ? existing->id_ : 0;
    if (ovResult<> r = item.saveTo(*this); !r)
        return r.error();
    return ovResult<bool>(found);
}

namespace {
ovPimVdirFile vdirFileAt(ovSqliteStatement& row) {
    ovPimVdirFile f;
    f.kind = static_cast<ovPimItemType>(row.columnInt(0));
    f.itemId = row.columnInt(1);
    f.path = row.columnText(2);
    f.mtimeNs = row.columnInt(3);
    f.size = row.columnInt(4);
    f.digest = row.columnText(5);
    f.ctimeNs = row.columnInt(6);
    return f;
}
} // namespace

ovResult<> ovPimStore::vdirFiles(std::vector<ovPimVdirFile>& out) {
    out.clear();
    ovSqliteStatement::ResetOnExit done(allVdirFiles_);
    ovSqliteStatement::Step step;
    while ((step = allVdirFiles_.step()) == ovSqliteStatement::Step::row)
        out.push_back(vdirFileAt(allVdirFiles_));
    if (step == ovSqliteStatement::Step::error) {
        out.clear();
        return db_.failure("cannot read the vdir index");
    }
    return ovResult<>::success();
}

ovResult<bool> ovPimStore::vdirFileOf(ovPimItemType kind, int64_t itemId, ovPimVdirFile& out) {
    ovSqliteStatement::ResetOnExit done(vdirFileOfItem_);
    vdirFileOfItem_.bindInt(1, static_cast<int>(kind));
    vdirFileOfItem_.bindInt(2, itemId);
    switch (vdirFileOfItem_.step()) {
    case ovSqliteStatement::Step::row:
        out = vdirFileAt(vdirFileOfItem_);
        return true;
    case ovSqliteStatement::Step::done:
        return false;
    default:
        return db_.failure("cannot read the vdir index").error();
    }
}

ovResult<int64_t> ovPimStore::vdirItemsAt(std::string_view path) {
    ovSqliteStatement::ResetOnExit done(vdirFileAtPath_);
    vdirFileAtPath_.bindText(1, std::string(path));
    if (vdirFileAtPath_.step() != ovSqliteStatement::Step::row)
        return db_.failure("cannot read the vdir index").error();
    return vdirFileAtPath_.columnInt(0);
}

ovResult<bool> ovPimStore::vdirHasFolder(std::string_view folder) {
    // Every path of the folder sorts between "folder/" and "folder0" ('0' follows '/').
    ovSqliteStatement::ResetOnExit done(vdirFilesUnder_);
    vdirFilesUnder_.bindText(1, std::string(folder) + "/");
    vdirFilesUnder_.bindText(2, std::string(folder) + "0");
    const ovSqliteStatement::Step step = vdirFilesUnder_.step();
    if (step == ovSqliteStatement::Step::error)
        return db_.failure("cannot read the vdir index").error();
    return step == ovSqliteStatement::Step::row;
}

ovResult<> ovPimStore::putVdirFile(const ovPimVdirFile& file) {
    ovSqliteStatement::ResetOnExit done(putVdirFile_);
    putVdirFile_.bindInt(1, static_cast<int>(file.kind));
    putVdirFile_.bindInt(2, file.itemId);
    putVdirFile_.bindText(3, file.path);
    putVdirFile_.bindInt(4, file.mtimeNs);
    putVdirFile_.bindInt(5, file.size);
    putVdirFile_.bindText(6, file.digest);
    putVdirFile_.bindInt(7, file.ctimeNs);
    if (putVdirFile_.step() != ovSqliteStatement::Step::done)
        return db_.failure("cannot note " + file.path + " in the vdir index");
    return ovResult<>::success();
}

ovResult<> ovPimStore::removeVdirFile(std::string_view path) {
    ovSqliteStatement::ResetOnExit done(removeVdirFile_);
    removeVdirFile_.bindText(1, std::string(path));
    if (removeVdirFile_.step() != ovSqliteStatement::Step::done)
        return db_.failure("cannot drop " + std::string(path) + " from the vdir index");
    return ovResult<>::success();
}

ovResult<> ovPimStore::unreadableFiles(std::vector<ovPimUnreadableFile>& out) {
    out.clear();
    ovSqliteStatement::ResetOnExit done(unreadableFiles_);
    ovSqliteStatement::Step step;
    while ((step = unreadableFiles_.step()) == ovSqliteStatement::Step::row) {
        ovPimUnreadableFile f;
        f.path = unreadableFiles_.columnText(0);
        f.size = unreadableFiles_.columnInt(1);
        f.mtimeNs = unreadableFiles_.columnInt(2);
        f.ctimeNs = unreadableFiles_.columnInt(3);
        f.inode = unreadableFiles_.columnInt(4);
        f.reason = unreadableFiles_.columnText(5);
        out.push_back(std::move(f));
    }
    if (step == ovSqliteStatement::Step::error) {
        out.clear();
        return db_.failure("cannot read the vdir's unreadable files");
    }
    return ovResult<>::success();
}

ovResult<> ovPimStore::putUnreadableFile(const ovPimUnreadableFile& file) {
    ovSqliteStatement::ResetOnExit done(putUnreadableFile_);
    putUnreadableFile_.bindText(1, file.path);
    putUnreadableFile_.bindInt(2, file.size);
    putUnreadableFile_.bindInt(3, file.mtimeNs);
    putUnreadableFile_.bindInt(4, file.ctimeNs);
    putUnreadableFile_.bindInt(5, file.inode);
    putUnreadableFile_.bindText(6, file.reason);
    if (putUnreadableFile_.step() != ovSqliteStatement::Step::done)
        return db_.failure("cannot note " + file.path + " as unreadable");
    return ovResult<>::success();
}

ovResult<> ovPimStore::removeUnreadableFile(std::string_view path) {
    ovSqliteStatement::ResetOnExit done(removeUnreadableFile_);
    removeUnreadableFile_.bindText(1, std::string(path));
    if (removeUnreadableFile_.step() != ovSqliteStatement::Step::done)
        return db_.failure(
            std::string("cannot drop ").append(path).append(" from the vdir's unreadable files"));
    return ovResult<>::success();
}
