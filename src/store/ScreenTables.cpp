// SPDX-License-Identifier: GPL-2.0-or-later
// Screen animations (t_ledlayer_data), their frames (t_ledframe_data) and the pictures of the
// screen's slots (t_tftscreen_data).
#include "store/ProfileDatabase.h"

#include "store/ProfileDatabaseAccess.h"
#include "store/SQLiteAutoTransaction.h"

namespace zephyl {
namespace {

void ReadScreenLayer(const SQLiteStatement& statement, ScreenLayer& row) {
    row.led_id = statement.ColumnInt(0);
    row.profile = statement.ColumnInt(1);
    row.type = statement.ColumnInt(2);
    row.name = statement.ColumnString(3);
    row.frame_size = statement.ColumnInt(4);
    row.file_dir = statement.ColumnString(5);
    row.first_file = statement.ColumnString(6);
}

void ReadScreenFrame(const SQLiteStatement& statement, ScreenFrame& row) {
    row.frame_id = statement.ColumnInt(0);
    row.led_id = statement.ColumnInt(1);
    row.name = statement.ColumnString(2);
    row.delay_time = statement.ColumnInt(3);
    row.frame_index = statement.ColumnInt(4);
    row.file_name = statement.ColumnString(5);
}

void ReadTftImage(const SQLiteStatement& statement, TftImage& row) {
    row.tft_id = statement.ColumnInt(0);
    row.profile = statement.ColumnInt(1);
    row.frame_size = statement.ColumnInt(2);
    row.file_name = statement.ColumnString(3);
}

}  // namespace

int ProfileDatabase::AddScreenLayer(int profile, const std::string& name, const std::string& dir,
                                    const std::string& firstFile) {
    return Insert(
        "INSERT INTO t_ledlayer_data(profile, type, name, frame_size, file_dir, first_file) "
        "VALUES (?, ?, ?, ?, ?, ?);",
        profile, 0, name, 0, dir, firstFile);
}

bool ProfileDatabase::SetScreenLayerFrameCount(int id, int count) {
    return Run("UPDATE t_ledlayer_data SET frame_size = ? WHERE led_id = ?", count, id);
}

bool ProfileDatabase::SetScreenLayerFirstFile(int id, const std::string& file) {
    return Run("UPDATE t_ledlayer_data SET first_file = ? WHERE led_id = ?", file, id);
}

bool ProfileDatabase::DeleteScreenLayer(int id) {
    return Run("DELETE FROM t_ledlayer_data WHERE led_id = ?", id);
}

bool ProfileDatabase::GetScreenLayer(int id, ScreenLayer& layer) {
    return ReadOne(layer, ReadScreenLayer, "SELECT * FROM t_ledlayer_data WHERE led_id = ?", id);
}

int ProfileDatabase::ListScreenLayers(int profile, std::vector<ScreenLayer>& list) {
    return List(list, ReadScreenLayer, "SELECT * FROM t_ledlayer_data WHERE profile = ?", profile);
}

void ProfileDatabase::DeleteAllScreenLayers() {
    std::lock_guard lock(m_lock);
    Run("DELETE FROM t_ledlayer_data");
    Run("DELETE FROM t_ledframe_data");
}

int ProfileDatabase::AddScreenFrames(const std::vector<ScreenFrame>& list) {
    std::lock_guard lock(m_lock);
    SQLiteAutoTransaction transaction(&m_db);
    transaction.Begin();
    for (const ScreenFrame& frame : list) {
        Run("INSERT INTO t_ledframe_data(led_id, name, delay_time, frame_index, file_name) "
            "VALUES (?, ?, ?, ?, ?);",
            frame.led_id, frame.name, frame.delay_time, frame.frame_index, frame.file_name);
    }
    transaction.Commit();
    return static_cast<int>(list.size());
}

bool ProfileDatabase::DeleteScreenFrames(int id) {
    return Run("DELETE FROM t_ledframe_data WHERE led_id = ?", id);
}

int ProfileDatabase::ListScreenFrames(int id, std::vector<ScreenFrame>& list) {
    return List(list, ReadScreenFrame,
                "SELECT * FROM t_ledframe_data WHERE led_id = ? ORDER BY frame_index ASC", id);
}

int ProfileDatabase::CountScreenFrames(int id) {
    return QueryInt("select count(*) FROM t_ledframe_data WHERE led_id = ?", id);
}

int ProfileDatabase::AddTftImage(const TftImage& image) {
    return Insert("INSERT INTO t_tftscreen_data(profile, frame_size, file_name) VALUES (?, ?, ?);",
                  image.profile, image.frame_size, image.file_name);
}

bool ProfileDatabase::UpdateTftImage(const TftImage& image) {
    return Run("UPDATE t_tftscreen_data SET frame_size = ?, file_name = ? WHERE tft_id = ?",
               image.frame_size, image.file_name, image.tft_id);
}

int ProfileDatabase::ListTftImages(int profile, std::vector<TftImage>& list) {
    return List(list, ReadTftImage, "SELECT * FROM t_tftscreen_data WHERE profile = ?", profile);
}

void ProfileDatabase::DeleteAllTftImages() {
    std::lock_guard lock(m_lock);
    Run("DELETE FROM t_tftscreen_data");
    // Slot rows are numbered slot + 1 from the first one on; the next rows start at 1 again.
    Run("DELETE FROM sqlite_sequence WHERE name = 't_tftscreen_data'");
}

}  // namespace zephyl
