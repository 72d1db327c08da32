// SPDX-License-Identifier: GPL-2.0-or-later
// Built-in effects (t_light_data) and music-reactive layers (t_musiclayer_data), both kept for
// the settings profile only.
#include "store/ProfileDatabase.h"

#include "store/ConfigValues.h"
#include "store/ProfileDatabaseAccess.h"

namespace zephyl {
namespace {

void ReadLightEffect(const SQLiteStatement& statement, LightEffect& row) {
    row.light_id = statement.ColumnInt(0);
    row.profile = statement.ColumnInt(1);
    row.name = statement.ColumnString(2);
    row.mode = statement.ColumnInt(3);
    row.brightness = statement.ColumnInt(4);
    row.speed = statement.ColumnInt(5);
    row.direction = statement.ColumnInt(6);
    row.colorful = statement.ColumnInt(7);
    row.colorindex = statement.ColumnInt(8);
    row.color_value = statement.ColumnInt(9);
    row.config_func = statement.ColumnInt(10);
    row.reserved = statement.ColumnInt(11);
    row.status = statement.ColumnInt(12);
}

// The list shows names only; the other values are read when a layer is opened.
void ReadMusicLayerName(const SQLiteStatement& statement, MusicLayer& row) {
    row.layer_id = statement.ColumnInt(0);
    row.profile = statement.ColumnInt(1);
    row.name = statement.ColumnString(2);
}

void ReadMusicLayer(const SQLiteStatement& statement, MusicLayer& row) {
    ReadMusicLayerName(statement, row);
    row.deviceindex = statement.ColumnInt(3);
    row.foremode = statement.ColumnInt(4);
    row.fore_amplitude = statement.ColumnInt(5);
    row.backmode = statement.ColumnInt(6);
    row.backb_right = statement.ColumnInt(7);
}

// A new layer's gain and back brightness.
constexpr int kDefaultForeAmplitude = 300;
constexpr int kDefaultBackBrightness = 100;

}  // namespace

int ProfileDatabase::CountLightEffects() {
    return QueryInt("select count(*) FROM t_light_data WHERE profile = ?", kSettingsProfile);
}

int ProfileDatabase::AddLightEffect(const LightEffect& effect) {
    return Insert(
        "INSERT INTO t_light_data(profile, name, mode, brightness, speed, direction, colorful, "
        "colorindex, color_value, config_func, reserved, status) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?);",
        kSettingsProfile, effect.name, effect.mode, effect.brightness, effect.speed,
        effect.direction, effect.colorful, effect.colorindex, effect.color_value,
        effect.config_func, effect.reserved, effect.status);
}

bool ProfileDatabase::UpdateLightEffect(int mode, const LightEffect& effect) {
    return Run(
        "UPDATE t_light_data SET brightness = ?, speed = ?, direction = ?, colorful = ?, "
        "colorindex = ?, color_value = ?, config_func = ?, reserved = ? "
        "WHERE profile = ? AND mode = ?",
        effect.brightness, effect.speed, effect.direction, effect.colorful, effect.colorindex,
        effect.color_value, effect.config_func, effect.reserved, kSettingsProfile, mode);
}

bool ProfileDatabase::SetActiveLightEffect(int mode) {
    std::lock_guard lock(m_lock);
    SQLiteStatement statement;
    m_db.Prepare(statement, "UPDATE t_light_data SET status = ? WHERE profile = ?", -1);
    store_detail::BindAll(statement, 0, kSettingsProfile);
    statement.Step();
    m_db.Prepare(statement, "UPDATE t_light_data SET status = ? WHERE profile = ? and mode = ?",
                 -1);
    store_detail::BindAll(statement, 1, kSettingsProfile, mode);
    return store_detail::StepSucceeded(statement.Step());
}

int ProfileDatabase::GetActiveLightEffect(int profile) {
    return QueryInt("SELECT mode FROM t_light_data WHERE profile = ? and status = ?", profile, 1);
}

bool ProfileDatabase::GetLightEffect(int mode, LightEffect& effect) {
    return ReadOne(effect, ReadLightEffect,
                   "SELECT * FROM t_light_data WHERE profile = ? AND mode = ?", kSettingsProfile,
                   mode);
}

int ProfileDatabase::ListLightEffects(int profile, std::vector<LightEffect>& list) {
    return List(list, ReadLightEffect, "SELECT * FROM t_light_data WHERE profile = ?", profile);
}

int ProfileDatabase::CountMusicLayers() {
    return QueryInt("select count(*) FROM t_musiclayer_data WHERE profile = ?", kSettingsProfile);
}

int ProfileDatabase::AddMusicLayer(const std::string& name, int foremode) {
    return Insert(
        "INSERT INTO t_musiclayer_data(profile, name, deviceindex, foremode, fore_amplitude, "
        "backmode, backb_right, sel) VALUES (?, ?, ?, ?, ?, ?, ?, ?);",
        kSettingsProfile, name, 0, foremode, kDefaultForeAmplitude, 0, kDefaultBackBrightness, 0);
}

bool ProfileDatabase::DeleteMusicLayer(int id) {
    return Run("DELETE FROM t_musiclayer_data WHERE layer_id = ?", id);
}

bool ProfileDatabase::RenameMusicLayer(int id, const std::string& name) {
    return Run("UPDATE t_musiclayer_data SET name = ? WHERE layer_id = ?", name, id);
}

int ProfileDatabase::ListMusicLayers(std::vector<MusicLayer>& list) {
    return List(list, ReadMusicLayerName, "SELECT * FROM t_musiclayer_data WHERE profile = ?",
                kSettingsProfile);
}

bool ProfileDatabase::GetMusicLayer(int id, MusicLayer& layer) {
    return ReadOne(layer, ReadMusicLayer, "SELECT * FROM t_musiclayer_data WHERE layer_id = ?", id);
}

bool ProfileDatabase::UpdateMusicLayer(const MusicLayer& layer) {
    return Run(
        "UPDATE t_musiclayer_data SET deviceindex= ?, foremode= ?, fore_amplitude = ?, "
        "backmode= ?, backb_right= ? WHERE layer_id = ?",
        layer.deviceindex, layer.foremode, layer.fore_amplitude, layer.backmode, layer.backb_right,
        layer.layer_id);
}

bool ProfileDatabase::SelectMusicLayer(int id) {
    std::lock_guard lock(m_lock);
    SQLiteStatement statement;
    m_db.Prepare(statement, "UPDATE t_musiclayer_data SET sel = ? WHERE profile = ?", -1);
    store_detail::BindAll(statement, 0, kSettingsProfile);
    statement.Step();
    m_db.Prepare(statement,
                 "UPDATE t_musiclayer_data SET sel = ? WHERE profile = ? AND layer_id = ?", -1);
    store_detail::BindAll(statement, 1, kSettingsProfile, id);
    return store_detail::StepSucceeded(statement.Step());
}

int ProfileDatabase::GetSelectedMusicLayer() {
    return QueryInt("SELECT layer_id FROM t_musiclayer_data WHERE profile = ? AND sel = ?",
                    kSettingsProfile, 1);
}

}  // namespace zephyl
