// SPDX-License-Identifier: GPL-2.0-or-later
#include "StoreTestSupport.h"

#include <sqlite3.h>

#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace zephyl::test {
namespace {

constexpr uid_t kNobody = 65534;

}  // namespace

RawDatabase::RawDatabase(const std::filesystem::path& path) {
    if (sqlite3_open_v2(path.c_str(), &m_handle, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(m_handle);
        throw std::runtime_error("cannot open " + path.string());
    }
}

RawDatabase::~RawDatabase() {
    sqlite3_close_v2(m_handle);
}

std::vector<std::string> RawDatabase::Rows(const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(m_handle, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        throw std::runtime_error(sql + ": " + sqlite3_errmsg(m_handle));
    }
    std::vector<std::string> rows;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        std::string row;
        for (int column = 0; column < sqlite3_column_count(statement); ++column) {
            if (column > 0) {
                row += '|';
            }
            const auto* text = sqlite3_column_text(statement, column);
            row += text ? reinterpret_cast<const char*>(text) : "NULL";
        }
        rows.push_back(row);
    }
    sqlite3_finalize(statement);
    return rows;
}

long long RawDatabase::Number(const std::string& sql) {
    const std::vector<std::string> rows = Rows(sql);
    return rows.empty() ? 0 : std::stoll(rows.front());
}

void RawDatabase::Exec(const std::string& sql) {
    if (sqlite3_exec(m_handle, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        throw std::runtime_error(sql + ": " + sqlite3_errmsg(m_handle));
    }
}

StoreTest::StoreTest() {
    std::filesystem::create_directories(DatabaseFile().parent_path());
    if (!m_db.OpenModelDatabase(DataFolder(), "K1")) {
        throw std::runtime_error("cannot create the test database");
    }
}

std::string StoreTest::DataFolder() const {
    return (m_environment.DataHome() / "Zephyl Keyboard Driver Files").string() + "/";
}

std::filesystem::path StoreTest::DatabaseFile(const std::string& model) const {
    return std::filesystem::path(DataFolder()) / "db" / (model + "_datav2.db");
}

RawDatabase& StoreTest::Raw() {
    if (!m_raw) {
        m_raw = std::make_unique<RawDatabase>(DatabaseFile());
    }
    return *m_raw;
}

bool RunUnprivileged(const std::function<bool()>& check) {
    if (geteuid() != 0) {
        return check();
    }
    const pid_t child = fork();
    if (child == 0) {
        const bool dropped = setgid(kNobody) == 0 && setuid(kNobody) == 0;
        _exit(dropped && check() ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) {
        return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void OpenFoldersToEveryone(const std::filesystem::path& root, const std::filesystem::path& path) {
    using std::filesystem::perms;
    for (std::filesystem::path folder = path;; folder = folder.parent_path()) {
        std::filesystem::permissions(folder, perms::all);
        if (folder == root || !folder.has_parent_path() || folder == folder.parent_path()) {
            break;
        }
    }
}

}  // namespace zephyl::test
