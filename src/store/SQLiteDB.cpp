// SPDX-License-Identifier: GPL-2.0-or-later
#include "store/SQLiteDB.h"

#include "store/SQLiteStatement.h"

#include <sqlite3.h>

#include <atomic>
#include <cstring>
#include <string>

namespace zephyl {
namespace {

std::atomic<std::uint64_t> g_busyFailures{0};

// The first column of the first row; false when the statement yields no row.
bool QueryText(sqlite3* handle, const char* sql, std::string& text) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return false;
    }
    const int code = sqlite3_step(statement);
    if (code == SQLITE_ROW) {
        const unsigned char* value = sqlite3_column_text(statement, 0);
        text = value ? reinterpret_cast<const char*>(value) : "";
    }
    sqlite3_finalize(statement);
    return code == SQLITE_ROW;
}

}  // namespace

int NoteBusy(int code) {
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED) {
        g_busyFailures.fetch_add(1);
    }
    return code;
}

std::uint64_t SQLiteBusyFailures() {
    return g_busyFailures.load();
}

SQLiteDB::SQLiteDB(JournalSettings settings) : m_settings(settings) {}

SQLiteDB::~SQLiteDB() {
    if (m_handle != nullptr) {
        Interrupt();
        if (!Close()) {
            // Statements still alive: let SQLite free the connection when the last one goes.
            sqlite3_close_v2(m_handle);
            m_handle = nullptr;
        }
    }
}

bool SQLiteDB::Open(const char* fileName, int flags) {
    if (m_handle != nullptr) {
        Interrupt();
        if (!Close()) {
            return false;  // never drop a handle we still hold
        }
    }
    if (fileName == nullptr || *fileName == '\0') {
        return false;  // an empty name would silently open a private temporary database
    }
    sqlite3* handle = nullptr;
    if (sqlite3_open_v2(fileName, &handle, flags, nullptr) != SQLITE_OK) {
        sqlite3_close(handle);
        return false;
    }
    m_handle = handle;
    if (!ApplySettings()) {
        sqlite3_close(m_handle);
        m_handle = nullptr;
        return false;
    }
    // The check has read every page of the file into the connection's cache; the program
    // reads little after loading, so the pages are given back rather than kept for the run.
    sqlite3_db_release_memory(m_handle);
    return true;
}

// Also proves that the file is a sound, writable database: SQLite opens files lazily, so a
// file that is not a database, is cut short or is write-protected would otherwise only show up
// as failures of every later operation.
bool SQLiteDB::ApplySettings() {
    sqlite3_busy_timeout(m_handle, kSQLiteBusyTimeoutMs);
    if (sqlite3_db_readonly(m_handle, "main") != 0) {
        return false;
    }
    std::string mode;
    if (m_settings == JournalSettings::kWalNormal) {
        if (!QueryText(m_handle, "PRAGMA journal_mode = WAL;", mode) || mode != "wal" ||
            Exec("PRAGMA synchronous = NORMAL; ") != SQLITE_OK) {
            return false;
        }
    } else {
        if (!QueryText(m_handle, "PRAGMA journal_mode = DELETE;", mode) || mode != "delete" ||
            Exec("PRAGMA synchronous = OFF; ") != SQLITE_OK) {
            return false;
        }
    }
    std::string check;
    return QueryText(m_handle, "PRAGMA quick_check(1);", check) && check == "ok";
}

bool SQLiteDB::Close() {
    if (m_handle == nullptr) {
        return true;
    }
    if (sqlite3_close(m_handle) != SQLITE_OK) {
        return false;
    }
    m_handle = nullptr;
    return true;
}

// An interrupt with nothing running stays pending and would abort the checkpoint that closing
// runs, leaving the changes in the write-ahead log beside the file instead of in it.
void SQLiteDB::Interrupt() {
    if (m_handle == nullptr) {
        return;
    }
    sqlite3_mutex* mutex = sqlite3_db_mutex(m_handle);
    sqlite3_mutex_enter(mutex);
    bool running = false;
    for (sqlite3_stmt* statement = sqlite3_next_stmt(m_handle, nullptr);
         statement != nullptr && !running; statement = sqlite3_next_stmt(m_handle, statement)) {
        running = sqlite3_stmt_busy(statement) != 0;
    }
    if (running) {
        sqlite3_interrupt(m_handle);
    }
    sqlite3_mutex_leave(mutex);
}

int SQLiteDB::Prepare(SQLiteStatement& statement, const char* sql, int length) {
    statement.Finalize();
    if (m_handle == nullptr || sql == nullptr) {
        return SQLITE_MISUSE;
    }
    if (length < 0) {
        length = static_cast<int>(std::strlen(sql)) + 1;
    }
    return NoteBusy(sqlite3_prepare_v2(m_handle, sql, length, &statement.m_statement, nullptr));
}

int SQLiteDB::Exec(const char* sql, int (*callback)(void*, int, char**, char**), void* context) {
    if (m_handle == nullptr || sql == nullptr) {
        return SQLITE_MISUSE;
    }
    return NoteBusy(sqlite3_exec(m_handle, sql, callback, context, nullptr));
}

bool SQLiteDB::InTransaction() const {
    return m_handle != nullptr && sqlite3_get_autocommit(m_handle) == 0;
}

std::int64_t SQLiteDB::LastInsertRowId() const {
    if (m_handle == nullptr) {
        return -1;
    }
    return sqlite3_last_insert_rowid(m_handle);
}

}  // namespace zephyl
