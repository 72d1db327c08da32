// SPDX-License-Identifier: GPL-2.0-or-later
#include "store/ProfileDatabase.h"

#include "store/ProfileDatabaseAccess.h"
#include "store/ProfileSchema.h"
#include "store/SQLiteDB.h"

#include <sqlite3.h>

#include <set>

#include <cctype>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace zephyl {
namespace {

constexpr int kOpenExisting = SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX;
constexpr int kOpenOrCreate = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;

// The journal files SQLite may keep beside a database; they go together with the file.
constexpr const char* kCompanionSuffixes[] = {"", "-wal", "-shm", "-journal"};

// Anything we cannot prove missing counts as present, so it is never created over.
bool FileExists(const std::string& path) {
    std::error_code error;
    const auto status = std::filesystem::symlink_status(path, error);
    if (error) {
        return error != std::errc::no_such_file_or_directory;
    }
    return status.type() != std::filesystem::file_type::not_found;
}

void RemoveDatabaseFiles(const std::string& path) {
    for (const char* suffix : kCompanionSuffixes) {
        std::error_code ignored;
        std::filesystem::remove(path + suffix, ignored);
    }
}

// The model name comes from a configuration file and becomes part of a file name: it must not
// name another folder, a hidden file or a path outside the db folder.
std::string SafeModelName(const std::string& name) {
    std::string safe = name;
    for (char& c : safe) {
        if (c == '/' || static_cast<unsigned char>(c) < 0x20) {
            c = '_';
        }
    }
    if (!safe.empty() && safe.front() == '.') {
        safe.front() = '_';
    }
    return safe;
}

}  // namespace

ProfileDatabase::ProfileDatabase(DatabaseOptions options)
    : m_db(options.journal), m_schema(std::move(options.schema)) {}

ProfileDatabase::~ProfileDatabase() {
    std::lock_guard lock(m_lock);
    if (m_opened) {
        CloseConnection();
    }
}

std::string ProfileDatabase::ModelDatabasePath(const std::string& dataFolder,
                                               const std::string& modelName) {
    std::string path = dataFolder;
    if (!path.empty() && path.back() != '/') {
        path.push_back('/');
    }
    return path + "db/" + SafeModelName(modelName) + "_datav2.db";
}

std::string ProfileDatabase::OpenProblem() const {
    std::lock_guard lock(m_lock);
    return m_openProblem;
}

bool ProfileDatabase::ExistingFileIsOurs() {
    sqlite3* handle = nullptr;
    const auto fail = [this, &handle](const std::string& reason) {
        sqlite3_close(handle);
        m_openProblem = m_path + ": " + reason;
        return false;
    };
    std::error_code error;
    if (std::filesystem::is_symlink(m_path, error) && !std::filesystem::exists(m_path, error)) {
        // Creating a file in its place would leave the user's real file detached from it.
        return fail("is a link to " + std::filesystem::read_symlink(m_path, error).string() +
                    ", which does not exist");
    }
    if (!std::filesystem::is_regular_file(m_path, error)) {
        // A folder, a pipe (which would block the reader), a device: never a database.
        return fail("is not a file");
    }
    // Looking must leave no trace: without a write-ahead log beside it the file is read as
    // immutable, so SQLite creates none; with one, its content counts.
    std::string uri = "file:";
    for (char c : m_path) {
        if (c == '%' || c == '?' || c == '#') {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
            uri += escaped;
        } else {
            uri += c;
        }
    }
    uri += std::filesystem::exists(m_path + "-wal", error) ? "?mode=ro" : "?immutable=1";
    if (sqlite3_open_v2(uri.c_str(), &handle, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) !=
        SQLITE_OK) {
        return fail("cannot be read");
    }
    // Another process writing holds its lock a moment: the look waits for it as writes do. A
    // lock held past that says nothing about what the file is.
    sqlite3_busy_timeout(handle, kSQLiteBusyTimeoutMs);
    const auto unreadable = [&handle, &fail]() {
        const int code = sqlite3_errcode(handle) & 0xff;
        if (code == SQLITE_BUSY || code == SQLITE_LOCKED) {
            NoteBusy(code);
            return fail("is in use by another program (" + std::string(sqlite3_errmsg(handle)) +
                        ")");
        }
        return fail("is not a profile database (" + std::string(sqlite3_errmsg(handle)) + ")");
    };
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(handle, "SELECT name FROM sqlite_master WHERE type = 'table'", -1,
                           &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return unreadable();
    }
    std::set<std::string> tables;
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
        const unsigned char* name = sqlite3_column_text(statement, 0);
        tables.insert(name ? reinterpret_cast<const char*>(name) : "");
    }
    sqlite3_finalize(statement);
    if (code != SQLITE_DONE) {
        return unreadable();
    }
    tables.erase("sqlite_sequence");
    // An empty file is what an interrupted creation leaves: it gets its tables.
    for (const char* needed :
         {"t_config_data", "t_profile_data", "t_key_macro_data", "t_macro_data", "t_macrorecord"}) {
        if (!tables.empty() && !tables.contains(needed)) {
            return fail("is not a profile database of this program (no table " +
                        std::string(needed) + ")");
        }
    }
    sqlite3_close(handle);
    return true;
}

bool ProfileDatabase::OpenModelDatabase(const std::string& dataFolder,
                                        const std::string& modelName) {
    std::lock_guard lock(m_lock);
    m_openProblem.clear();
    const std::string path = ModelDatabasePath(dataFolder, modelName);
    if (m_db.IsOpen() && path != m_path) {
        // Keeping it would write this model's settings into another model's file.
        CloseConnection();
    }
    m_path = path;
    bool result = false;
    if (!FileExists(m_path)) {
        result = CreateDatabase();
        if (!result) {
            m_openProblem = m_path + ": cannot be created";
        }
    } else if (m_db.IsOpen()) {
        result = true;
    } else {
        result = OpenExisting();
    }
    m_opened = result;
    return result;
}

// A file without any table is what an interrupted creation leaves behind (the creation
// transaction never committed); it gets its tables now instead of staying unusable forever.
// Files that hold anything are used exactly as they are.
bool ProfileDatabase::OpenExisting() {
    if (!ExistingFileIsOurs()) {
        return false;
    }
    if (!m_db.Open(m_path.c_str(), kOpenExisting)) {
        m_openProblem = m_path + ": cannot be opened for writing";
        return false;
    }
    if (QueryInt("SELECT count(*) FROM sqlite_master") == 0 && !RunSchema()) {
        CloseConnection();
        return false;
    }
    return true;
}

bool ProfileDatabase::CreateDatabase() {
    std::lock_guard lock(m_lock);
    if (m_db.IsOpen()) {
        return true;
    }
    if (m_path.empty()) {
        m_opened = false;
        return false;  // no model selected yet
    }
    const bool existed = FileExists(m_path);
    bool created = m_db.Open(m_path.c_str(), kOpenOrCreate) && RunSchema();
    if (!created) {
        CloseConnection();
        if (!existed) {
            RemoveDatabaseFiles(m_path);  // the next open starts over instead of half a file
        }
    }
    m_opened = created;
    return created;
}

bool ProfileDatabase::RunSchema() {
    const std::vector<std::string>& schema =
        m_schema.empty() ? ProfileSchemaStatements() : m_schema;
    if (m_db.Exec("BEGIN") != SQLITE_OK) {
        return false;
    }
    for (const std::string& statement : schema) {
        if (m_db.Exec(statement.c_str()) != SQLITE_OK) {
            m_db.Exec("ROLLBACK");
            return false;
        }
    }
    if (m_db.Exec("COMMIT") != SQLITE_OK) {
        m_db.Exec("ROLLBACK");
        return false;
    }
    return true;
}

void ProfileDatabase::CloseConnection() {
    m_db.Interrupt();
    if (m_db.Close()) {
        m_opened = false;
    }
}

void ProfileDatabase::CloseDatabase() {
    std::lock_guard lock(m_lock);
    CloseConnection();
}

void ProfileDatabase::DeleteModelDatabase(const std::string& dataFolder,
                                          const std::string& modelName) {
    std::lock_guard lock(m_lock);
    const std::string path = ModelDatabasePath(dataFolder, modelName);
    if (m_db.IsOpen() && path == m_path) {
        CloseConnection();
        if (m_db.IsOpen()) {
            return;  // deleting under a live connection would lose every later change
        }
    }
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) {
        RemoveDatabaseFiles(path);
        return;
    }
    // The user keeps the file elsewhere and links to it: the file there is reset, and the link
    // stays. SQLite keeps the journal files beside the link's target.
    const std::filesystem::path target = std::filesystem::canonical(path, error);
    if (error) {
        return;  // a link to nothing: there is nothing to delete, and the open says why
    }
    struct stat status {};
    const mode_t mode = stat(target.c_str(), &status) == 0 ? status.st_mode & 0777 : 0600;
    RemoveDatabaseFiles(target.string());
    // An empty file is what an interrupted creation leaves: the next open gives it its tables.
    const int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) {
        close(fd);
    }
}

bool ProfileDatabase::IsOpened() const {
    std::lock_guard lock(m_lock);
    return m_opened;
}

std::string ProfileDatabase::Path() const {
    std::lock_guard lock(m_lock);
    return m_path;
}

std::string ProfileDatabase::PragmaValue(const std::string& name) {
    for (char c : name) {
        if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '_') {
            return {};
        }
    }
    std::lock_guard lock(m_lock);
    SQLiteStatement statement;
    const std::string sql = "PRAGMA " + name;
    m_db.Prepare(statement, sql.c_str(), -1);
    return statement.Step() == SQLITE_ROW ? statement.ColumnString(0) : std::string();
}

ProfileDatabase& DatabaseInstance() {
    static ProfileDatabase instance;
    return instance;
}

}  // namespace zephyl
