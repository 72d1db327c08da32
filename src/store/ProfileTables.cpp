// SPDX-License-Identifier: GPL-2.0-or-later
// Settings (t_config_data) and profiles (t_profile_data).
#include "store/ProfileDatabase.h"

#include "store/ConfigValues.h"
#include "store/ProfileDatabaseAccess.h"
#include "store/SQLiteAutoTransaction.h"

namespace zephyl {
namespace {

void ReadProfile(const SQLiteStatement& statement, Profile& row) {
    row.profile = statement.ColumnInt(0);
    row.name = statement.ColumnString(1);
    row.status = statement.ColumnInt(2);
    row.app = statement.ColumnString(3);
    row.type = statement.ColumnInt(4);
}

}  // namespace

void ProfileDatabase::InsertDefaultConfig() {
    std::lock_guard lock(m_lock);
    for (const ConfigDefault& row : kDefaultConfig) {
        const std::string key = row.key;
        const std::string value = row.value;
        Run("INSERT INTO t_config_data(profile, key, value) VALUES (?, ?, ?);", kSettingsProfile,
            key, value);
    }
}

bool ProfileDatabase::SetConfigValue(int profile, const std::string& key,
                                     const std::string& value) {
    return Run("UPDATE t_config_data SET value = ? WHERE profile = ? and key = ?", value, profile,
               key);
}

bool ProfileDatabase::GetConfigValue(int profile, const std::string& key, std::string& value) {
    value.clear();
    return ReadOne(
        value,
        [](const SQLiteStatement& statement, std::string& text) {
            text = statement.ColumnString(0);
        },
        "SELECT value FROM t_config_data WHERE profile = ? and key = ?", profile, key);
}

int ProfileDatabase::AddProfile(const std::string& name, const std::string& app) {
    return Insert("INSERT INTO t_profile_data(name, status, app, type) VALUES (?, ?, ?, ?);", name,
                  0, app, 0);
}

// Its key rows go with it: ids are never reused, so nothing could ever show or send them again.
bool ProfileDatabase::DeleteProfile(int id) {
    std::lock_guard lock(m_lock);
    SQLiteAutoTransaction transaction(&m_db);
    transaction.Begin();
    if (!Run("DELETE FROM t_profile_data WHERE profile = ?", id) ||
        !Run("DELETE FROM t_key_macro_data WHERE profile = ?", id)) {
        m_db.Exec("ROLLBACK");  // both or neither
        return false;
    }
    return transaction.Commit();
}

bool ProfileDatabase::RenameProfile(int id, const std::string& name) {
    return Run("UPDATE t_profile_data SET name = ? WHERE profile = ?", name, id);
}

bool ProfileDatabase::GetProfileName(int id, std::string& name) {
    name.clear();
    return ReadOne(
        name,
        [](const SQLiteStatement& statement, std::string& text) {
            text = statement.ColumnString(0);
        },
        "SELECT name FROM t_profile_data WHERE profile = ?", id);
}

int ProfileDatabase::ListProfiles(std::vector<Profile>& list) {
    return List(list, ReadProfile, "SELECT * FROM t_profile_data");
}

bool ProfileDatabase::MarkFirstProfileActive() {
    std::lock_guard lock(m_lock);
    SQLiteStatement statement;
    m_db.Prepare(statement, "UPDATE t_profile_data SET status = ?", -1);
    statement.BindInt(1, 0);
    statement.Step();
    m_db.Prepare(statement, "UPDATE t_profile_data SET status = ? WHERE profile = ?", -1);
    statement.BindInt(1, 1);
    statement.BindInt(2, 1);
    return store_detail::StepSucceeded(statement.Step());
}

bool ProfileDatabase::MarkProfileActive(int profile) {
    std::lock_guard lock(m_lock);
    SQLiteStatement statement;
    m_db.Prepare(statement,
                 "UPDATE t_profile_data SET status = CASE WHEN profile = ? THEN 1 ELSE 0 END", -1);
    statement.BindInt(1, profile);
    return store_detail::StepSucceeded(statement.Step());
}

int ProfileDatabase::GetActiveProfile() {
    return QueryInt("SELECT profile FROM t_profile_data WHERE status = ?", 1);
}

// One transaction for the whole first filling: a run cut short leaves no profile behind, so the
// next load fills the database again instead of keeping it without its default settings.
int ProfileDatabase::PrepareProfiles(const std::string& defaultName, std::vector<Profile>& list) {
    std::lock_guard lock(m_lock);
    if (ListProfiles(list) >= 1) {
        return static_cast<int>(list.size());
    }
    SQLiteAutoTransaction transaction(&m_db);
    AddProfile(defaultName + " 1", "");
    InsertDefaultConfig();
    AddProfile(defaultName + " 2", "");
    AddProfile(defaultName + " 3", "");
    MarkFirstProfileActive();
    transaction.Commit();
    return ListProfiles(list);
}

ProfileDatabase::Batch::Batch(ProfileDatabase& database)
    : m_database(database), m_lock(database.m_lock) {
    m_open = m_database.m_db.Exec("BEGIN") == 0;
}

ProfileDatabase::Batch::~Batch() {
    if (m_open) {
        m_database.m_db.Exec("ROLLBACK");
    }
}

bool ProfileDatabase::Batch::Commit() {
    if (!m_open) {
        return false;
    }
    m_open = false;
    if (m_database.m_db.Exec("COMMIT") == 0) {
        return true;
    }
    m_database.m_db.Exec("ROLLBACK");
    return false;
}

}  // namespace zephyl
