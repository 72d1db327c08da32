// SPDX-License-Identifier: GPL-2.0-or-later
#include "store/ConfigValues.h"

#include "store/ProfileDatabase.h"

#include "StoreTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace zephyl::test {
namespace {

TEST(ConfigNumberTest, StoredTextReadsAsADecimalNumber) {
    struct Case {
        const char* text;
        int number;
    };
    const Case cases[] = {
        {"2", 2},
        {"0", 0},
        {"-31", -31},
        {"16777215", 16777215},
        {"", 0},
        {"abc", 0},
        {" 7", 7},
        {"12abc", 12},
        {"1.0.1", 1},
        {"+5", 5},
        {"2147483647", 2147483647},
        {"2147483648", 0},
        {"-2147483649", 0},
        {"99999999999999999999", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseConfigNumber(c.text), c.number) << '"' << c.text << '"';
    }
}

class ConfigValuesTest : public StoreTest {
protected:
    ConfigValuesTest() { m_db.InsertDefaultConfig(); }
};

TEST_F(ConfigValuesTest, NumbersAreStoredAsDecimalTextOfProfileOne) {
    EXPECT_EQ(ReadConfigNumber(m_db, kConfigSleepTime), 2);
    EXPECT_EQ(ReadConfigNumber(m_db, DefaultColorKey(1)), 0x7F1F55);
    EXPECT_TRUE(WriteConfigNumber(m_db, kConfigLightMode, 7));
    EXPECT_TRUE(WriteConfigNumber(m_db, DefaultColorKey(6), 0x00FFFFFF));
    EXPECT_TRUE(WriteConfigNumber(m_db, kConfigKeyResponseTime, -1));
    EXPECT_EQ(Raw().Rows("SELECT profile, value FROM t_config_data WHERE key IN ('lightmode', "
                         "'default_color6', 'key_respondtime') ORDER BY config_id"),
              (std::vector<std::string>{"1|7", "1|-1", "1|16777215"}));
    EXPECT_EQ(ReadConfigNumber(m_db, kConfigLightMode), 7);
}

TEST_F(ConfigValuesTest, FnBehaviourSwitchesBetweenZeroAndOne) {
    for (int value : {1, 0, 1}) {
        EXPECT_TRUE(WriteConfigNumber(m_db, kConfigFnSwitch, value));
        std::string text;
        EXPECT_TRUE(m_db.GetConfigValue(kSettingsProfile, kConfigFnSwitch, text));
        EXPECT_EQ(text, std::to_string(value));
    }
}

TEST_F(ConfigValuesTest, LocksAreOnOnlyForTheExactTextOne) {
    struct Case {
        const char* stored;
        bool locked;
    };
    for (const Case& c : {Case{"1", true}, Case{"0", false}, Case{"2", false}, Case{" 1", false},
                          Case{"01", false}, Case{"", false}}) {
        ASSERT_TRUE(m_db.SetConfigValue(kSettingsProfile, kConfigDisableWin, c.stored));
        EXPECT_EQ(ReadConfigFlag(m_db, kConfigDisableWin), c.locked) << '"' << c.stored << '"';
    }
    Raw().Exec("DELETE FROM t_config_data WHERE key = 'disable_win'");
    EXPECT_FALSE(ReadConfigFlag(m_db, kConfigDisableWin));
}

TEST_F(ConfigValuesTest, AMissingRowReadsZeroAndStaysMissing) {
    Raw().Exec("DELETE FROM t_config_data WHERE key = 'sleep_time'");
    EXPECT_TRUE(WriteConfigNumber(m_db, kConfigSleepTime, 3));
    EXPECT_EQ(ReadConfigNumber(m_db, kConfigSleepTime), 0);
    EXPECT_EQ(Raw().Number("SELECT count(*) FROM t_config_data WHERE key = 'sleep_time'"), 0);
    EXPECT_EQ(Raw().Number("SELECT count(*) FROM t_config_data"), 22);
}

}  // namespace
}  // namespace zephyl::test
