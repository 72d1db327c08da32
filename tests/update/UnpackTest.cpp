// SPDX-License-Identifier: GPL-2.0-or-later
#include "support/TempEnvironment.h"
#include "update/TestServer.h"
#include "update/Unpack.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <vector>

namespace zephyl {
namespace {

namespace fs = std::filesystem;
using test::ZipEntry;

constexpr unsigned kLink = 0120777;

TEST(UnpackTest, EntriesThatLeaveTheFolderRefuseTheWholeArchive) {
    test::TempEnvironment env;
    const struct {
        const char* what;
        std::vector<ZipEntry> entries;
    } cases[] = {
        {"parent step", {{"setup", "ok"}, {"../outside", "x"}}},
        {"parent step inside", {{"setup", "ok"}, {"sub/../../outside", "x"}}},
        {"absolute path", {{"setup", "ok"}, {(env.Root() / "outside").string(), "x"}}},
        {"link out", {{"setup", "ok"}, {"escape", "../outside", kLink}}},
        {"absolute link", {{"setup", "ok"}, {"escape", (env.Root() / "outside").string(), kLink}}},
        {"link out from a folder", {{"sub/escape", "../../outside", kLink}, {"setup", "ok"}}},
        {"a pipe", {{"setup", "ok"}, {"fifo", "", 0010644}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path archive = env.Root() / "package.zip";
        const fs::path folder = env.Root() / "inner" / "unpack";
        fs::remove_all(env.Root() / "inner");
        fs::create_directories(folder);
        ASSERT_TRUE(test::WriteZip(archive, c.entries));
        EXPECT_EQ(UnpackAll(archive.string(), folder.string()), UnpackResult::kRefused);
        EXPECT_TRUE(fs::is_empty(folder));
        EXPECT_FALSE(fs::exists(env.Root() / "outside"));
        EXPECT_FALSE(fs::exists(env.Root() / "inner" / "outside"));
    }
}

TEST(UnpackTest, ABoundedArchiveUnpacksWithFoldersLinksAndModes) {
    test::TempEnvironment env;
    const fs::path archive = env.Root() / "package.zip";
    const fs::path folder = env.Root() / "unpack";
    fs::create_directories(folder);
    ASSERT_TRUE(test::WriteZip(archive, {{"docs/", "", 040755},
                                         {"docs/readme.txt", "hello"},
                                         {"bin/tool", "#!/bin/sh\n", 0100755},
                                         {"docs/tool", "../bin/tool", kLink}}));
    ASSERT_EQ(UnpackAll(archive.string(), folder.string()), UnpackResult::kDone);
    EXPECT_EQ(test::ReadFile(folder / "docs/readme.txt"), "hello");
    EXPECT_EQ(fs::read_symlink(folder / "docs/tool"), "../bin/tool");
    struct stat status {};
    ASSERT_EQ(stat((folder / "bin/tool").c_str(), &status), 0);
    EXPECT_NE(status.st_mode & S_IXUSR, 0u);
    ASSERT_EQ(stat((folder / "docs/readme.txt").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & S_IXUSR, 0u);

    test::WriteFile(env.Root() / "not.zip", "plain text");
    EXPECT_EQ(UnpackAll((env.Root() / "not.zip").string(), folder.string()),
              UnpackResult::kCannotOpen);
}

TEST(UnpackTest, EntryNamesAndLinkTargets) {
    const struct {
        const char* name;
        const char* target;  ///< null for a plain entry
        bool contained;
    } cases[] = {
        {"a/b/c", nullptr, true},
        {"./a", nullptr, true},
        {"", nullptr, false},
        {"/etc/passwd", nullptr, false},
        {"a/../../b", nullptr, false},
        {"a\\..\\b", nullptr, false},
        {"a/l", "../x", true},
        {"a/l", "../../x", false},
        {"l", "/x", false},
        {"l", "a/./b/../c", true},
        {"l", "a/../../x", false},
        {"l", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " -> " + (c.target ? c.target : "(file)"));
        EXPECT_EQ(c.target ? IsContainedLink(c.name, c.target) : IsContainedEntryName(c.name),
                  c.contained);
    }
}

}  // namespace
}  // namespace zephyl
