// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "store/ProfileDatabase.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

struct sqlite3;

namespace zephyl::test {

/// A second, independent connection to a database file, for looking at what the program wrote
/// (and for damaging it) without going through the code under test.
class RawDatabase {
public:
    explicit RawDatabase(const std::filesystem::path& path);
    ~RawDatabase();
    RawDatabase(const RawDatabase&) = delete;
    RawDatabase& operator=(const RawDatabase&) = delete;

    /// Every row as text, columns joined by '|'; NULL reads as "NULL".
    std::vector<std::string> Rows(const std::string& sql);
    /// The first column of the first row as a number, 0 without a row.
    long long Number(const std::string& sql);
    void Exec(const std::string& sql);

private:
    sqlite3* m_handle = nullptr;
};

/// A fresh data folder with its db sub-folder, and a database of model "K1" opened in it.
class StoreTest : public ::testing::Test {
protected:
    StoreTest();

    std::string DataFolder() const;
    std::filesystem::path DatabaseFile(const std::string& model = "K1") const;
    RawDatabase& Raw();

    TempEnvironment m_environment;
    ProfileDatabase m_db;

private:
    std::unique_ptr<RawDatabase> m_raw;
};

/// Runs `check` as a user without special rights (in a child process when we are root, who
/// may write any file), and returns what it returned.
bool RunUnprivileged(const std::function<bool()>& check);

/// Makes every folder from `path` up to the temporary root usable by any user.
void OpenFoldersToEveryone(const std::filesystem::path& root, const std::filesystem::path& path);

}  // namespace zephyl::test
