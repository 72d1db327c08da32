// SPDX-License-Identifier: GPL-2.0-or-later
// Macros (t_macro_data) and their steps (t_macrorecord).
#include "store/ProfileDatabase.h"

#include "store/ProfileDatabaseAccess.h"
#include "store/SQLiteAutoTransaction.h"

namespace zephyl {
namespace {

// The kind of key assignment that plays a macro; its macro_value is the macro's id.
constexpr int kMacroAssignmentType = 3;

constexpr const char* kInsertMacro =
    "INSERT INTO t_macro_data(play_times, delay_type, delay_time, link_count, name) "
    "VALUES (?, ?, ?, ?, ?);";
constexpr const char* kInsertMacroStep =
    "INSERT INTO t_macrorecord(macro_id, type, record_index, \"desc\", value, delay_time) "
    "VALUES (?, ?, ?, ?, ?, ?);";

void ReadMacro(const SQLiteStatement& statement, Macro& row) {
    row.macro_id = statement.ColumnInt(0);
    row.play_times = statement.ColumnInt(1);
    row.delay_type = statement.ColumnInt(2);
    row.delay_time = statement.ColumnInt(3);
    row.link_count = statement.ColumnInt(4);
    row.name = statement.ColumnString(5);
}

void ReadMacroStep(const SQLiteStatement& statement, MacroStep& row) {
    row.record_id = statement.ColumnInt(0);
    row.macro_id = statement.ColumnInt(1);
    row.type = statement.ColumnInt(2);
    row.record_index = statement.ColumnInt(3);
    row.desc = statement.ColumnString(4);
    row.value = statement.ColumnInt(5);
    row.delay_time = statement.ColumnInt(6);
}

}  // namespace

int ProfileDatabase::AddMacro(const std::string& name) {
    return Insert(kInsertMacro, 1, 1, 0, 0, name);
}

int ProfileDatabase::AddMacroWithSettings(const Macro& macro) {
    return Insert(kInsertMacro, macro.play_times, macro.delay_type, macro.delay_time,
                  macro.link_count, macro.name);
}

bool ProfileDatabase::RenameMacro(int id, const std::string& name) {
    return Run("UPDATE t_macro_data SET name = ? WHERE macro_id = ?", name, id);
}

bool ProfileDatabase::UpdateMacroSettings(const Macro& macro) {
    return Run(
        "UPDATE t_macro_data SET play_times = ?, delay_type = ?, delay_time = ? WHERE macro_id = ?",
        macro.play_times, macro.delay_type, macro.delay_time, macro.macro_id);
}

bool ProfileDatabase::DeleteMacro(int id) {
    std::lock_guard lock(m_lock);
    SQLiteStatement statement;
    m_db.Prepare(statement, "DELETE FROM t_macro_data WHERE macro_id = ?", -1);
    statement.BindInt(1, id);
    if (!store_detail::StepSucceeded(statement.Step())) {
        return false;
    }
    m_db.Prepare(statement, "DELETE FROM t_macrorecord WHERE macro_id = ?", -1);
    statement.BindInt(1, id);
    statement.Step();
    // Keys that played the macro would otherwise play whatever macro takes its place.
    m_db.Prepare(statement, "DELETE FROM t_key_macro_data WHERE macro_type = ? and macro_value = ?",
                 -1);
    statement.BindInt(1, kMacroAssignmentType);
    statement.BindInt(2, id);
    return store_detail::StepSucceeded(statement.Step());
}

bool ProfileDatabase::GetMacro(int id, Macro& macro) {
    return ReadOne(macro, ReadMacro, "SELECT * FROM t_macro_data WHERE macro_id = ?", id);
}

int ProfileDatabase::ListMacros(std::vector<Macro>& list) {
    return List(list, ReadMacro, "SELECT * FROM t_macro_data");
}

int ProfileDatabase::AddMacroStep(const MacroStep& step) {
    return Insert(kInsertMacroStep, step.macro_id, step.type, step.record_index, step.desc,
                  step.value, step.delay_time);
}

void ProfileDatabase::AddMacroSteps(const std::vector<MacroStep>& list) {
    std::lock_guard lock(m_lock);
    SQLiteAutoTransaction transaction(&m_db);
    transaction.Begin();
    for (const MacroStep& step : list) {
        Run(kInsertMacroStep, step.macro_id, step.type, step.record_index, step.desc, step.value,
            step.delay_time);
    }
    transaction.Commit();
}

int ProfileDatabase::ListMacroSteps(int id, std::vector<MacroStep>& list) {
    return List(list, ReadMacroStep,
                "SELECT * FROM t_macrorecord WHERE macro_id = ? ORDER BY record_index ASC", id);
}

bool ProfileDatabase::DeleteMacroSteps(int id) {
    return Run("DELETE FROM t_macrorecord WHERE macro_id = ?", id);
}

int ProfileDatabase::CountAllMacroSteps() {
    return QueryInt("select count(*) FROM t_macrorecord");
}

int ProfileDatabase::CountMacroSteps(int id) {
    return QueryInt("select count(*) FROM t_macrorecord WHERE macro_id = ?", id);
}

}  // namespace zephyl
