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
        {"link to the folder itself", {{"setup", "ok"}, {"d", ".", kLink}}},
        {"link up through a link to the folder", {{"d", ".", kLink}, {"up", "d/..", kLink}}},
        {"link to the folder from a sub-folder", {{"sub/", "", 040755}, {"sub/top", "..", kLink}}},
        {"parent step after a dot step", {{"./escape", "../outside", kLink}}},
        // Lexically a/b/c/../.. is a, but a/b/c is a link to a/x, so the system ends at the top.
        {"link through another link",
         {{"a/b/", "", 040755},
          {"a/x/", "", 040755},
          {"a/b/c", "../x", kLink},
          {"top", "a/b/c/../..", kLink}}},
        {"file written through a link", {{"sub/", "", 040755}, {"d", "sub", kLink}, {"d/f", "x"}}},
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
        {"l", ".", false},
        {"a/l", "..", false},
        {"l", "a/..", false},
        {"./l", "../x", false},
        {"./a/l", "../x", true},
        {"./", "x", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " -> " + (c.target ? c.target : "(file)"));
        EXPECT_EQ(c.target ? IsContainedLink(c.name, c.target) : IsContainedEntryName(c.name),
                  c.contained);
    }
}

TEST(UnpackTest, ArchivesThatUnpackPastTheLimitAreRefused) {
    test::TempEnvironment env;
    constexpr unsigned long long kLimit = 64 * 1024;
    const std::string big(100 * 1024, 'z');
    const struct {
        const char* what;
        std::vector<ZipEntry> entries;
        UnpackResult expected;
    } cases[] = {
        {"within the limit",
         {{"a", std::string(kLimit / 2, 'z')}, {"b", "x"}},
         UnpackResult::kDone},
        {"one entry states too much", {{"a", "x"}, {"b", big}}, UnpackResult::kTooLarge},
        {"together too much",
         {{"a", std::string(kLimit / 2 + 1, 'z')}, {"b", std::string(kLimit / 2, 'z')}},
         UnpackResult::kTooLarge},
        // Read no further than it states, the entry then fails its checksum.
        {"an entry that states less than it holds",
         {{"a", big, 0100644, 10}},
         UnpackResult::kWriteFailed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path archive = env.Root() / "package.zip";
        const fs::path folder = env.Root() / "unpack";
        fs::remove_all(folder);
        fs::create_directories(folder);
        fs::remove(archive);
        ASSERT_TRUE(test::WriteZip(archive, c.entries));
        EXPECT_EQ(UnpackAll(archive.string(), folder.string(), kLimit), c.expected);
        std::uintmax_t written = 0;
        for (const auto& file : fs::recursive_directory_iterator(folder)) {
            written += file.is_regular_file() ? file.file_size() : 0;
        }
        EXPECT_LE(written, kLimit);
    }
}

}  // namespace
}  // namespace zephyl
