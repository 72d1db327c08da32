// SPDX-License-Identifier: GPL-2.0-or-later
// The statement helpers shared by the table files of ProfileDatabase; not for other users.
#pragma once

#include "store/ProfileDatabase.h"
#include "store/SQLiteStatement.h"

#include <sqlite3.h>

#include <string>
#include <type_traits>

namespace zephyl::store_detail {

inline bool StepSucceeded(int code) {
    return code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE;
}

inline void BindAt(SQLiteStatement& statement, int index, int value) {
    statement.BindInt(index, value);
}

// Texts are bound without a copy: the caller's string outlives the statement, which is
// finalised before the operation returns.
inline void BindAt(SQLiteStatement& statement, int index, const std::string& text) {
    statement.BindText(index, text);
}

void BindAt(SQLiteStatement&, int, const char*) = delete;  // would bind a dangling view

/// Binds the arguments to the placeholders 1, 2, ... in order.
template <typename... Args>
void BindAll(SQLiteStatement& statement, const Args&... args) {
    [[maybe_unused]] int index = 0;
    (BindAt(statement, ++index, args), ...);
}

}  // namespace zephyl::store_detail

namespace zephyl {

template <typename... Args>
bool ProfileDatabase::Run(const char* sql, const Args&... args) {
    std::lock_guard lock(m_lock);
    SQLiteStatement statement;
    m_db.Prepare(statement, sql, -1);
    store_detail::BindAll(statement, args...);
    return store_detail::StepSucceeded(statement.Step());
}

template <typename... Args>
int ProfileDatabase::Insert(const char* sql, const Args&... args) {
    std::lock_guard lock(m_lock);
    SQLiteStatement statement;
    m_db.Prepare(statement, sql, -1);
    store_detail::BindAll(statement, args...);
    if (!store_detail::StepSucceeded(statement.Step())) {
        return 0;
    }
    return static_cast<int>(m_db.LastInsertRowId());
}

template <typename... Args>
int ProfileDatabase::QueryInt(const char* sql, const Args&... args) {
    std::lock_guard lock(m_lock);
    SQLiteStatement statement;
    m_db.Prepare(statement, sql, -1);
    store_detail::BindAll(statement, args...);
    return statement.Step() == SQLITE_ROW ? statement.ColumnInt(0) : 0;
}

template <typename Record, typename Reader, typename... Args>
bool ProfileDatabase::ReadOne(Record& record, Reader read, const char* sql, const Args&... args) {
    std::lock_guard lock(m_lock);
    SQLiteStatement statement;
    m_db.Prepare(statement, sql, -1);
    store_detail::BindAll(statement, args...);
    if (statement.Step() != SQLITE_ROW) {
        return false;
    }
    read(statement, record);
    return true;
}

template <typename Record, typename Reader, typename... Args>
int ProfileDatabase::List(std::vector<Record>& list, Reader read, const char* sql,
                          const Args&... args) {
    std::lock_guard lock(m_lock);
    list.clear();
    SQLiteStatement statement;
    m_db.Prepare(statement, sql, -1);
    store_detail::BindAll(statement, args...);
    while (statement.Step() == SQLITE_ROW) {
        read(statement, list.emplace_back());
    }
    return static_cast<int>(list.size());
}

}  // namespace zephyl
