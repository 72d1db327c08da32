// SPDX-License-Identifier: GPL-2.0-or-later
#include "store/SQLiteStatement.h"

#include "store/SQLiteDB.h"

#include <sqlite3.h>

namespace zephyl {

SQLiteStatement::~SQLiteStatement() {
    Finalize();
}

void SQLiteStatement::Finalize() {
    if (m_statement != nullptr) {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
    }
}

int SQLiteStatement::BindInt(int index, int value) {
    if (m_statement == nullptr) {
        return SQLITE_MISUSE;
    }
    return sqlite3_bind_int(m_statement, index, value);
}

int SQLiteStatement::BindText(int index, const char* text, int length) {
    if (m_statement == nullptr) {
        return SQLITE_MISUSE;
    }
    return sqlite3_bind_text(m_statement, index, text, length, SQLITE_STATIC);
}

int SQLiteStatement::BindText(int index, std::string_view text) {
    // A NULL pointer would store NULL; an empty name is still text.
    return BindText(index, text.data() != nullptr ? text.data() : "",
                    static_cast<int>(text.size()));
}

int SQLiteStatement::Step() {
    if (m_statement == nullptr) {
        return SQLITE_MISUSE;
    }
    return NoteBusy(sqlite3_step(m_statement));
}

int SQLiteStatement::ColumnInt(int column) const {
    if (m_statement == nullptr) {
        return 0;
    }
    return sqlite3_column_int(m_statement, column);
}

const char* SQLiteStatement::ColumnText(int column) const {
    if (m_statement == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
}

std::string SQLiteStatement::ColumnString(int column) const {
    const char* text = ColumnText(column);
    return text != nullptr ? std::string(text) : std::string();
}

}  // namespace zephyl
