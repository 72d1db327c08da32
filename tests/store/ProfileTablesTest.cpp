// SPDX-License-Identifier: GPL-2.0-or-later
#include "store/ConfigValues.h"
#include "store/ProfileDatabase.h"

#include "StoreTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zephyl::test {
namespace {

class ConfigTableTest : public StoreTest {};

TEST_F(ConfigTableTest, DefaultsAreTheTwentyThreeRowsInTheirOrder) {
    m_db.InsertDefaultConfig();
    const std::vector<std::string> rows =
        Raw().Rows("SELECT config_id, profile, key, value FROM t_config_data ORDER BY config_id");
    ASSERT_EQ(rows.size(), 23u);
    EXPECT_EQ(rows.front(), "1|1|version|1.0.1");
    EXPECT_EQ(rows[3], "4|1|fn_switch|0");
    EXPECT_EQ(rows[15], "16|1|default_color1|8331093");
    EXPECT_EQ(rows.back(), "23|1|default_color8|16777215");
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i], std::to_string(i + 1) + "|1|" + kDefaultConfig[i].key + "|" +
                               kDefaultConfig[i].value);
    }
}

TEST_F(ConfigTableTest, ValuesAreReadAndChangedInPlaceButNeverCreated) {
    m_db.InsertDefaultConfig();
    std::string value = "stale";
    EXPECT_TRUE(m_db.GetConfigValue(1, "sleep_time", value));
    EXPECT_EQ(value, "2");
    EXPECT_TRUE(m_db.SetConfigValue(1, "sleep_time", "4"));
    EXPECT_TRUE(m_db.GetConfigValue(1, "sleep_time", value));
    EXPECT_EQ(value, "4");

    struct Missing {
        int profile;
        const char* key;
    };
    for (const Missing& missing : {Missing{1, "no_such_key"}, Missing{2, "sleep_time"}}) {
        value = "stale";
        EXPECT_FALSE(m_db.GetConfigValue(missing.profile, missing.key, value)) << missing.key;
        EXPECT_EQ(value, "") << missing.key;
        EXPECT_TRUE(m_db.SetConfigValue(missing.profile, missing.key, "9")) << missing.key;
    }
    EXPECT_EQ(Raw().Number("SELECT count(*) FROM t_config_data"), 23);
    EXPECT_EQ(Raw().Number("SELECT count(*) FROM t_config_data WHERE value = '9'"), 0);
}

class ProfileTableTest : public StoreTest {};

TEST_F(ProfileTableTest, AddRenameDeleteAndIdsAreNeverReused) {
    EXPECT_EQ(m_db.AddProfile("one", ""), 1);
    EXPECT_EQ(m_db.AddProfile("two", "app"), 2);
    EXPECT_EQ(m_db.AddProfile("three", ""), 3);
    EXPECT_EQ(Raw().Rows("SELECT * FROM t_profile_data WHERE profile = 2"),
              std::vector<std::string>{"2|two|0|app|0"});

    EXPECT_TRUE(m_db.DeleteProfile(3));
    EXPECT_EQ(m_db.AddProfile("four", ""), 4);
    EXPECT_TRUE(m_db.DeleteProfile(99));  // nothing to delete is still a successful statement

    EXPECT_TRUE(m_db.RenameProfile(2, "zwei"));
    std::string name = "stale";
    EXPECT_TRUE(m_db.GetProfileName(2, name));
    EXPECT_EQ(name, "zwei");
    EXPECT_FALSE(m_db.GetProfileName(3, name));
    EXPECT_EQ(name, "");

    std::vector<Profile> list(5);
    ASSERT_EQ(m_db.ListProfiles(list), 3);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].profile, 1);
    EXPECT_EQ(list[1].profile, 2);
    EXPECT_EQ(list[1].name, "zwei");
    EXPECT_EQ(list[1].app, "app");
    EXPECT_EQ(list[2].profile, 4);
    EXPECT_EQ(list[2].name, "four");
}

TEST_F(ProfileTableTest, OnlyTheFirstProfileIsMarkedActive) {
    EXPECT_EQ(m_db.GetActiveProfile(), 0);
    for (const char* name : {"a", "b", "c"}) {
        m_db.AddProfile(name, "");
    }
    Raw().Exec("UPDATE t_profile_data SET status = 1 WHERE profile = 3");
    EXPECT_EQ(m_db.GetActiveProfile(), 3);
    EXPECT_TRUE(m_db.MarkFirstProfileActive());
    EXPECT_EQ(Raw().Rows("SELECT profile, status FROM t_profile_data"),
              (std::vector<std::string>{"1|1", "2|0", "3|0"}));
    EXPECT_EQ(m_db.GetActiveProfile(), 1);
    m_db.DeleteProfile(1);
    EXPECT_EQ(m_db.GetActiveProfile(), 0);
}

TEST_F(ProfileTableTest, ANewDatabaseIsFilledOnceWithThreeProfilesAndTheSettings) {
    std::vector<Profile> list;
    ASSERT_EQ(m_db.PrepareProfiles("Моя конфигурация", list), 3);
    ASSERT_EQ(list.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list[i].profile, i + 1);
        EXPECT_EQ(list[i].name, "Моя конфигурация " + std::to_string(i + 1));
        EXPECT_EQ(list[i].status, i == 0 ? 1 : 0);
    }
    EXPECT_EQ(m_db.GetActiveProfile(), 1);
    EXPECT_EQ(Raw().Number("SELECT count(*) FROM t_config_data"), 23);
    // The settings follow the first profile, before the other two.
    EXPECT_EQ(Raw().Number("SELECT count(*) FROM t_config_data WHERE profile = 1"), 23);

    // Another load, even after the user chose and renamed profiles, creates nothing.
    m_db.RenameProfile(2, "mine");
    m_db.DeleteProfile(1);
    ASSERT_EQ(m_db.PrepareProfiles("My Config", list), 2);
    EXPECT_EQ(list[0].name, "mine");
    EXPECT_EQ(Raw().Number("SELECT count(*) FROM t_config_data"), 23);
}

}  // namespace
}  // namespace zephyl::test
