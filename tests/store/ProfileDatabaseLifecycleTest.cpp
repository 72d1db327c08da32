// SPDX-License-Identifier: GPL-2.0-or-later
#include "store/ProfileDatabase.h"
#include "store/ProfileSchema.h"

#include "StoreTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <chrono>
#include <thread>
#include <vector>

namespace zephyl::test {
namespace {

namespace fs = std::filesystem;

struct TableShape {
    const char* name;
    // "column TYPE" in column order; the first column is the AUTOINCREMENT key.
    std::vector<std::string> columns;
};

// Records are read by column position, so the order matters as much as the names.
const std::vector<TableShape> kTables = {
    {"t_config_data", {"config_id INTEGER", "profile INTEGER", "key TEXT", "value TEXT"}},
    {"t_profile_data",
     {"profile INTEGER", "name TEXT", "status INTEGER", "app TEXT", "type INTEGER"}},
    {"t_key_macro_data",
     {"key_id INTEGER", "profile INTEGER", "fn_layer INTEGER", "key_code INTEGER",
      "layout_value INTEGER", "layout_desc TEXT", "macro_type INTEGER", "macro_value INTEGER",
      "macro_value2 INTEGER", "macro_value3 INTEGER", "macro_desc TEXT"}},
    {"t_key_otherdata", {"macro_value INTEGER", "macro_desc TEXT", "param TEXT", "type INTEGER"}},
    {"t_macro_data",
     {"macro_id INTEGER", "play_times INTEGER", "delay_type INTEGER", "delay_time INTEGER",
      "link_count INTEGER", "name TEXT"}},
    {"t_macrorecord",
     {"record_id INTEGER", "macro_id INTEGER", "type INTEGER", "record_index INTEGER", "desc TEXT",
      "value INTEGER", "delay_time INTEGER"}},
    {"t_light_data",
     {"light_id INTEGER", "profile INTEGER", "name TEXT", "mode INTEGER", "brightness INTEGER",
      "speed INTEGER", "direction INTEGER", "colorful INTEGER", "colorindex INTEGER",
      "color_value INTEGER", "config_func INTEGER", "reserved INTEGER", "status INTEGER"}},
    {"t_userlight_data",
     {"userlight_id INTEGER", "profile INTEGER", "name TEXT", "speed INTEGER", "brightness INTEGER",
      "status INTEGER"}},
    {"t_userlightrgb_data",
     {"userlightrgb_id INTEGER", "profile INTEGER", "userlight_id INTEGER", "key_code INTEGER",
      "key_rgb INTEGER"}},
    {"t_customlight_data",
     {"customlight_id INTEGER", "profile INTEGER", "name TEXT", "speed INTEGER",
      "brightness INTEGER", "status INTEGER"}},
    {"t_customrgb_data",
     {"customrgb_id INTEGER", "customlight_id INTEGER", "keycode INTEGER", "rgbvalue INTEGER",
      "light_mode INTEGER", "colortype INTEGER", "light_type INTEGER"}},
    {"t_musiclayer_data",
     {"layer_id INTEGER", "profile INTEGER", "name TEXT", "deviceindex INTEGER", "foremode INTEGER",
      "fore_amplitude INTEGER", "backmode INTEGER", "backb_right INTEGER", "sel INTEGER"}},
    {"t_ledlayer_data",
     {"led_id INTEGER", "profile INTEGER", "type INTEGER", "name TEXT", "frame_size INTEGER",
      "file_dir TEXT", "first_file TEXT"}},
    {"t_ledframe_data",
     {"frame_id INTEGER", "led_id INTEGER", "name TEXT", "delay_time INTEGER",
      "frame_index INTEGER", "file_name TEXT"}},
    {"t_tftscreen_data",
     {"tft_id INTEGER", "profile INTEGER", "frame_size INTEGER", "file_name TEXT"}},
};

struct SchemaObject {
    const char* type;
    const char* name;
    const char* table;
    const char* indexedColumn;  // indexes only
};

// Creation order of tables and indexes.
const std::vector<SchemaObject> kCreationOrder = {
    {"table", "t_config_data", "t_config_data", ""},
    {"table", "t_profile_data", "t_profile_data", ""},
    {"index", "profileindex", "t_profile_data", "profile"},
    {"table", "t_key_macro_data", "t_key_macro_data", ""},
    {"index", "keyindex", "t_key_macro_data", "key_id"},
    {"table", "t_key_otherdata", "t_key_otherdata", ""},
    {"index", "otheridindex", "t_key_otherdata", "macro_value"},
    {"table", "t_macro_data", "t_macro_data", ""},
    {"index", "macroidindex", "t_macro_data", "macro_id"},
    {"table", "t_macrorecord", "t_macrorecord", ""},
    {"index", "macrorecordindex", "t_macrorecord", "record_id"},
    {"table", "t_light_data", "t_light_data", ""},
    {"index", "lightindex", "t_light_data", "light_id"},
    {"table", "t_userlight_data", "t_userlight_data", ""},
    {"index", "userlightindex", "t_userlight_data", "userlight_id"},
    {"table", "t_userlightrgb_data", "t_userlightrgb_data", ""},
    {"index", "userlightrgbindex", "t_userlightrgb_data", "userlightrgb_id"},
    {"table", "t_customlight_data", "t_customlight_data", ""},
    {"index", "customlightindex", "t_customlight_data", "customlight_id"},
    {"table", "t_customrgb_data", "t_customrgb_data", ""},
    {"index", "customrgbindex", "t_customrgb_data", "customrgb_id"},
    {"table", "t_musiclayer_data", "t_musiclayer_data", ""},
    {"index", "musiclayerindex", "t_musiclayer_data", "layer_id"},
    {"table", "t_ledlayer_data", "t_ledlayer_data", ""},
    {"table", "t_ledframe_data", "t_ledframe_data", ""},
    {"table", "t_tftscreen_data", "t_tftscreen_data", ""},
};

class LifecycleTest : public StoreTest {};

TEST_F(LifecycleTest, FirstOpenCreatesEveryTableAndIndexEmptyInOrder) {
    EXPECT_TRUE(m_db.IsOpened());
    EXPECT_EQ(m_db.Path(), DatabaseFile().string());

    // sqlite_master keeps the objects in creation order.
    const std::vector<std::string> created = Raw().Rows(
        "SELECT type, name, tbl_name FROM sqlite_master WHERE name NOT LIKE "
        "'sqlite_%' ORDER BY rowid");
    std::vector<std::string> expected;
    for (const SchemaObject& object : kCreationOrder) {
        expected.push_back(std::string(object.type) + "|" + object.name + "|" + object.table);
        if (std::string(object.type) == "index") {
            // seqno|cid|name of the one indexed column
            const std::vector<std::string> info =
                Raw().Rows(std::string("PRAGMA index_info(") + object.name + ")");
            ASSERT_EQ(info.size(), 1u) << object.name;
            EXPECT_EQ(info.front().substr(info.front().rfind('|') + 1), object.indexedColumn)
                << object.name;
        }
    }
    EXPECT_EQ(created, expected);
    EXPECT_EQ(ProfileSchemaStatements().size(), 26u);

    for (const TableShape& table : kTables) {
        const std::string name = table.name;
        const std::vector<std::string> columns =
            Raw().Rows("SELECT name, type, pk FROM pragma_table_info('" + name + "')");
        std::vector<std::string> wanted;
        for (size_t i = 0; i < table.columns.size(); ++i) {
            std::string column = table.columns[i];
            column[column.find(' ')] = '|';
            wanted.push_back(column + (i == 0 ? "|1" : "|0"));
        }
        EXPECT_EQ(columns, wanted) << name;
        const std::vector<std::string> sql =
            Raw().Rows("SELECT sql FROM sqlite_master WHERE name = '" + name + "'");
        ASSERT_EQ(sql.size(), 1u) << name;
        EXPECT_NE(sql.front().find("PRIMARY KEY AUTOINCREMENT"), std::string::npos) << name;
        EXPECT_EQ(Raw().Number("SELECT count(*) FROM " + name), 0) << name;
    }
}

TEST_F(LifecycleTest, AnExistingFileIsOpenedWithoutTouchingItsSchema) {
    m_db.CloseDatabase();
    EXPECT_FALSE(m_db.IsOpened());
    Raw().Exec("DROP TABLE t_tftscreen_data");
    ASSERT_TRUE(m_db.OpenModelDatabase(DataFolder(), "K1"));
    EXPECT_EQ(Raw().Number("SELECT count(*) FROM sqlite_master WHERE name = 't_tftscreen_data'"),
              0);
    TftImage image;
    EXPECT_EQ(m_db.AddTftImage(image), 0);
}

TEST_F(LifecycleTest, ConnectionsUseTheWriteAheadLogWithoutASyncPerCommit) {
    EXPECT_EQ(m_db.PragmaValue("journal_mode"), "wal");
    EXPECT_EQ(m_db.PragmaValue("synchronous"), "1");  // NORMAL
    m_db.CloseDatabase();
    ASSERT_TRUE(m_db.OpenModelDatabase(DataFolder(), "K1"));
    EXPECT_EQ(m_db.PragmaValue("journal_mode"), "wal");
    EXPECT_EQ(m_db.PragmaValue("synchronous"), "1");
}

TEST_F(LifecycleTest, ClosingLeavesEverythingInTheFileItself) {
    ASSERT_GT(m_db.AddProfile("saved", ""), 0);
    m_db.CloseDatabase();
    EXPECT_FALSE(fs::exists(DatabaseFile().string() + "-wal"));
    // A copy of the file alone, as a user would back it up, holds the change.
    fs::copy_file(DatabaseFile(), DatabaseFile("Copy"));
    RawDatabase copy(DatabaseFile("Copy"));
    EXPECT_EQ(copy.Rows("SELECT name FROM t_profile_data"), std::vector<std::string>{"saved"});
}

TEST_F(LifecycleTest, ACreationThatFailsHalfWayLeavesNoFileBehind) {
    std::vector<std::string> schema(ProfileSchemaStatements().begin(),
                                    ProfileSchemaStatements().begin() + 13);
    schema.push_back("CREATE TABLE t_userlight_data(");  // cut short
    schema.insert(schema.end(), ProfileSchemaStatements().begin() + 14,
                  ProfileSchemaStatements().end());
    ProfileDatabase failing(DatabaseOptions{JournalSettings::kWalNormal, schema});
    EXPECT_FALSE(failing.OpenModelDatabase(DataFolder(), "K2"));
    EXPECT_FALSE(failing.IsOpened());
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        EXPECT_FALSE(fs::exists(DatabaseFile("K2").string() + suffix)) << suffix;
    }
    EXPECT_EQ(failing.AddProfile("x", ""), 0);

    // The next selection of the model starts over and gets the whole schema.
    ProfileDatabase next;
    ASSERT_TRUE(next.OpenModelDatabase(DataFolder(), "K2"));
    EXPECT_GT(next.AddUserLight(1, "set"), 0);
}

TEST_F(LifecycleTest, AFileWithoutAnyTableGetsItsSchema) {
    WriteFile(DatabaseFile("Empty"), "");
    ProfileDatabase db;
    ASSERT_TRUE(db.OpenModelDatabase(DataFolder(), "Empty"));
    EXPECT_EQ(db.AddProfile("p", ""), 1);
    RawDatabase raw(DatabaseFile("Empty"));
    EXPECT_EQ(raw.Number("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name "
                         "LIKE 't_%'"),
              15);
}

TEST_F(LifecycleTest, ModelNamesNeverLeadOutOfTheDbFolder) {
    struct Case {
        std::string model;
        std::string fileName;
    };
    const Case cases[] = {
        {"K1", "K1_datav2.db"},
        {"Клавиатура 87", "Клавиатура 87_datav2.db"},
        {"../escape", "_._escape_datav2.db"},
        {"../../../../tmp/x", "_._.._.._.._tmp_x_datav2.db"},
        {"a/b", "a_b_datav2.db"},
        {".hidden", "_hidden_datav2.db"},
        {std::string("nul\0cut", 7), "nul_cut_datav2.db"},
        {"", "_datav2.db"},
    };
    const fs::path dbFolder = fs::path(DataFolder()) / "db";
    for (const Case& c : cases) {
        const fs::path path = ProfileDatabase::ModelDatabasePath(DataFolder(), c.model);
        EXPECT_EQ(path.parent_path(), dbFolder) << c.model;
        EXPECT_EQ(path.filename(), c.fileName) << c.model;

        ProfileDatabase db;
        ASSERT_TRUE(db.OpenModelDatabase(DataFolder(), c.model)) << c.model;
        EXPECT_TRUE(fs::is_regular_file(dbFolder / c.fileName)) << c.model;
    }
    EXPECT_FALSE(fs::exists(fs::path(DataFolder()) / "escape_datav2.db"));
    EXPECT_FALSE(fs::exists(m_environment.DataHome() / "escape_datav2.db"));
    // Without the trailing separator the same file is meant.
    std::string folder = DataFolder();
    folder.pop_back();
    EXPECT_EQ(ProfileDatabase::ModelDatabasePath(folder, "K1"), DatabaseFile().string());
}

TEST_F(LifecycleTest, SelectingAnotherModelSwitchesToItsFile) {
    ASSERT_GT(m_db.AddProfile("of K1", ""), 0);
    // Without closing first: the new model's rows must not land in the old file.
    ASSERT_TRUE(m_db.OpenModelDatabase(DataFolder(), "K2"));
    EXPECT_EQ(m_db.Path(), DatabaseFile("K2").string());
    ASSERT_GT(m_db.AddProfile("of K2", ""), 0);
    EXPECT_EQ(Raw().Rows("SELECT name FROM t_profile_data"), std::vector<std::string>{"of K1"});
    RawDatabase k2(DatabaseFile("K2"));
    EXPECT_EQ(k2.Rows("SELECT name FROM t_profile_data"), std::vector<std::string>{"of K2"});
    // Opening the model in use keeps the connection.
    EXPECT_TRUE(m_db.OpenModelDatabase(DataFolder(), "K2"));
    EXPECT_TRUE(m_db.IsOpened());
}

TEST_F(LifecycleTest, FactoryResetDeletesTheFileAndTheNextOpenStartsEmpty) {
    ASSERT_GT(m_db.AddProfile("kept?", ""), 0);
    // Both ways: closed first, as the settings reset does, and with the connection still open.
    for (const bool closeFirst : {true, false}) {
        ASSERT_GT(m_db.AddMacro("m"), 0);
        if (closeFirst) {
            m_db.CloseDatabase();
        }
        m_db.DeleteModelDatabase(DataFolder(), "K1");
        EXPECT_FALSE(m_db.IsOpened());
        for (const char* suffix : {"", "-wal", "-shm"}) {
            EXPECT_FALSE(fs::exists(DatabaseFile().string() + suffix)) << suffix << closeFirst;
        }
        ASSERT_TRUE(m_db.OpenModelDatabase(DataFolder(), "K1"));
        std::vector<Profile> profiles;
        EXPECT_EQ(m_db.ListProfiles(profiles), 0);
        std::vector<Macro> macros;
        EXPECT_EQ(m_db.ListMacros(macros), 0);
        EXPECT_EQ(m_db.AddMacro("first"), 1);
    }
}

TEST_F(LifecycleTest, AResetWritesThroughALinkAndALinkToNothingIsRefused) {
    ASSERT_GT(m_db.AddProfile("mine", ""), 0);
    m_db.CloseDatabase();
    // The user keeps the file on another disk and links to it.
    const fs::path kept = m_environment.Root() / "elsewhere" / "K1.db";
    fs::create_directories(kept.parent_path());
    fs::rename(DatabaseFile(), kept);
    fs::create_symlink(kept, DatabaseFile());
    ASSERT_TRUE(m_db.OpenModelDatabase(DataFolder(), "K1")) << m_db.OpenProblem();
    ASSERT_GT(m_db.AddMacro("m"), 0);

    m_db.DeleteModelDatabase(DataFolder(), "K1");
    ASSERT_TRUE(m_db.OpenModelDatabase(DataFolder(), "K1")) << m_db.OpenProblem();
    EXPECT_TRUE(fs::is_symlink(DatabaseFile()));
    EXPECT_EQ(m_db.AddMacro("first"), 1);
    m_db.CloseDatabase();
    // The fresh content is in the user's file, not in one put in the link's place.
    RawDatabase kept1(kept);
    EXPECT_EQ(kept1.Number("SELECT count(*) FROM t_macro_data"), 1);
    EXPECT_EQ(kept1.Number("SELECT count(*) FROM t_profile_data"), 0);

    // A link whose file is gone (a disk not mounted) is never replaced by a new file.
    fs::remove(DatabaseFile());
    fs::create_symlink(m_environment.Root() / "unmounted" / "K1.db", DatabaseFile());
    EXPECT_FALSE(m_db.OpenModelDatabase(DataFolder(), "K1"));
    EXPECT_NE(m_db.OpenProblem().find("unmounted/K1.db, which does not exist"), std::string::npos)
        << m_db.OpenProblem();
    m_db.DeleteModelDatabase(DataFolder(), "K1");
    EXPECT_FALSE(m_db.OpenModelDatabase(DataFolder(), "K1"));
    EXPECT_TRUE(fs::is_symlink(DatabaseFile()));
    EXPECT_FALSE(fs::exists(m_environment.Root() / "unmounted"));
}

TEST_F(LifecycleTest, OpeningWaitsForAnotherWriterInsteadOfCallingTheFileForeign) {
    m_db.CloseDatabase();
    // Another process holds the file's lock, as a writer closing its connection does while it
    // folds the write-ahead log back in; its log stays beside the file meanwhile.
    auto writer = std::make_unique<RawDatabase>(DatabaseFile());
    writer->Number("SELECT count(*) FROM t_profile_data");
    writer->Exec("PRAGMA locking_mode = EXCLUSIVE");
    writer->Exec("INSERT INTO t_profile_data (name, status, app, type) VALUES ('x', 0, '', 0)");
    ASSERT_TRUE(fs::exists(DatabaseFile().string() + "-wal"));
    std::thread release([&writer] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        writer->Exec("PRAGMA locking_mode = NORMAL");
        writer->Number("SELECT count(*) FROM t_profile_data");
    });
    const bool opened = m_db.OpenModelDatabase(DataFolder(), "K1");
    release.join();
    EXPECT_TRUE(opened) << m_db.OpenProblem();

    // Held past the wait, the lock is named as such, never as a foreign file.
    m_db.CloseDatabase();
    writer->Exec("PRAGMA locking_mode = EXCLUSIVE");
    writer->Exec("INSERT INTO t_profile_data (name, status, app, type) VALUES ('y', 0, '', 0)");
    ProfileDatabase other;
    EXPECT_FALSE(other.OpenModelDatabase(DataFolder(), "K1"));
    EXPECT_EQ(other.OpenProblem().find("is not a profile database"), std::string::npos)
        << other.OpenProblem();
    EXPECT_NE(other.OpenProblem().find("in use by another program"), std::string::npos)
        << other.OpenProblem();
}

TEST_F(LifecycleTest, DeletingAnotherModelKeepsTheOpenConnection) {
    ProfileDatabase other;
    ASSERT_TRUE(other.OpenModelDatabase(DataFolder(), "K2"));
    other.CloseDatabase();
    m_db.DeleteModelDatabase(DataFolder(), "K2");
    EXPECT_FALSE(fs::exists(DatabaseFile("K2")));
    EXPECT_TRUE(m_db.IsOpened());
    EXPECT_GT(m_db.AddProfile("still here", ""), 0);
}

TEST_F(LifecycleTest, ClosedDatabaseFailsEveryOperation) {
    m_db.CloseDatabase();
    EXPECT_FALSE(m_db.IsOpened());
    EXPECT_EQ(m_db.AddProfile("x", ""), 0);
    EXPECT_EQ(m_db.PragmaValue("journal_mode"), "");
    EXPECT_EQ(Raw().Number("SELECT count(*) FROM t_profile_data"), 0);
}

TEST_F(LifecycleTest, TheProcessWideDatabaseIsOneObjectForEveryThread) {
    ProfileDatabase* fromThreads[2] = {};
    std::thread first([&] { fromThreads[0] = &DatabaseInstance(); });
    std::thread second([&] { fromThreads[1] = &DatabaseInstance(); });
    first.join();
    second.join();
    EXPECT_EQ(fromThreads[0], &DatabaseInstance());
    EXPECT_EQ(fromThreads[1], &DatabaseInstance());
    EXPECT_FALSE(DatabaseInstance().IsOpened());
}

// Files the program cannot use are refused without being changed: not a database, cut short,
// damaged inside, or write-protected.
class UnusableFileTest : public StoreTest {
protected:
    // Checks, as whoever runs it, that the model's file is refused and every operation fails.
    bool RefusedCleanly(const std::string& model) {
        ProfileDatabase db;
        if (db.OpenModelDatabase(DataFolder(), model) || db.IsOpened()) {
            return false;
        }
        std::vector<Profile> profiles(2);
        std::string value = "stale";
        return db.AddProfile("x", "") == 0 && db.ListProfiles(profiles) == 0 && profiles.empty() &&
               !db.GetConfigValue(1, "version", value) && value.empty() &&
               db.SaveKeyAssignment(KeyAssignment{0, 1, 0, 4, 0, "", 2, 4, 0, 0, ""}) == 0;
    }
};

TEST_F(UnusableFileTest, NotADatabaseCutShortOrDamaged) {
    m_db.AddMacro("filler");
    std::vector<MacroStep> steps(400, MacroStep{0, 1, 2, 0, std::string(200, 'x'), 65, 10});
    m_db.AddMacroSteps(steps);
    m_db.CloseDatabase();
    const std::string whole = ReadFile(DatabaseFile());
    ASSERT_GT(whole.size(), 40000u);

    struct Case {
        const char* model;
        std::string bytes;
    };
    const Case cases[] = {
        {"Text", "This is a text file, not a database.\n"},
        {"Header", whole.substr(0, 100)},
        {"Cut", whole.substr(0, whole.size() / 3)},
        {"Damaged", whole.substr(0, 8192) + std::string(8192, '\xff') + whole.substr(16384)},
    };
    for (const Case& c : cases) {
        WriteFile(DatabaseFile(c.model), c.bytes);
        EXPECT_TRUE(RefusedCleanly(c.model)) << c.model;
        EXPECT_EQ(ReadFile(DatabaseFile(c.model)), c.bytes) << c.model;
        EXPECT_FALSE(fs::exists(DatabaseFile(c.model).string() + "-wal")) << c.model;
    }
}

TEST_F(UnusableFileTest, WriteProtected) {
    m_db.AddProfile("mine", "");
    m_db.CloseDatabase();
    fs::copy_file(DatabaseFile(), DatabaseFile("Locked"));
    const std::string bytes = ReadFile(DatabaseFile("Locked"));
    fs::permissions(DatabaseFile("Locked"),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    // The folder stays writable: only the file itself is protected.
    OpenFoldersToEveryone(m_environment.Root(), DatabaseFile("Locked").parent_path());
    EXPECT_TRUE(RunUnprivileged([&] { return RefusedCleanly("Locked"); }));
    EXPECT_EQ(ReadFile(DatabaseFile("Locked")), bytes);
}

}  // namespace
}  // namespace zephyl::test
