#include "data/pim/ovSqliteDatabase.h"

#include <sqlite3.h>

#include <thread>

ovSqliteDatabase::~ovSqliteDatabase() {
    close();
}

ovResult<> ovSqliteDatabase::open(const std::string& file) {
    close();
    file_ = file;
    // One connection belongs to one thread (the UI thread), so SQLite's own locking of
    // every call is not needed.
    const int rc = sqlite3_open_v2(file.c_str(), &db_,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        ovResult<> result = failure("cannot open the store");
        close();
        return result;
    }
    sqlite3_extended_result_codes(db_, 1);
    // The window, the store tool, reminder runs and syncs share the store and take turns
    // at writing; each turn is short (a save, a batch of reminders, a piece of a sync), so
    // a writer waits for the others rather than fail, however many there are.
    // SQLite's own timeout sleeps longer and longer between tries (up to 100 ms), and a
    // sync that pauses a moment between its pieces would mostly find the sleepers asleep;
    // trying every millisecond lets them in.
    sqlite3_busy_handler(db_, &ovSqliteDatabase::waitWhileBusy, this);
    return ovResult<>::success();
}

int ovSqliteDatabase::waitWhileBusy(void* self, int tries) {
    auto& db = *static_cast<ovSqliteDatabase*>(self);
    const auto now = std::chrono::steady_clock::now();
    if (tries == 0)
        db.busySince_ = now;
    if (now - db.busySince_ > kBusyWait)
        return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return 1;
}

void ovSqliteDatabase::close() {
    if (db_ != nullptr) {
        // Statements still alive keep a zombie connection until they are finalized.
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

void ovSqliteDatabase::rollback() {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

ovResult<> ovSqliteDatabase::exec(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        return failure("the store refused a command");
    return ovResult<>::success();
}

ovResult<> ovSqliteDatabase::prepare(const char* sql, ovSqliteStatement& out) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return failure("the store has an unexpected layout");
    }
    out = ovSqliteStatement(statement);
    return ovResult<>::success();
}

ovResult<> ovSqliteDatabase::queryInt(const char* sql, int64_t& out) {
    ovSqliteStatement statement;
    if (ovResult<> r = prepare(sql, statement); !r)
        return r;
    if (statement.step() != ovSqliteStatement::Step::row)
        return failure("cannot read the store");
    out = statement.columnInt(0);
    return ovResult<>::success();
}

ovResult<> ovSqliteDatabase::queryText(const char* sql, std::string& out) {
    ovSqliteStatement statement;
    if (ovResult<> r = prepare(sql, statement); !r)
        return r;
    if (statement.step() != ovSqliteStatement::Step::row)
        return failure("cannot read the store");
    out = statement.columnText(0);
    return ovResult<>::success();
}

int64_t ovSqliteDatabase::lastInsertRowId() const {
    return sqlite3_last_insert_rowid(db_);
}

int ovSqliteDatabase::changes() const {
    return sqlite3_changes(db_);
}

int ovSqliteDatabase::errorCode() const {
    return db_ != nullptr ? (sqlite3_extended_errcode(db_) & 0xFF) : SQLITE_CANTOPEN;
}

std::string ovSqliteDatabase::errorText() const {
    return db_ != nullptr ? sqlite3_errmsg(db_) : "not open";
}

ovResult<> ovSqliteDatabase::failure(const std::string& what, ovPimCode code) const {
    std::string message = file_ + ": " + what;
    if (db_ != nullptr)
        message += ": " + errorText();
    return ovFail(code, std::move(message));
}
