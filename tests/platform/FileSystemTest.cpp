// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "support/MalformedFiles.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zephyl {
namespace {

namespace fs = std::filesystem;

TEST(FileSystemTest, CreateDirectoryPathCreatesEveryMissingAncestor) {
    test::TempEnvironment environment;
    const fs::path deep = environment.Root() / "a" / "b" / "c";
    EXPECT_TRUE(CreateDirectoryPath(deep.string()));
    EXPECT_TRUE(fs::is_directory(deep));
    EXPECT_TRUE(CreateDirectoryPath(deep.string())) << "an existing folder is a success";
}

TEST(FileSystemTest, CreateDirectoryPathFailsWhereAFileStands) {
    test::TempEnvironment environment;
    const auto file = test::WriteFile(environment.Root() / "plain", "x");
    EXPECT_FALSE(CreateDirectoryPath(file.string()));
    EXPECT_FALSE(CreateDirectoryPath((file / "below").string()));
    EXPECT_FALSE(CreateDirectoryPath(""));
}

TEST(FileSystemTest, PrivateDirectoryIsTheOwnersAloneNewOrOld) {
    test::TempEnvironment environment;
    const fs::path fresh = environment.Root() / "fresh";
    const fs::path old = environment.Root() / "old";
    fs::create_directories(old);
    fs::permissions(old, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read |
                             fs::perms::group_exec | fs::perms::others_exec);
    for (const fs::path& folder : {fresh, old}) {
        SCOPED_TRACE(folder.string());
        EXPECT_TRUE(CreatePrivateDirectory(folder.string()));
        EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
    }
}

TEST(FileSystemTest, DeleteTreeRemovesContentButNeverFollowsLinks) {
    test::TempEnvironment environment;
    const fs::path keep = environment.Root() / "keep";
    test::WriteFile(keep / "precious.txt", "data");
    const fs::path tree = environment.Root() / "tree";
    test::WriteFile(tree / "sub" / "file.bin", "junk");
    fs::create_directory_symlink(keep, tree / "link");

    EXPECT_TRUE(DeleteTree(tree.string()));
    EXPECT_FALSE(fs::exists(tree));
    EXPECT_EQ(test::ReadFile(keep / "precious.txt"), "data");
    EXPECT_TRUE(DeleteTree(tree.string())) << "nothing left to delete is a success";
}

// Files the user names are read only when they are regular files, and never past the caller's
// cap: a FIFO does not block, /dev/zero is not read, a folder is not taken for an endless file.
TEST(FileSystemTest, ReadRegularFileRefusesWhatIsNoRegularFileOrTooLarge) {
    test::TempEnvironment environment;
    const std::string root = environment.Root().string();
    test::WriteFile(environment.Root() / "small", "12345");
    test::WriteFile(environment.Root() / "empty", "");
    const test::TestFifo fifo(root + "/fifo");
    const struct {
        std::string path;
        std::size_t limit;
        FileReadStatus status;
        std::string bytes;
    } cases[] = {
        {root + "/small", 5, FileReadStatus::kRead, "12345"},
        {root + "/empty", 5, FileReadStatus::kRead, ""},
        {root + "/small", 4, FileReadStatus::kTooLarge, ""},
        {root + "/missing", 5, FileReadStatus::kMissing, ""},
        {root, 5, FileReadStatus::kNotRegularFile, ""},
        {fifo.Path(), 5, FileReadStatus::kNotRegularFile, ""},
        {"/dev/zero", 5, FileReadStatus::kNotRegularFile, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path + " " + std::to_string(c.limit));
        std::string bytes = "left over";
        EXPECT_EQ(ReadRegularFile(c.path, c.limit, bytes), c.status);
        EXPECT_EQ(bytes, c.bytes);
        std::vector<std::uint8_t> raw;
        EXPECT_EQ(ReadRegularFile(c.path, c.limit, raw), c.status);
        EXPECT_EQ(InspectRegularFile(c.path, c.limit), c.status);
    }
}

TEST(PathsTest, SafeFileComponentKeepsNamesInsideTheirFolder) {
    struct Case {
        std::string name;
        std::string expected;
    };
    const Case cases[] = {
        {"Zephyl K100", "Zephyl K100"}, {"../../etc/passwd", "_._.._etc_passwd"},
        {".hidden", "_hidden"},         {std::string("a\0b", 3), "a_b"},
        {"Клавиатура", "Клавиатура"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SafeFileComponent(c.name), c.expected) << c.name;
    }
}

TEST(PathsTest, XdgFoldersFollowTheEnvironment) {
    test::TempEnvironment environment;
    EXPECT_EQ(UserDataHome(), environment.DataHome().string());
    EXPECT_EQ(UserConfigHome(), environment.ConfigHome().string());
    EXPECT_EQ(UserRuntimeDir(), environment.RuntimeDir().string());
    environment.SetVariable("XDG_DATA_HOME", "relative/path");
    EXPECT_EQ(UserDataHome(), environment.Root().string() + "/.local/share")
        << "relative XDG paths are ignored";
    environment.SetVariable("XDG_RUNTIME_DIR", (environment.Root() / "missing").string());
    EXPECT_EQ(UserRuntimeDir(), "");
}

}  // namespace
}  // namespace zephyl
