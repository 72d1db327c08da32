// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/SettingsStore.h"
#include "support/MalformedFiles.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <unistd.h>

namespace zephyl {
namespace {

namespace fs = std::filesystem;

TEST(SettingsStoreTest, CreatesThenKeepsValuesAndForeignLines) {
    test::TempEnvironment environment;
    SettingsStore store("Zephyl Keyboard Driver");
    EXPECT_FALSE(store.Exists());
    EXPECT_EQ(store.OpenOrCreate(), SettingsStore::OpenResult::kCreated);
    EXPECT_EQ(store.OpenOrCreate(), SettingsStore::OpenResult::kOpened);
    EXPECT_EQ(store.Path(),
              (environment.ConfigHome() / "Zephyl Keyboard Driver" / "settings.ini").string());

    // Another section and a comment of the user's must survive our writes.
    test::WriteFile(store.Path(), "; mine\n[Other]\nLCID=7\n[SOFTWARE]\nexit_mode=1\n");
    EXPECT_TRUE(store.WriteInt("LCID", 1049));
    EXPECT_TRUE(store.WriteInt("DeviceType", 102));
    EXPECT_TRUE(store.WriteInt("LCID", 1033));
    EXPECT_EQ(store.ReadInt("LCID"), 1033);
    EXPECT_EQ(store.ReadInt("exit_mode"), 1);
    EXPECT_EQ(store.ReadInt("DeviceType"), 102);
    const std::string text = test::ReadFile(store.Path());
    EXPECT_NE(text.find("; mine\n[Other]\nLCID=7\n[SOFTWARE]\n"), std::string::npos) << text;
    EXPECT_FALSE(fs::exists(store.Path() + ".tmp"));
}

TEST(SettingsStoreTest, MissingOrNonNumericValuesReadAsZero) {
    test::TempEnvironment environment;
    SettingsStore store("Z");
    ASSERT_EQ(store.OpenOrCreate(), SettingsStore::OpenResult::kCreated);
    EXPECT_FALSE(store.ReadValue("LCID").has_value());
    EXPECT_EQ(store.ReadInt("LCID"), 0);
    ASSERT_TRUE(store.WriteValue("LCID", "english"));
    EXPECT_EQ(store.ReadInt("LCID"), 0);
}

TEST(SettingsStoreTest, FailedWriteKeepsTheStoredFile) {
    test::TempEnvironment environment;
    SettingsStore store("Z");
    ASSERT_EQ(store.OpenOrCreate(), SettingsStore::OpenResult::kCreated);
    ASSERT_TRUE(store.WriteInt("LCID", 1049));
    // A folder where the replacement file would be written makes the write fail, even for root.
    fs::create_directory(store.Path() + ".tmp");
    EXPECT_FALSE(store.WriteInt("LCID", 1033));
    EXPECT_EQ(store.ReadInt("LCID"), 1049);
}

TEST(SettingsStoreTest, RewritesKeepTheFilesModeLinkAndReadOnlyChoice) {
    test::TempEnvironment environment;
    SettingsStore store("Z");
    ASSERT_EQ(store.OpenOrCreate(), SettingsStore::OpenResult::kCreated);
    ASSERT_TRUE(store.WriteInt("LCID", 1049));

    fs::permissions(store.Path(), fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(store.WriteInt("LCID", 1033));
    EXPECT_EQ(fs::status(store.Path()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    // A link to a file kept elsewhere stays a link, and the target gets the value.
    const fs::path elsewhere = environment.Root() / "kept.ini";
    fs::rename(store.Path(), elsewhere);
    fs::create_symlink(elsewhere, store.Path());
    ASSERT_TRUE(store.WriteInt("LCID", 2052));
    EXPECT_TRUE(fs::is_symlink(store.Path()));
    EXPECT_NE(test::ReadFile(elsewhere).find("LCID=2052"), std::string::npos);

    fs::permissions(elsewhere, fs::perms::owner_read);
    EXPECT_FALSE(store.WriteInt("LCID", 1049)) << "a read-only file is the user's choice";
    EXPECT_EQ(store.ReadInt("LCID"), 2052);
}

TEST(SettingsStoreTest, WritesThatCannotHappenSayWhy) {
    const struct {
        const char* what;
        std::function<void(const fs::path& file)> prepare;
        SettingsWriteError error;
    } cases[] = {
        {"read-only file",
         [](const fs::path& file) { fs::permissions(file, fs::perms::owner_read); },
         SettingsWriteError::kReadOnly},
        {"no permissions at all",
         [](const fs::path& file) { fs::permissions(file, fs::perms::none); },
         // root reads any file, and then stops at its mode
         getuid() == 0 ? SettingsWriteError::kReadOnly : SettingsWriteError::kUnreadable},
        {"read-only folder",
         [](const fs::path& file) {
             fs::permissions(file.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
         },
         SettingsWriteError::kReadOnly},
        {"a folder in its place",
         [](const fs::path& file) {
             fs::remove(file);
             fs::create_directory(file);
         },
         SettingsWriteError::kNotAFile},
        {"no room for the replacement",
         [](const fs::path& file) { fs::create_directory(file.string() + ".tmp"); },
         SettingsWriteError::kCannotWrite},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempEnvironment environment;
        SettingsStore store("Z");
        ASSERT_EQ(store.OpenOrCreate(), SettingsStore::OpenResult::kCreated);
        ASSERT_TRUE(store.WriteInt("LCID", 1049));
        c.prepare(store.Path());
        const SettingsWriteResult result = store.StoreValue("LCID", "1033");
        EXPECT_EQ(result.error, c.error);
        EXPECT_EQ(result.path, store.Path());
        if (fs::is_regular_file(store.Path()) && access(store.Path().c_str(), R_OK) == 0) {
            EXPECT_EQ(store.ReadInt("LCID"), 1049);
        }
        fs::permissions(fs::path(store.Path()).parent_path(), fs::perms::owner_all);
    }
}

TEST(SettingsStoreTest, ALinkToNothingIsRefusedAndLeftALink) {
    test::TempEnvironment environment;
    SettingsStore store("Z");
    fs::create_directories(fs::path(store.Path()).parent_path());
    const fs::path target = environment.Root() / "unmounted" / "settings.ini";
    fs::create_symlink(target, store.Path());
    EXPECT_EQ(store.OpenOrCreate(), SettingsStore::OpenResult::kFailed);
    const SettingsWriteResult result = store.StoreValue("LCID", "1033");
    EXPECT_EQ(result.error, SettingsWriteError::kDanglingLink);
    EXPECT_EQ(result.linkTarget, target.string());
    EXPECT_TRUE(fs::is_symlink(store.Path()));
    EXPECT_FALSE(fs::exists(target.parent_path()));

    // Once the target is there again, values go into it through the link.
    fs::create_directories(target.parent_path());
    test::WriteFile(target, "[SOFTWARE]\n");
    EXPECT_TRUE(store.StoreValue("LCID", "1033").Ok());
    EXPECT_TRUE(fs::is_symlink(store.Path()));
    EXPECT_EQ(test::ReadFile(target), "[SOFTWARE]\nLCID=1033\n");
}

TEST(SettingsStoreTest, ConfigFolderThatCannotBeCreatedFailsToOpen) {
    test::TempEnvironment environment;
    // A plain file where the configuration folder should be.
    test::WriteFile(environment.Root() / "blocked", "");
    environment.SetVariable("XDG_CONFIG_HOME", (environment.Root() / "blocked").string());
    SettingsStore store("Z");
    EXPECT_EQ(store.OpenOrCreate(), SettingsStore::OpenResult::kFailed);
    EXPECT_FALSE(store.WriteInt("LCID", 1033));
}

// A settings.ini that is a FIFO or larger than a settings file can be is neither read (every
// start would wait on it or take seconds) nor written over: the user's file stays as it is.
TEST(SettingsStoreTest, FileThatIsNoSettingsFileIsLeftAsItIs) {
    test::TempEnvironment environment;
    SettingsStore store("Z");
    ASSERT_EQ(store.OpenOrCreate(), SettingsStore::OpenResult::kCreated);
    EXPECT_FALSE(store.Refused());
    std::string large = "[SOFTWARE]\nLCID=1049\n";
    large.resize(kSettingsFileLimit + 1, ';');
    test::WriteFile(store.Path(), large);
    EXPECT_TRUE(store.Refused());
    EXPECT_EQ(store.OpenOrCreate(), SettingsStore::OpenResult::kFailed);
    EXPECT_EQ(store.ReadInt("LCID"), 0);
    EXPECT_FALSE(store.WriteInt("LCID", 1033));
    EXPECT_EQ(test::ReadFile(store.Path()), large);

    fs::remove(store.Path());
    {
        const test::TestFifo fifo(store.Path());
        EXPECT_TRUE(store.Refused());
        EXPECT_FALSE(store.Exists());
        EXPECT_EQ(store.OpenOrCreate(), SettingsStore::OpenResult::kFailed);
        EXPECT_FALSE(store.ReadValue("LCID").has_value());
        EXPECT_FALSE(store.WriteInt("LCID", 1033));
        EXPECT_TRUE(fs::is_fifo(store.Path()));
    }
}

TEST(SettingsStoreTest, ParseDecimalTable) {
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {{"1049", 1049}, {" 42", 42}, {"-3", -3},        {"", 0},
                          {"abc", 0},     {"12x", 12}, {"99999999999", 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(ParseDecimal(c.text), c.value) << c.text;
    }
}

}  // namespace
}  // namespace zephyl
