#pragma once
// Owner of one SQLite connection. Errors come back as results whose message names the
// file, so that whoever shows them need not know which file was meant.
#include "platform/pim/ovPimResult.h"
#include "platform/pim/ovSqliteStatement.h"

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
    ovPimResult open(const std::string& file);
    void close();
    bool isOpen() const { return db_ != nullptr; }
    const std::string& file() const { return file_; }

    // For fixed statements without parameters (pragmas, schema).
    ovPimResult exec(const char* sql);
    ovPimResult prepare(const char* sql, ovSqliteStatement& out);
    // Runs a fixed query whose first row's first column is an integer.
    ovPimResult queryInt(const char* sql, int64_t& out);
    ovPimResult queryText(const char* sql, std::string& out);

    int64_t lastInsertRowId() const;
    int changes() const;

    // SQLite's message for the last failure.
    std::string errorText() const;
    // "FILE: what: SQLite's message", with the code for the caller.
    ovPimResult failure(const std::string& what, ovPimCode code = ovPimCode::storeError) const;

private:
    sqlite3* db_ = nullptr;
    std::string file_;
};
