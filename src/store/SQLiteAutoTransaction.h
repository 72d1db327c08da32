// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

namespace zephyl {

class SQLiteDB;

/// A transaction that ends itself: "BEGIN" at construction on an open connection, "END" at
/// destruction unless Commit ran first.
class SQLiteAutoTransaction {
public:
    /// Active whenever a database is given, even when it has no connection to begin on.
    explicit SQLiteAutoTransaction(SQLiteDB* database);
    virtual ~SQLiteAutoTransaction();
    SQLiteAutoTransaction(const SQLiteAutoTransaction&) = delete;
    SQLiteAutoTransaction& operator=(const SQLiteAutoTransaction&) = delete;

    /// False when already active or without a database. Without a connection it only marks the
    /// transaction active (and answers false, since nothing began).
    bool Begin();
    /// Executes "END" on an open connection and leaves the transaction inactive.
    bool Commit();
    bool IsActive() const { return m_active; }

private:
    SQLiteDB* m_database;
    bool m_active = false;
    bool m_nested = false;  ///< begun inside another transaction, which ends it
};

}  // namespace zephyl
