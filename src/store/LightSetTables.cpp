// SPDX-License-Identifier: GPL-2.0-or-later
// User lighting sets (t_userlight_data, t_userlightrgb_data) and custom lighting sets
// (t_customlight_data, t_customrgb_data).
#include "store/ProfileDatabase.h"

#include "store/ConfigValues.h"
#include "store/ProfileDatabaseAccess.h"
#include "store/SQLiteAutoTransaction.h"

namespace zephyl {
namespace {

// Speed and brightness of a new set.
constexpr int kNewSetLevel = 15;

constexpr const char* kDeleteCustomKey =
    "DELETE FROM t_customrgb_data WHERE customlight_id = ? AND keycode = ?";
constexpr const char* kInsertCustomKey =
    "INSERT INTO t_customrgb_data(customlight_id, keycode, rgbvalue, light_mode, colortype, "
    "light_type) VALUES (?, ?, ?, ?, ?, ?);";

void ReadUserLight(const SQLiteStatement& statement, UserLight& row) {
    row.userlight_id = statement.ColumnInt(0);
    row.profile = statement.ColumnInt(1);
    row.name = statement.ColumnString(2);
    row.speed = statement.ColumnInt(3);
    row.brightness = statement.ColumnInt(4);
    row.status = statement.ColumnInt(5);
}

void ReadUserLightKey(const SQLiteStatement& statement, UserLightKey& row) {
    row.userlightrgb_id = statement.ColumnInt(0);
    row.profile = statement.ColumnInt(1);
    row.userlight_id = statement.ColumnInt(2);
    row.key_code = statement.ColumnInt(3);
    row.key_rgb = statement.ColumnInt(4);
}

// The list shows names only.
void ReadCustomLightName(const SQLiteStatement& statement, CustomLight& row) {
    row.customlight_id = statement.ColumnInt(0);
    row.profile = statement.ColumnInt(1);
    row.name = statement.ColumnString(2);
}

void ReadCustomLightKey(const SQLiteStatement& statement, CustomLightKey& row) {
    row.customrgb_id = statement.ColumnInt(0);
    row.customlight_id = statement.ColumnInt(1);
    row.keycode = statement.ColumnInt(2);
    row.rgbvalue = statement.ColumnInt(3);
    row.light_mode = statement.ColumnInt(4);
    row.colortype = statement.ColumnInt(5);
    row.light_type = statement.ColumnInt(6);
}

}  // namespace

int ProfileDatabase::CountUserLights() {
    return QueryInt("select count(*) FROM t_userlight_data WHERE profile = ?", kSettingsProfile);
}

int ProfileDatabase::AddUserLight(int profile, const std::string& name) {
    return Insert(
        "INSERT INTO t_userlight_data(profile, name, speed, brightness, status) "
        "VALUES (?, ?, ?, ?, ?);",
        profile, name, kNewSetLevel, kNewSetLevel, 0);
}

bool ProfileDatabase::DeleteUserLight(int id) {
    return Run("DELETE FROM t_userlight_data WHERE userlight_id = ?", id);
}

bool ProfileDatabase::RenameUserLight(int id, const std::string& name) {
    return Run("UPDATE t_userlight_data SET name = ? WHERE userlight_id = ?", name, id);
}

int ProfileDatabase::ListUserLights(std::vector<UserLight>& list) {
    return List(list, ReadUserLight, "SELECT * FROM t_userlight_data WHERE profile = ?",
                kSettingsProfile);
}

int ProfileDatabase::AddUserLightKeys(const std::vector<UserLightKey>& list) {
    std::lock_guard lock(m_lock);
    SQLiteAutoTransaction transaction(&m_db);
    transaction.Begin();
    for (const UserLightKey& row : list) {
        Run("INSERT INTO t_userlightrgb_data(profile, userlight_id, key_code, key_rgb) "
            "VALUES (?, ?, ?, ?);",
            row.profile, row.userlight_id, row.key_code, row.key_rgb);
    }
    transaction.Commit();
    return static_cast<int>(list.size());
}

bool ProfileDatabase::DeleteUserLightKeys(int id) {
    return Run("DELETE FROM t_userlightrgb_data WHERE userlight_id = ?", id);
}

int ProfileDatabase::ListUserLightKeys(int id, std::vector<UserLightKey>& list) {
    return List(list, ReadUserLightKey, "SELECT * FROM t_userlightrgb_data WHERE userlight_id = ?",
                id);
}

int ProfileDatabase::AddCustomLight(int profile, const std::string& name) {
    return Insert(
        "INSERT INTO t_customlight_data(profile, name, speed, brightness) VALUES (?, ?, ?, ?);",
        profile, name, kNewSetLevel, kNewSetLevel);
}

bool ProfileDatabase::SetCustomLightSpeed(int id, int speed) {
    return Run("UPDATE t_customlight_data SET speed = ? WHERE customlight_id = ?", speed, id);
}

bool ProfileDatabase::GetCustomLightSpeed(int id, int& speed) {
    ReadOne(
        speed, [](const SQLiteStatement& statement, int& value) { value = statement.ColumnInt(0); },
        "SELECT speed FROM t_customlight_data WHERE customlight_id = ?", id);
    return true;
}

bool ProfileDatabase::DeleteCustomLight(int id) {
    std::lock_guard lock(m_lock);
    SQLiteStatement statement;
    m_db.Prepare(statement, "DELETE FROM t_customlight_data WHERE customlight_id = ?", -1);
    statement.BindInt(1, id);
    if (!store_detail::StepSucceeded(statement.Step())) {
        return false;
    }
    m_db.Prepare(statement, "DELETE FROM t_customrgb_data WHERE customlight_id = ?", -1);
    statement.BindInt(1, id);
    return store_detail::StepSucceeded(statement.Step());
}

int ProfileDatabase::ListCustomLights(int profile, std::vector<CustomLight>& list) {
    return List(list, ReadCustomLightName, "SELECT * FROM t_customlight_data WHERE profile = ?",
                profile);
}

int ProfileDatabase::SaveCustomLightKey(const CustomLightKey& row) {
    std::lock_guard lock(m_lock);
    SQLiteStatement statement;
    m_db.Prepare(statement, kDeleteCustomKey, -1);
    store_detail::BindAll(statement, row.customlight_id, row.keycode);
    statement.Step();
    // Effect 0 means the key has none: the set keeps no row for it.
    if (row.light_mode == 0) {
        return 0;
    }
    m_db.Prepare(statement, kInsertCustomKey, -1);
    store_detail::BindAll(statement, row.customlight_id, row.keycode, row.rgbvalue, row.light_mode,
                          row.colortype, row.light_type);
    if (!store_detail::StepSucceeded(statement.Step())) {
        return 0;
    }
    return static_cast<int>(m_db.LastInsertRowId());
}

int ProfileDatabase::SaveCustomLightKeys(const std::vector<CustomLightKey>& list) {
    std::lock_guard lock(m_lock);
    SQLiteAutoTransaction transaction(&m_db);
    transaction.Begin();
    for (const CustomLightKey& row : list) {
        Run(kDeleteCustomKey, row.customlight_id, row.keycode);
        Run(kInsertCustomKey, row.customlight_id, row.keycode, row.rgbvalue, row.light_mode,
            row.colortype, row.light_type);
    }
    transaction.Commit();
    return static_cast<int>(list.size());
}

int ProfileDatabase::ListCustomLightKeys(int id, std::vector<CustomLightKey>& list) {
    return List(list, ReadCustomLightKey, "SELECT * FROM t_customrgb_data WHERE customlight_id = ?",
                id);
}

}  // namespace zephyl
