// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>

struct sqlite3;

namespace zephyl {

class SQLiteStatement;

/// How a connection trades durability for speed once it is open.
enum class JournalSettings {
    /// Write-ahead log with synchronous = NORMAL: commits do not wait for the disk, and a crash
    /// or power loss can lose the last commits but never damage the file.
    kWalNormal,
    /// Rollback journal with synchronous = OFF: what older files of this program were written
    /// with. Kept only so the benchmarks can measure what the write-ahead log costs.
    kRollbackSyncOff,
};

/// How long a connection waits for another process's write. A person waits on every write (a
/// click in the window, a command typed): a few seconds let another process finish its write;
/// after that the write fails and says the database is busy.
inline constexpr int kSQLiteBusyTimeoutMs = 3000;

/// How many database calls of this process gave up because another connection held the
/// database past the busy timeout. A front end compares it before and after an operation: a
/// write that gave up changed nothing, whatever the operation's own result says.
std::uint64_t SQLiteBusyFailures();
/// Counts `code` when it is SQLITE_BUSY or SQLITE_LOCKED; returns it.
int NoteBusy(int code);

/// One SQLite connection. Result codes of SQLite are passed through unchanged; without a
/// connection the calls answer SQLITE_MISUSE (21) instead of touching SQLite.
class SQLiteDB {
public:
    explicit SQLiteDB(JournalSettings settings = JournalSettings::kWalNormal);
    /// Interrupts and closes an open connection.
    virtual ~SQLiteDB();
    SQLiteDB(const SQLiteDB&) = delete;
    SQLiteDB& operator=(const SQLiteDB&) = delete;

    /// Closes any open connection first, then opens `fileName` with `flags` (sqlite3_open_v2
    /// flags). The connection is only kept when it can be used for writing: a file that is not a
    /// database, is damaged, or cannot be written gives false and leaves nothing open.
    bool Open(const char* fileName, int flags);
    /// True when nothing was open or the close succeeded; a connection that cannot be closed
    /// (statements still alive) stays open.
    bool Close();
    bool IsOpen() const { return m_handle != nullptr; }
    /// A transaction is open on the connection.
    bool InTransaction() const;
    /// Aborts a statement that another thread is in the middle of stepping.
    void Interrupt();

    /// Finalises the statement's previous SQL, then prepares `sql`. A negative `length` means
    /// the whole string including its terminating NUL.
    int Prepare(SQLiteStatement& statement, const char* sql, int length);
    int Exec(const char* sql, int (*callback)(void*, int, char**, char**) = nullptr,
             void* context = nullptr);
    /// -1 without a connection.
    std::int64_t LastInsertRowId() const;

    JournalSettings Settings() const { return m_settings; }

private:
    bool ApplySettings();

    sqlite3* m_handle = nullptr;
    JournalSettings m_settings;
};

}  // namespace zephyl
