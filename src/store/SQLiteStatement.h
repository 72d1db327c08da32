// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <string_view>

struct sqlite3_stmt;

namespace zephyl {

/// One prepared statement; SQLiteDB::Prepare fills it. Without a prepared statement the calls
/// answer SQLITE_MISUSE (21), 0 or no text instead of touching SQLite.
class SQLiteStatement {
public:
    SQLiteStatement() = default;
    /// Finalises the prepared statement.
    virtual ~SQLiteStatement();
    SQLiteStatement(const SQLiteStatement&) = delete;
    SQLiteStatement& operator=(const SQLiteStatement&) = delete;

    bool IsPrepared() const { return m_statement != nullptr; }
    void Finalize();

    int BindInt(int index, int value);
    /// Binds without copying: the bytes must stay alive and unchanged until the statement has
    /// been stepped for the last time or finalised.
    int BindText(int index, const char* text, int length);
    int BindText(int index, std::string_view text);
    int Step();

    int ColumnInt(int column) const;
    /// nullptr when not prepared or when the column is NULL.
    const char* ColumnText(int column) const;
    /// The column as text; a NULL column reads as the empty string.
    std::string ColumnString(int column) const;

private:
    friend class SQLiteDB;
    sqlite3_stmt* m_statement = nullptr;
};

}  // namespace zephyl
