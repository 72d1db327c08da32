// SPDX-License-Identifier: GPL-2.0-or-later
#include "store/SQLiteAutoTransaction.h"

#include "store/SQLiteDB.h"

#include <sqlite3.h>

namespace zephyl {

SQLiteAutoTransaction::SQLiteAutoTransaction(SQLiteDB* database) : m_database(database) {
    if (m_database == nullptr) {
        return;
    }
    if (m_database->IsOpen()) {
        // Inside a caller's transaction this one is part of it: that one commits or rolls back.
        m_nested = m_database->InTransaction();
        if (!m_nested) {
            m_database->Exec("BEGIN");
        }
    }
    m_active = true;
}

SQLiteAutoTransaction::~SQLiteAutoTransaction() {
    if (m_active && !m_nested && m_database != nullptr && m_database->IsOpen()) {
        m_database->Exec("END");
    }
}

bool SQLiteAutoTransaction::Begin() {
    if (m_active || m_database == nullptr) {
        return false;
    }
    m_active = true;
    if (!m_database->IsOpen()) {
        return false;
    }
    // Inside a caller's transaction this one is part of it: that one commits or rolls back.
    m_nested = m_database->InTransaction();
    return m_nested || m_database->Exec("BEGIN") == SQLITE_OK;
}

bool SQLiteAutoTransaction::Commit() {
    bool committed = m_nested;
    if (!m_nested && m_database != nullptr && m_database->IsOpen()) {
        committed = m_database->Exec("END") == SQLITE_OK;
    }
    m_active = false;
    return committed;
}

}  // namespace zephyl
