#include "data/pim/ovSqliteStatement.h"

#include <sqlite3.h>

#include <cmath>
#include <utility>

ovSqliteStatement::~ovSqliteStatement() {
    sqlite3_finalize(statement_);
}

ovSqliteStatement::ovSqliteStatement(ovSqliteStatement&& other) noexcept
    : statement_(std::exchange(other.statement_, nullptr)) {}

ovSqliteStatement& ovSqliteStatement::operator=(ovSqliteStatement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(statement_);
        statement_ = std::exchange(other.statement_, nullptr);
    }
    return *this;
}

void ovSqliteStatement::bindInt(int index, int64_t value) {
    sqlite3_bind_int64(statement_, index, value);
}

void ovSqliteStatement::bindDouble(int index, double value) {
    if (std::isfinite(value))
        sqlite3_bind_double(statement_, index, value);
    else
        sqlite3_bind_null(statement_, index);
}

void ovSqliteStatement::bindText(int index, std::string_view utf8) {
    // SQLite wants a non-null pointer for an empty text, or it binds NULL.
    sqlite3_bind_text(statement_, index, utf8.empty() ? "" : utf8.data(), static_cast<int>(utf8.size()),
                      SQLITE_TRANSIENT);
}

ovSqliteStatement::Step ovSqliteStatement::step() {
    switch (sqlite3_step(statement_)) {
    case SQLITE_ROW:
        return Step::row;
    case SQLITE_DONE:
        return Step::done;
    default:
        return Step::error;
    }
}

void ovSqliteStatement::reset() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

bool ovSqliteStatement::columnIsNull(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

int64_t ovSqliteStatement::columnInt(int column) const {
    return sqlite3_column_int64(statement_, column);
}

double ovSqliteStatement::columnDouble(int column) const {
    return sqlite3_column_double(statement_, column);
}

std::string_view ovSqliteStatement::columnText(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    if (text == nullptr)
        return {};
    return {text, static_cast<size_t>(sqlite3_column_bytes(statement_, column))};
}
