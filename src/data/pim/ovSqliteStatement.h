#pragma once
// Owner of one prepared SQLite statement. Values only ever reach SQL through the bind
// calls, never through the statement's text.
#include <cstdint>
#include <string_view>

struct sqlite3_stmt;

class ovSqliteStatement {
public:
    enum class Step { row, done, error };

    ovSqliteStatement() = default;
    explicit ovSqliteStatement(sqlite3_stmt* statement) : statement_(statement) {}
    ~ovSqliteStatement();
    ovSqliteStatement(const ovSqliteStatement&) = delete;
    ovSqliteStatement& operator=(const ovSqliteStatement&) = delete;
    ovSqliteStatement(ovSqliteStatement&& other) noexcept;
    ovSqliteStatement& operator=(ovSqliteStatement&& other) noexcept;

    bool prepared() const { return statement_ != nullptr; }

    // Parameters are numbered from 1, as SQLite numbers them.
    void bindInt(int index, int64_t value);
    // Non-finite values are bound as NULL (SQLite has no NaN), so NOT NULL columns refuse them.
    void bindDouble(int index, double value);
    // The bytes are copied; they need not be valid UTF-8 (the prefix search binds an upper
    // bound ending in 0xFF that sorts after every valid text starting with the prefix).
    void bindText(int index, std::string_view utf8);

    Step step();
    // Ends the current run and forgets the bindings. A statement left mid-run would keep
    // a read transaction open and hold back WAL checkpoints, so every run ends with this.
    void reset();

    // Columns are numbered from 0.
    bool columnIsNull(int column) const;
    int64_t columnInt(int column) const;
    double columnDouble(int column) const;
    // Valid until the next step or reset; NULL reads as empty.
    std::string_view columnText(int column) const;

    // Resets the statement when the scope ends, whichever way it ends.
    class ResetOnExit {
    public:
        explicit ResetOnExit(ovSqliteStatement& statement) : statement_(statement) {}
        ~ResetOnExit() { statement_.reset(); }
        ResetOnExit(const ResetOnExit&) = delete;
        ResetOnExit& operator=(const ResetOnExit&) = delete;

    private:
        ovSqliteStatement& statement_;
    };

private:
    sqlite3_stmt* statement_ = nullptr;
};
