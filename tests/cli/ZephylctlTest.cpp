// SPDX-License-Identifier: GPL-2.0-or-later
// zephylctl as a user runs it, against the virtual keyboard.
#include "cli/CommandLine.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <sys/wait.h>

namespace zephyl {
namespace {

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class ZephylctlTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_environment.SetVariable("ZEPHYL_RESOURCE_DIR", std::nullopt);
        m_environment.SetVariable("ZEPHYL_VIRTUAL_KEYBOARD", std::nullopt);
        m_statePath = (m_environment.Root() / "keyboard.json").string();
        m_environment.SetVariable("ZEPHYL_VIRTUAL_STATE", m_statePath);
        m_environment.SetVariable("ZEPHYL_VIRTUAL_LOG", std::nullopt);
    }

    Result Run(const std::string& arguments) {
        const auto out = m_environment.Root() / "out.txt";
        const auto err = m_environment.Root() / "err.txt";
        const std::string command = std::string(ZEPHYL_RUNTIME_DIR) + "/zephylctl " + arguments +
                                    " >'" + out.string() + "' 2>'" + err.string() + "'";
        const int status = std::system(command.c_str());
        Result result;
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = test::ReadFile(out);
        result.err = test::ReadFile(err);
        return result;
    }

    std::string StoredSettingsBlock() {
        std::smatch match;
        const std::string state = test::ReadFile(m_statePath);
        if (std::regex_search(state, match,
                              std::regex("\"settings\": *\\{\"1\": *\"([0-9a-f]+)\""))) {
            return match[1];
        }
        return {};
    }

    test::TempEnvironment m_environment;
    std::string m_statePath;
};

TEST_F(ZephylctlTest, SettingsSetReachesTheKeyboardsMemory) {
    const Result set = Run("--virtual-keyboard=101:0 settings set sleep_time 3");
    ASSERT_EQ(set.exitCode, 0) << set.err;
    EXPECT_EQ(set.err, "");
    const std::string block = StoredSettingsBlock();
    ASSERT_EQ(block.size(), 128u) << test::ReadFile(m_statePath);
    EXPECT_EQ(block.substr(0, 18), "000100000000030002") << "sleep 3, response time default 2";

    const Result show = Run("--virtual-keyboard=101:0 --json settings show");
    EXPECT_EQ(show.exitCode, 0);
    EXPECT_NE(show.out.find("\"sleep_time\":3"), std::string::npos) << show.out;

    const Result receiver = Run("--virtual-keyboard=101:2 settings set disable_win 1");
    EXPECT_EQ(receiver.exitCode, 0) << receiver.err;
    EXPECT_EQ(StoredSettingsBlock().substr(0, 18), "000100000100030002");
}

// A write the keyboard refused or lost is never reported as done.
TEST_F(ZephylctlTest, WritesTheKeyboardDidNotTakeExitWithTheReason) {
    struct Case {
        const char* fault;
        int value;
        int mode;
        const char* arguments;
    };
    const Case cases[] = {
        {"busy", 1000, 0, "keys assign A disable"},
        {"unplug_in_block", 1, 0, "keys assign A disable"},
        {"unplug_in_block", 3, 0, "keys assign A disable"},
        {"unplug_after", 2, 0, "keys assign A disable"},
        {"unplug_after", 5, 0, "keys assign A disable"},
        {"unplug_after", 6, 0, "keys assign A disable"},
        {"lost_answer", 1000, 2, "keys assign A disable"},
        {"busy", 1, 0, "macros send"},
        {"busy", 3, 0, "macros send"},
        {"lost_answer", 1000, 2, "macros send"},
        {"busy", 1000, 0, "reset-keys"},
        {"lost_answer", 1000, 2, "reset-keys"},
        {"busy", 1000, 0, "profiles select 2"},
        {"busy", 1000, 0, "settings set sleep_time 1"},
        {"busy", 1000, 0, "light effect 3"},
        {"unplug_in_block", 1, 0, "light side 3"},
        {"lost_answer", 1000, 2, "light effect 3"},
    };
    const auto scenario = m_environment.Root() / "scenario.json";
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.fault << " " << c.value << " mode " << c.mode << ": " << c.arguments);
        std::filesystem::remove(m_statePath);
        test::WriteFile(scenario, "{\"keyboards\": [{\"model\": 101, \"modes\": [" +
                                      std::to_string(c.mode) + "]}], \"faults\": [{\"fault\": \"" +
                                      c.fault + "\", \"value\": " + std::to_string(c.value) +
                                      "}]}");
        const Result result = Run("--virtual-keyboard='" + scenario.string() + "' " + c.arguments);
        EXPECT_EQ(result.exitCode, 1) << result.err;
        EXPECT_NE(result.err.find("zephylctl: "), std::string::npos);
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "one line: " << result.err;

        // The same without the fault succeeds: the failure came from the keyboard.
        std::filesystem::remove(m_statePath);
        const Result clean =
            Run("--virtual-keyboard=101:" + std::to_string(c.mode) + " " + c.arguments);
        EXPECT_EQ(clean.exitCode, 0) << clean.err;
    }
}

// Another program holding the database past the busy timeout: every write says so and exits 1,
// and nothing of it is half stored.
TEST_F(ZephylctlTest, WritesIntoABusyDatabaseSaySoAndChangeNothing) {
    ASSERT_EQ(Run("--virtual-keyboard=101:0 profiles").exitCode, 0);
    std::filesystem::path database;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(m_environment.DataHome())) {
        if (entry.path().extension() == ".db") {
            database = entry.path();
        }
    }
    ASSERT_FALSE(database.empty());
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(database.string().c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    for (const char* arguments : {"profiles rename 2 Work", "keys assign A disable",
                                  "settings set sleep_time 0", "macros new"}) {
        SCOPED_TRACE(arguments);
        const Result result = Run(std::string("--virtual-keyboard=101:0 ") + arguments);
        EXPECT_EQ(result.exitCode, 1) << result.err;
        EXPECT_NE(result.err.find("in use by another program"), std::string::npos) << result.err;
    }
    sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    const Result listed = Run("--virtual-keyboard=101:0 profiles");
    EXPECT_EQ(listed.out.find("Work"), std::string::npos) << listed.out;
    EXPECT_EQ(Run("--virtual-keyboard=101:0 macros").out, "");
}

TEST_F(ZephylctlTest, ClearErrorsAndExitCodes) {
    struct Case {
        std::string arguments;
        int exitCode;
        std::string message;
    };
    const Case cases[] = {
        {"--virtual-keyboard=101:0 settings set sleep_time 9", 2, "value out of range"},
        // Too large for an int: refused, not cut down to a valid small value (2^32 + 1).
        {"--virtual-keyboard=101:0 settings set sleep_time 4294967297", 2, "value out of range"},
        {"--virtual-keyboard=101:0 settings set colour 1", 2, "unknown setting"},
        {"--virtual-keyboard=101:0 --model 999 devices", 1, "unknown keyboard model 999"},
        {"--virtual-keyboard=103:0 --model 101 settings send", 1, "no keyboard connected"},
        {"--virtual-keyboard=101:1 settings send", 1, "not be sent over Bluetooth"},
        {"--virtual-keyboard=101:0 frobnicate", 2, "unknown command"},
        {"--bogus devices", 2, "unknown option"},
        {"--virtual-keyboard=101:0 profiles rename 2 ''", 1, "name cannot be empty"},
    };
    for (const auto& c : cases) {
        const Result result = Run(c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments << "\n" << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << c.arguments << "\n"
                                                                 << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
}

// A mistyped scenario never runs on some other keyboard as if it were the one asked for.
TEST_F(ZephylctlTest, UnknownVirtualScenarioIsRefused) {
    for (const char* scenario : {"1O1:0", "101:7", "/no/such/scenario.json"}) {
        const Result result =
            Run(std::string("--virtual-keyboard='") + scenario + "' settings set sleep_time 1");
        EXPECT_EQ(result.exitCode, 2) << scenario;
        EXPECT_NE(result.err.find("does not know the scenario"), std::string::npos) << result.err;
        EXPECT_EQ(StoredSettingsBlock(), "") << "nothing was written anywhere";
    }
}

// Names are stored as UTF-8 and printed so that they cannot drive the terminal.
TEST_F(ZephylctlTest, NamesAreUtf8AndPrintedWithoutControlCharacters) {
    const Result refused =
        Run("--virtual-keyboard=101:0 profiles rename 2 \"$(printf '\\377\\376')\"");
    EXPECT_EQ(refused.exitCode, 2) << refused.err;
    ASSERT_EQ(Run("--virtual-keyboard=101:0 profiles rename 2 \"$(printf '\\033[2Jx')\"").exitCode,
              0);
    const Result listed = Run("--virtual-keyboard=101:0 profiles");
    EXPECT_EQ(listed.out.find('\x1b'), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("\\x1b[2Jx"), std::string::npos) << listed.out;
}

// A database that is not ours, or not a database, is named and left as it is.
TEST_F(ZephylctlTest, UnusableDatabasesAreReportedAndLeftUntouched) {
    ASSERT_EQ(Run("--virtual-keyboard=101:0 profiles").exitCode, 0);
    std::filesystem::path database;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(m_environment.DataHome())) {
        if (entry.path().extension() == ".db") {
            database = entry.path();
        }
    }
    ASSERT_FALSE(database.empty());
    const auto makeForeign = [](const std::filesystem::path& path, const char* sql) {
        std::filesystem::remove(path);
        sqlite3* handle = nullptr;
        ASSERT_EQ(sqlite3_open(path.string().c_str(), &handle), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(handle, sql, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(handle);
    };
    struct Case {
        const char* what;
        std::function<void()> make;
        const char* reason;
    };
    const Case cases[] = {
        {"random bytes", [&] { test::WriteFile(database, std::string(4096, '\x5a')); },
         "not a profile database"},
        {"a folder",
         [&] {
             std::filesystem::remove(database);
             std::filesystem::create_directory(database);
         },
         "not a file"},
        {"another program's database",
         [&] { makeForeign(database, "CREATE TABLE songs(title TEXT);"); },
         "no table t_config_data"},
        {"ours with a table dropped",
         [&] {
             makeForeign(database,
                         "CREATE TABLE t_config_data(a); CREATE TABLE t_key_macro_data(a); "
                         "CREATE TABLE t_macro_data(a); CREATE TABLE t_macrorecord(a);");
         },
         "no table t_profile_data"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(database);
        c.make();
        const std::string before =
            std::filesystem::is_regular_file(database) ? test::ReadFile(database) : "";
        const Result result = Run("--virtual-keyboard=101:0 profiles");
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_NE(result.err.find(database.filename().string()), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(c.reason), std::string::npos) << result.err;
        if (std::filesystem::is_regular_file(database)) {
            EXPECT_EQ(test::ReadFile(database), before) << "left untouched";
            EXPECT_FALSE(std::filesystem::exists(database.string() + "-wal"));
        }
    }
}

TEST_F(ZephylctlTest, SettingsThatCannotBeStoredFailTheCommandWithTheReason) {
    namespace fs = std::filesystem;
    ASSERT_EQ(Run("--virtual-keyboard=101:0 devices").exitCode, 0);
    fs::path settings;
    for (const auto& entry : fs::recursive_directory_iterator(m_environment.ConfigHome())) {
        if (entry.path().filename() == "settings.ini") {
            settings = entry.path();
        }
    }
    ASSERT_FALSE(settings.empty());
    const fs::path nowhere = m_environment.Root() / "unmounted" / "settings.ini";
    const struct {
        const char* what;
        std::function<void()> prepare;
        const char* reason;
    } cases[] = {
        {"read-only", [&] { fs::permissions(settings, fs::perms::owner_read); }, "read-only"},
        {"no permissions", [&] { fs::permissions(settings, fs::perms::none); }, ""},
        {"read-only folder",
         [&] {
             fs::permissions(settings.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
         },
         "read-only"},
        {"a folder",
         [&] {
             fs::remove(settings);
             fs::create_directory(settings);
         },
         "not a plain file"},
        {"a link to nothing",
         [&] {
             fs::remove(settings);
             fs::create_symlink(nowhere, settings);
         },
         "unmounted/settings.ini, which does not exist"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::permissions(settings.parent_path(), fs::perms::owner_all);
        fs::remove_all(settings);
        // exit_mode 1 differs from the default: restoring it has something to store.
        test::WriteFile(settings, "[SOFTWARE]\nLCID=1033\nexit_mode=1\nDeviceType=101\n");
        c.prepare();
        for (const char* arguments : {"--virtual-keyboard=101:0 restore-defaults",
                                      "--virtual-keyboard=101:0 --model 102 devices"}) {
            SCOPED_TRACE(arguments);
            const Result result = Run(arguments);
            EXPECT_EQ(result.exitCode, 1);
            EXPECT_NE(result.err.find(settings.string()), std::string::npos) << result.err;
            EXPECT_NE(result.err.find(c.reason), std::string::npos) << result.err;
            EXPECT_NE(result.err.find(std::string(arguments).find("--model") == std::string::npos
                                          ? "defaults were not restored"
                                          : "model was not remembered"),
                      std::string::npos)
                << result.err;
        }
    }
    fs::permissions(settings.parent_path(), fs::perms::owner_all);
    EXPECT_TRUE(fs::is_symlink(settings));
    EXPECT_FALSE(fs::exists(nowhere.parent_path()));
}

TEST_F(ZephylctlTest, MacroRepeatCountsOutsideWhatTheKeyboardPlaysAreRefused) {
    ASSERT_EQ(Run("--virtual-keyboard=101:0 macros new").exitCode, 0);
    for (const char* count : {"0", "-5", "abc", "99999999999", "256"}) {
        const Result result =
            Run(std::string("--virtual-keyboard=101:0 keys assign A macro 1 ") + count);
        EXPECT_EQ(result.exitCode, 2) << count;
        EXPECT_NE(result.err.find("repeats 1..255"), std::string::npos) << result.err;
    }
    EXPECT_EQ(Run("--virtual-keyboard=101:0 keys assign A macro 1 255").exitCode, 0);
    EXPECT_NE(Run("--virtual-keyboard=101:0 keys show").out.find("A (4)"), std::string::npos);
}

TEST_F(ZephylctlTest, DevicesTellsHowEachModelIsConnected) {
    const Result text = Run("--virtual-keyboard='101:0,2;102:2' devices");
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find("101  Zephyl K100  connected by cable, receiver (using cable)"),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("103  Zephyl K87 White  not connected"), std::string::npos);
    const Result json = Run("--virtual-keyboard=102:2 --json devices");
    EXPECT_NE(json.out.find("\"model\":102,\"name\":\"Zephyl K68 Screen\""), std::string::npos);
    EXPECT_NE(
        json.out.find("\"connections\":[\"receiver\"],\"active\":\"receiver\",\"battery\":100"),
        std::string::npos)
        << json.out;
}

// A keyboard plugged in that this user may not open is named, with the way out, instead of
// being called not connected.
TEST_F(ZephylctlTest, AKeyboardThisUserMayNotOpenIsNamedWithTheWayOut) {
    const std::string scenario =
        R"(--virtual-keyboard='{"keyboards": [{"model": 101, "modes": [0], "open_refused": true}]}' )";
    const std::string refused = "The Zephyl K100 is plugged in but this user may not open it. ";

    const Result text = Run(scenario + "devices");
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find("101  Zephyl K100  plugged in, but this user may not open it\n    " +
                            refused),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("udev"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("102  Zephyl K68 Screen  not connected"), std::string::npos);

    const Result json = Run(scenario + "--json devices");
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_NE(json.out.find("\"connections\":[],\"active\":\"none\""), std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("\"access_refused\":true,\"problem\":\"" + refused), std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("\"model\":102,"), std::string::npos);
    EXPECT_NE(json.out.find("\"access_refused\":false,\"problem\":null}"), std::string::npos)
        << json.out;

    // Writing commands end with exit 1 and the same reason, on one line.
    for (const char* command :
         {"settings set sleep_time 3", "settings send", "keys assign A disable", "reset-keys"}) {
        const Result write = Run(scenario + command);
        EXPECT_EQ(write.exitCode, 1) << command;
        EXPECT_NE(write.err.find(refused), std::string::npos) << command << "\n" << write.err;
        EXPECT_EQ(std::count(write.err.begin(), write.err.end(), '\n'), 1) << write.err;
    }
}

TEST_F(ZephylctlTest, EveryCommandHasHelp) {
    for (const char* command : {"", "devices", "settings", "reset-keys", "restore-defaults"}) {
        const Result help = Run(std::string(command) + " --help");
        EXPECT_EQ(help.exitCode, 0) << command;
        EXPECT_EQ(help.out.rfind("Usage: zephylctl", 0), 0u) << command;
    }
    const Result bare = Run("");
    EXPECT_EQ(bare.exitCode, 2);
    EXPECT_NE(bare.err.find("Usage:"), std::string::npos);
}

std::string KeyTable(const std::string& state, int layer) {
    std::smatch match;
    if (std::regex_search(state, match,
                          std::regex("\"key_tables\": *\\[\"([0-9a-f]*)\", *\"([0-9a-f]*)\""))) {
        return match[layer + 1];
    }
    return {};
}

TEST_F(ZephylctlTest, KeyAssignmentsReachTheKeyTable) {
    const std::string keyboard = "--virtual-keyboard=101:0 ";
    // key_index of A, B and Esc in the K100 layout: slot n holds bytes 4n..4n+3.
    struct Case {
        std::string arguments;
        std::string key;
        std::string slot;
    };
    const Case cases[] = {
        {"keys assign A key ctrl+shift+a", "A", "02030400"},
        {"keys assign A key ctrl", "A", "02010000"},
        {"keys assign B combination A B", "B", "07040500"},
        {"keys assign Esc disable", "Esc", "05030000"},
        {"keys assign CAPSLOCK key b", "Caps", "02000500"},  // names ignore case and blanks
    };
    const std::map<std::string, int> slotOf = {{"Esc", 1}, {"A", 69}, {"B", 95}, {"Caps", 67}};
    for (const auto& c : cases) {
        const Result result = Run(keyboard + c.arguments);
        ASSERT_EQ(result.exitCode, 0) << c.arguments << "\n" << result.err;
        const std::string table = KeyTable(test::ReadFile(m_statePath), 0);
        ASSERT_EQ(table.size(), 576u * 2) << c.arguments;
        EXPECT_EQ(table.substr(static_cast<std::size_t>(slotOf.at(c.key)) * 8, 8), c.slot)
            << c.arguments;
        EXPECT_EQ(table.substr(table.size() - 4), "aa55");
    }
    const Result shown = Run(keyboard + "--json keys show");
    EXPECT_NE(shown.out.find("\"key\":\"ESC\",\"usage\":41,\"kind\":\"disable\""),
              std::string::npos)
        << shown.out;
    EXPECT_EQ(Run(keyboard + "keys assign Q wiggle").exitCode, 2);
    EXPECT_EQ(Run(keyboard + "keys assign NoSuchKey disable").exitCode, 2);
}

TEST_F(ZephylctlTest, ProfilesAndExchangeFilesRoundTrip) {
    const std::string keyboard = "--virtual-keyboard=101:0 ";
    ASSERT_EQ(Run(keyboard + "keys assign A disable").exitCode, 0);
    const Result exported = Run(keyboard + "keys export '" + m_environment.Root().string() + "'");
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    const std::string file = exported.out.substr(0, exported.out.find('\n'));
    const Result imported = Run(keyboard + "keys import '" + file + "'");
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    const std::string newId = imported.out.substr(0, imported.out.find(' '));
    EXPECT_NE(Run(keyboard + "--profile " + newId + " keys show").out.find("disable"),
              std::string::npos);
    EXPECT_EQ(Run(keyboard + "profiles rename " + newId + " Gaming").exitCode, 0);
    EXPECT_NE(Run(keyboard + "profiles").out.find(newId + "  Gaming"), std::string::npos);
    EXPECT_EQ(Run(keyboard + "profiles delete " + newId).exitCode, 0);
    EXPECT_EQ(Run(keyboard + "profiles").out.find("Gaming"), std::string::npos);

    test::WriteFile(m_environment.Root() / "broken.xml", "<profile><keyitems>");
    const Result broken =
        Run(keyboard + "keys import '" + (m_environment.Root() / "broken.xml").string() + "'");
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_NE(broken.err.find("could not be read"), std::string::npos) << broken.err;
}

// The help says what an exchange file carries, and a file carries exactly that.
TEST_F(ZephylctlTest, KeyExportCarriesBothLayersAsTheHelpSays) {
    const std::string help = Run("keys --help").out;
    EXPECT_NE(help.find("export writes both layers"), std::string::npos) << help;
    EXPECT_EQ(help.find("base layer of"), std::string::npos) << help;

    const std::string keyboard = "--virtual-keyboard=101:0 ";
    ASSERT_EQ(Run(keyboard + "keys assign A disable").exitCode, 0);
    ASSERT_EQ(Run(keyboard + "--layer 1 keys assign B disable").exitCode, 0);
    const Result exported = Run(keyboard + "keys export '" + m_environment.Root().string() + "'");
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    const Result imported =
        Run(keyboard + "keys import '" + exported.out.substr(0, exported.out.find('\n')) + "'");
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    const std::string id = imported.out.substr(0, imported.out.find(' '));
    EXPECT_NE(Run(keyboard + "--json --profile " + id + " keys show").out.find("\"key\":\"A\""),
              std::string::npos);
    EXPECT_NE(
        Run(keyboard + "--json --profile " + id + " --layer 1 keys show").out.find("\"key\":\"B\""),
        std::string::npos);
}

// Only deleting the current profile changes which one is current and writes the keyboard.
TEST_F(ZephylctlTest, DeletingAnotherProfileLeavesTheCurrentOneAndTheKeyboard) {
    const std::string keyboard = "--virtual-keyboard=101:0 ";
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(Run(keyboard + "profiles new").exitCode, 0);
    }
    ASSERT_EQ(Run(keyboard + "keys assign A disable").exitCode, 0) << "profile 6 has a key";
    const std::string log = (m_environment.Root() / "reports.jsonl").string();
    m_environment.SetVariable("ZEPHYL_VIRTUAL_LOG", log);
    const Result deleted = Run(keyboard + "profiles delete 2");
    ASSERT_EQ(deleted.exitCode, 0) << deleted.err;
    EXPECT_EQ(test::ReadFile(log).find("\"op\":\"set_feature\""), std::string::npos)
        << "nothing written to the keyboard";
    EXPECT_EQ(Run(keyboard + "profiles rename 3 Spare").exitCode, 0);
    const Result listed = Run(keyboard + "profiles list");
    EXPECT_NE(listed.out.find("* 6  "), std::string::npos) << listed.out;
    EXPECT_EQ(listed.out.find("  2  "), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("  3  Spare"), std::string::npos) << listed.out;
    EXPECT_NE(Run(keyboard + "keys show").out.find("disable"), std::string::npos);

    // The current one deleted: the entry before it becomes current and is written.
    const Result current = Run(keyboard + "profiles delete 6");
    ASSERT_EQ(current.exitCode, 0) << current.err;
    EXPECT_NE(test::ReadFile(log).find("\"op\":\"set_feature\""), std::string::npos);
    EXPECT_NE(Run(keyboard + "profiles list").out.find("* 5  "), std::string::npos);
}

TEST(InvocationTest, OptionsAreReadWherever) {
    std::string error;
    auto parsed =
        cli::ParseInvocation({"--json", "--model=102", "settings", "set", "x", "-1"}, error);
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->json);
    EXPECT_EQ(parsed->model, 102);
    EXPECT_EQ(parsed->words, (std::vector<std::string>{"settings", "set", "x", "-1"}))
        << "a negative value after the command is an argument";
    parsed = cli::ParseInvocation({"--virtual-keyboard=101:0,2", "devices"}, error);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->scenario, "101:0,2");
    for (const auto& bad : std::vector<std::vector<std::string>>{
             {"--model"}, {"--model", "abc"}, {"--model=0"}, {"--frob", "devices"}}) {
        EXPECT_FALSE(cli::ParseInvocation(bad, error)) << bad[0];
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace zephyl
