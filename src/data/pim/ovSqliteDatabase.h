#pragma once
// Owner of one SQLite connection. Errors come back as results whose message names the
// file, so that whoever shows them need not know which file was meant.
#include "data/pim/ovPimCode.h"
#include "data/pim/ovSqliteStatement.h"

#include <chrono>
#include <cstdint>
#include <string>

struct sqlite3;

class ovSqliteDatabase {
public:
    ovSqliteDatabase() = default;
    ~ovSqliteDatabase();
    ovSqliteDatabase(const ovSqliteDatabase&) = delete;
    ovSqliteDatabase& operator=(const ovSqliteDatabase&) = delete;

    // Opens the file for reading and writing, creating it when missing. Nothing is
    // written to the file by opening it. The connection is for one thread at a time.
    ovResult<> open(const std::string& file);
    void close();
    bool isOpen() const { return db_ != nullptr; }
    const std::string& file() const { return file_; }

    // For fixed statements without parameters (pragmas, schema).
    ovResult<> exec(const char* sql);
    // Undoes the open transaction after a failure. Nothing is reported: the failure that
    // led here is the one worth telling, and SQLite undoes an unfinished transaction
    // itself when the connection closes.
    void rollback();
    ovResult<> prepare(const char* sql, ovSqliteStatement& out);
    // Runs a fixed query whose first row's first column is an integer.
    ovResult<> queryInt(const char* sql, int64_t& out);
    ovResult<> queryText(const char* sql, std::string& out);

    int64_t lastInsertRowId() const;
    int changes() const;

    // SQLite's message for the last failure.
    std::string errorText() const;
    // SQLite's primary result code of the last failure (SQLITE_BUSY, SQLITE_FULL, ...).
    int errorCode() const;
    // "FILE: what: SQLite's message", with the code for the caller.
    ovResult<> failure(const std::string& what, ovPimCode code = ovPimCode::storeError) const;

private:
    // Writers wait this long for each other before a write fails as busy.
    static constexpr std::chrono::seconds kBusyWait{20};
    static int waitWhileBusy(void* self, int tries);

    sqlite3* db_ = nullptr;
    std::string file_;
    std::chrono::steady_clock::time_point busySince_;
};
