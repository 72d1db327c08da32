// SPDX-License-Identifier: GPL-2.0-or-later
#include "store/SQLiteAutoTransaction.h"
#include "store/SQLiteDB.h"
#include "store/SQLiteStatement.h"

#include "StoreTestSupport.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

namespace zephyl::test {
namespace {

constexpr int kOpenOrCreate = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;

class SQLiteWrapperTest : public ::testing::Test {
protected:
    std::string FilePath(const std::string& name) const {
        return (m_environment.Root() / name).string();
    }

    // The first column of the first row of `sql` on `db`.
    static std::string Query(SQLiteDB& db, const char* sql) {
        SQLiteStatement statement;
        db.Prepare(statement, sql, -1);
        return statement.Step() == SQLITE_ROW ? statement.ColumnString(0) : "<no row>";
    }

    TempEnvironment m_environment;
};

TEST_F(SQLiteWrapperTest, EverythingIsMisuseWithoutConnectionOrStatement) {
    SQLiteDB db;
    SQLiteStatement statement;
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(db.Prepare(statement, "SELECT 1", -1), SQLITE_MISUSE);
    EXPECT_EQ(db.Exec("SELECT 1"), SQLITE_MISUSE);
    EXPECT_EQ(db.LastInsertRowId(), -1);
    EXPECT_TRUE(db.Close());
    EXPECT_FALSE(db.Open(nullptr, kOpenOrCreate));
    EXPECT_FALSE(db.Open("", kOpenOrCreate));

    EXPECT_EQ(statement.BindInt(1, 5), SQLITE_MISUSE);
    EXPECT_EQ(statement.BindText(1, "x"), SQLITE_MISUSE);
    EXPECT_EQ(statement.Step(), SQLITE_MISUSE);
    EXPECT_EQ(statement.ColumnInt(0), 0);
    EXPECT_EQ(statement.ColumnText(0), nullptr);

    ASSERT_TRUE(db.Open(FilePath("a.db").c_str(), kOpenOrCreate));
    EXPECT_EQ(db.Prepare(statement, nullptr, -1), SQLITE_MISUSE);
    EXPECT_EQ(db.Exec(nullptr), SQLITE_MISUSE);
}

TEST_F(SQLiteWrapperTest, PrepareTakesTheGivenLengthOrTheWholeString) {
    SQLiteDB db;
    ASSERT_TRUE(db.Open(FilePath("a.db").c_str(), kOpenOrCreate));
    SQLiteStatement statement;
    const char* sql = "SELECT 42 garbage that is not sql";
    EXPECT_EQ(db.Prepare(statement, sql, 9), SQLITE_OK);  // "SELECT 42"
    ASSERT_EQ(statement.Step(), SQLITE_ROW);
    EXPECT_EQ(statement.ColumnInt(0), 42);
    EXPECT_NE(db.Prepare(statement, sql, -1), SQLITE_OK);
    EXPECT_FALSE(statement.IsPrepared());
    EXPECT_EQ(db.Prepare(statement, "SELECT 'x'", -1), SQLITE_OK);
    ASSERT_EQ(statement.Step(), SQLITE_ROW);
    EXPECT_STREQ(statement.ColumnText(0), "x");
}

TEST_F(SQLiteWrapperTest, CloseKeepsAConnectionThatStillHasStatements) {
    SQLiteDB db;
    ASSERT_TRUE(db.Open(FilePath("a.db").c_str(), kOpenOrCreate));
    SQLiteStatement statement;
    ASSERT_EQ(db.Prepare(statement, "SELECT 1", -1), SQLITE_OK);
    EXPECT_FALSE(db.Close());
    EXPECT_TRUE(db.IsOpen());
    EXPECT_EQ(statement.Step(), SQLITE_ROW);  // the kept handle still works
    statement.Finalize();
    EXPECT_TRUE(db.Close());
    EXPECT_FALSE(db.IsOpen());
}

TEST_F(SQLiteWrapperTest, OpenClosesThePreviousConnection) {
    SQLiteDB db;
    ASSERT_TRUE(db.Open(FilePath("a.db").c_str(), kOpenOrCreate));
    ASSERT_EQ(db.Exec("CREATE TABLE first(x INTEGER)"), SQLITE_OK);
    ASSERT_TRUE(db.Open(FilePath("b.db").c_str(), kOpenOrCreate));
    EXPECT_NE(db.Exec("SELECT * FROM first"), SQLITE_OK);
    ASSERT_EQ(db.Exec("CREATE TABLE second(x INTEGER)"), SQLITE_OK);
    RawDatabase b(FilePath("b.db"));
    EXPECT_EQ(b.Number("SELECT count(*) FROM sqlite_master WHERE name = 'second'"), 1);
}

TEST_F(SQLiteWrapperTest, JournalSettingsOfTheConnection) {
    struct Case {
        JournalSettings settings;
        const char* journalMode;
        const char* synchronous;
    };
    for (const Case& c : {Case{JournalSettings::kWalNormal, "wal", "1"},
                          Case{JournalSettings::kRollbackSyncOff, "delete", "0"}}) {
        SQLiteDB db(c.settings);
        ASSERT_TRUE(db.Open(FilePath(std::string(c.journalMode) + ".db").c_str(), kOpenOrCreate));
        EXPECT_EQ(Query(db, "PRAGMA journal_mode"), c.journalMode);
        EXPECT_EQ(Query(db, "PRAGMA synchronous"), c.synchronous);
    }
}

TEST_F(SQLiteWrapperTest, TextIsBoundWithItsExactLengthAndReadBackAsUtf8) {
    SQLiteDB db;
    ASSERT_TRUE(db.Open(FilePath("a.db").c_str(), kOpenOrCreate));
    ASSERT_EQ(db.Exec("CREATE TABLE t(v TEXT)"), SQLITE_OK);
    const std::string text = "Моя 配置 🎹 \"q\" 'x'";
    SQLiteStatement statement;
    ASSERT_EQ(db.Prepare(statement, "INSERT INTO t(v) VALUES (?)", -1), SQLITE_OK);
    EXPECT_EQ(statement.BindText(1, text.data(), 4), SQLITE_OK);  // the first two bytes of "М","о"
    EXPECT_EQ(statement.Step(), SQLITE_DONE);
    EXPECT_EQ(db.LastInsertRowId(), 1);
    ASSERT_EQ(db.Prepare(statement, "INSERT INTO t(v) VALUES (?)", -1), SQLITE_OK);
    EXPECT_EQ(statement.BindText(1, text), SQLITE_OK);
    EXPECT_EQ(statement.Step(), SQLITE_DONE);
    ASSERT_EQ(db.Prepare(statement, "INSERT INTO t(v) VALUES (NULL)", -1), SQLITE_OK);
    EXPECT_EQ(statement.Step(), SQLITE_DONE);

    ASSERT_EQ(db.Prepare(statement, "SELECT v FROM t ORDER BY rowid", -1), SQLITE_OK);
    ASSERT_EQ(statement.Step(), SQLITE_ROW);
    EXPECT_EQ(statement.ColumnString(0), "Мо");
    ASSERT_EQ(statement.Step(), SQLITE_ROW);
    EXPECT_EQ(statement.ColumnString(0), text);
    ASSERT_EQ(statement.Step(), SQLITE_ROW);
    EXPECT_EQ(statement.ColumnText(0), nullptr);
    EXPECT_EQ(statement.ColumnString(0), "");
    EXPECT_EQ(statement.Step(), SQLITE_DONE);
}

// Inside a transaction a nested "BEGIN" is refused; outside, the probe's own one is ended.
bool InTransaction(SQLiteDB& db) {
    if (db.Exec("BEGIN") != SQLITE_OK) {
        return true;
    }
    db.Exec("END");
    return false;
}

TEST_F(SQLiteWrapperTest, AutoTransactionBeginsOnAnOpenConnectionAndEndsItself) {
    SQLiteDB db;
    ASSERT_TRUE(db.Open(FilePath("a.db").c_str(), kOpenOrCreate));
    ASSERT_EQ(db.Exec("CREATE TABLE t(x INTEGER)"), SQLITE_OK);
    {
        SQLiteAutoTransaction transaction(&db);
        EXPECT_TRUE(transaction.IsActive());
        EXPECT_TRUE(InTransaction(db));
        EXPECT_FALSE(transaction.Begin());  // already active
        ASSERT_EQ(db.Exec("INSERT INTO t VALUES (1)"), SQLITE_OK);
        RawDatabase other(FilePath("a.db"));
        EXPECT_EQ(other.Number("SELECT count(*) FROM t"), 0);
    }
    EXPECT_FALSE(InTransaction(db));
    RawDatabase other(FilePath("a.db"));
    EXPECT_EQ(other.Number("SELECT count(*) FROM t"), 1);

    SQLiteAutoTransaction transaction(&db);
    EXPECT_TRUE(transaction.Commit());
    EXPECT_FALSE(transaction.IsActive());
    EXPECT_FALSE(InTransaction(db));
    EXPECT_TRUE(transaction.Begin());
    EXPECT_TRUE(InTransaction(db));
    EXPECT_TRUE(transaction.Commit());
}

TEST_F(SQLiteWrapperTest, AutoTransactionWithoutConnectionOrDatabase) {
    SQLiteAutoTransaction none(nullptr);
    EXPECT_FALSE(none.IsActive());
    EXPECT_FALSE(none.Begin());
    EXPECT_FALSE(none.Commit());

    SQLiteDB closed;
    SQLiteAutoTransaction unconnected(&closed);
    EXPECT_TRUE(unconnected.IsActive());
    EXPECT_FALSE(unconnected.Commit());
    EXPECT_FALSE(unconnected.IsActive());
    EXPECT_FALSE(unconnected.Begin());
    EXPECT_TRUE(unconnected.IsActive());
}

}  // namespace
}  // namespace zephyl::test
