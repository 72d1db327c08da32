// SPDX-License-Identifier: GPL-2.0-or-later
// Key assignments (t_key_macro_data) and host actions (t_key_otherdata).
#include "store/ProfileDatabase.h"

#include "store/ProfileDatabaseAccess.h"

namespace zephyl {
namespace {

void ReadKeyAssignment(const SQLiteStatement& statement, KeyAssignment& row) {
    row.key_id = statement.ColumnInt(0);
    row.profile = statement.ColumnInt(1);
    row.fn_layer = statement.ColumnInt(2);
    row.key_code = statement.ColumnInt(3);
    row.layout_value = statement.ColumnInt(4);
    row.layout_desc = statement.ColumnString(5);
    row.macro_type = statement.ColumnInt(6);
    row.macro_value = statement.ColumnInt(7);
    row.macro_value2 = statement.ColumnInt(8);
    row.macro_value3 = statement.ColumnInt(9);
    row.macro_desc = statement.ColumnString(10);
}

}  // namespace

int ProfileDatabase::SaveKeyAssignment(const KeyAssignment& record) {
    if (record.key_code == 0) {
        return 0;
    }
    std::lock_guard lock(m_lock);
    SQLiteStatement statement;
    m_db.Prepare(statement,
                 "DELETE FROM t_key_macro_data WHERE profile = ? and fn_layer = ? and key_code = ?",
                 -1);
    store_detail::BindAll(statement, record.profile, record.fn_layer, record.key_code);
    statement.Step();
    // Both values 0 is the key's own function, which is kept as the absence of a row.
    if (record.macro_value == 0 && record.macro_value2 == 0) {
        return 0;
    }
    m_db.Prepare(statement,
                 "INSERT INTO t_key_macro_data(profile, fn_layer, key_code, layout_value, "
                 "layout_desc, macro_type, macro_value, macro_value2, macro_value3, macro_desc) "
                 "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?);",
                 -1);
    store_detail::BindAll(statement, record.profile, record.fn_layer, record.key_code,
                          record.layout_value, record.layout_desc, record.macro_type,
                          record.macro_value, record.macro_value2, record.macro_value3,
                          record.macro_desc);
    if (!store_detail::StepSucceeded(statement.Step())) {
        return 0;
    }
    return static_cast<int>(m_db.LastInsertRowId());
}

bool ProfileDatabase::GetKeyAssignment(int profile, int layer, int key, KeyAssignment& record) {
    return ReadOne(
        record, ReadKeyAssignment,
        "SELECT * FROM t_key_macro_data WHERE profile = ? and fn_layer = ? and key_code = ?",
        profile, layer, key);
}

int ProfileDatabase::ListKeyAssignments(int profile, int layer, std::vector<KeyAssignment>& list) {
    return List(list, ReadKeyAssignment,
                "SELECT * FROM t_key_macro_data WHERE profile = ? and fn_layer = ?", profile,
                layer);
}

void ProfileDatabase::DeleteProfileAssignments(int profile) {
    Run("DELETE FROM t_key_macro_data WHERE profile = ?", profile);
}

int ProfileDatabase::AddHostAction(const std::string& desc, const std::string& param, int type) {
    return Insert("INSERT INTO t_key_otherdata(macro_desc, param, type) VALUES (?, ?, ?);", desc,
                  param, type);
}

bool ProfileDatabase::GetHostAction(int id, std::string& desc, std::string& param, int& type) {
    HostAction action;
    if (ReadOne(
            action,
            [](const SQLiteStatement& statement, HostAction& row) {
                row.macro_desc = statement.ColumnString(0);
                row.param = statement.ColumnString(1);
                row.type = statement.ColumnInt(2);
            },
            "SELECT macro_desc, param, type FROM t_key_otherdata WHERE macro_value = ?", id)) {
        desc = action.macro_desc;
        param = action.param;
        type = action.type;
    }
    return true;
}

}  // namespace zephyl
