// SPDX-License-Identifier: GPL-2.0-or-later
#include "store/ProfileDatabase.h"

#include "StoreTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zephyl::test {
namespace {

KeyAssignment Assignment(int profile, int layer, int key, int type, int value, int value2 = 0) {
    return KeyAssignment{0, profile, layer, key, 0, "", type, value, value2, 0, "desc"};
}

std::string Hex(const std::string& bytes) {
    constexpr const char* kDigits = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 15];
    }
    return hex;
}

class KeyTableTest : public StoreTest {
protected:
    long long Rows() { return Raw().Number("SELECT count(*) FROM t_key_macro_data"); }
};

TEST_F(KeyTableTest, EveryFieldIsStoredInItsColumnAndReadBack) {
    const KeyAssignment record{0, 2, 1, 41, 7, "layout", 12, 0xE2, 3, 4, "Mute"};
    const int id = m_db.SaveKeyAssignment(record);
    ASSERT_EQ(id, 1);
    EXPECT_EQ(Raw().Rows("SELECT * FROM t_key_macro_data"),
              std::vector<std::string>{"1|2|1|41|7|layout|12|226|3|4|Mute"});
    KeyAssignment read;
    ASSERT_TRUE(m_db.GetKeyAssignment(2, 1, 41, read));
    EXPECT_EQ(read.key_id, 1);
    EXPECT_EQ(read.profile, 2);
    EXPECT_EQ(read.fn_layer, 1);
    EXPECT_EQ(read.key_code, 41);
    EXPECT_EQ(read.layout_value, 7);
    EXPECT_EQ(read.layout_desc, "layout");
    EXPECT_EQ(read.macro_type, 12);
    EXPECT_EQ(read.macro_value, 0xE2);
    EXPECT_EQ(read.macro_value2, 3);
    EXPECT_EQ(read.macro_value3, 4);
    EXPECT_EQ(read.macro_desc, "Mute");

    KeyAssignment untouched = record;
    EXPECT_FALSE(m_db.GetKeyAssignment(2, 0, 41, untouched));  // other layer
    EXPECT_EQ(untouched.macro_desc, "Mute");
}

TEST_F(KeyTableTest, SavingReplacesRemovesOrIgnoresTheKeysRow) {
    struct Case {
        const char* what;
        KeyAssignment record;
        bool returnsId;
        long long rowsAfter;  // rows of (profile 1, layer 0, key 4) afterwards
        int valueAfter;
    };
    const Case cases[] = {
        {"first assignment", Assignment(1, 0, 4, 2, 5), true, 1, 5},
        {"replacement", Assignment(1, 0, 4, 2, 6), true, 1, 6},
        {"second value only", Assignment(1, 0, 4, 2, 0, 0x02), true, 1, 0},
        {"key code 0 changes nothing", Assignment(1, 0, 0, 2, 9), false, 1, 0},
        {"both values 0 restores the key", Assignment(1, 0, 4, 2, 0, 0), false, 0, -1},
        {"again on an empty key", Assignment(1, 0, 4, 2, 0, 0), false, 0, -1},
    };
    // Rows of other keys, layers and profiles must never be touched.
    m_db.SaveKeyAssignment(Assignment(1, 1, 4, 2, 77));
    m_db.SaveKeyAssignment(Assignment(2, 0, 4, 2, 78));
    m_db.SaveKeyAssignment(Assignment(1, 0, 5, 2, 79));
    int lastId = 3;
    for (const Case& c : cases) {
        const int id = m_db.SaveKeyAssignment(c.record);
        if (c.returnsId) {
            EXPECT_EQ(id, ++lastId) << c.what;
        } else {
            EXPECT_EQ(id, 0) << c.what;
        }
        EXPECT_EQ(Raw().Number("SELECT count(*) FROM t_key_macro_data WHERE profile = 1 AND "
                               "fn_layer = 0 AND key_code = 4"),
                  c.rowsAfter)
            << c.what;
        if (c.valueAfter >= 0) {
            KeyAssignment read;
            ASSERT_TRUE(m_db.GetKeyAssignment(1, 0, 4, read)) << c.what;
            EXPECT_EQ(read.macro_value, c.valueAfter) << c.what;
        }
        EXPECT_EQ(Raw().Number("SELECT count(*) FROM t_key_macro_data WHERE macro_value >= 77"), 3)
            << c.what;
    }
}

TEST_F(KeyTableTest, ListsAProfilesLayerInIdOrder) {
    m_db.SaveKeyAssignment(Assignment(1, 0, 30, 2, 1));
    m_db.SaveKeyAssignment(Assignment(1, 1, 31, 2, 2));
    m_db.SaveKeyAssignment(Assignment(1, 0, 10, 2, 3));
    m_db.SaveKeyAssignment(Assignment(2, 0, 30, 2, 4));
    m_db.SaveKeyAssignment(Assignment(1, 0, 30, 2, 5));  // replaced: moves to the end

    std::vector<KeyAssignment> list(3);
    ASSERT_EQ(m_db.ListKeyAssignments(1, 0, list), 2);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].key_code, 10);
    EXPECT_EQ(list[1].key_code, 30);
    EXPECT_EQ(list[1].macro_value, 5);
    EXPECT_LT(list[0].key_id, list[1].key_id);
    EXPECT_EQ(m_db.ListKeyAssignments(3, 0, list), 0);
    EXPECT_TRUE(list.empty());

    m_db.DeleteProfileAssignments(1);
    EXPECT_EQ(Raw().Rows("SELECT profile FROM t_key_macro_data"), std::vector<std::string>{"2"});
}

TEST_F(KeyTableTest, HostActionsAreAddedAndReadBack) {
    EXPECT_EQ(m_db.AddHostAction("firefox", "/usr/bin/firefox", 8), 1);
    EXPECT_EQ(m_db.AddHostAction("My Config 2", "2", 11), 2);
    EXPECT_EQ(Raw().Rows("SELECT * FROM t_key_otherdata"),
              (std::vector<std::string>{"1|firefox|/usr/bin/firefox|8", "2|My Config 2|2|11"}));
    std::string desc, param;
    int type = 0;
    EXPECT_TRUE(m_db.GetHostAction(2, desc, param, type));
    EXPECT_EQ(desc, "My Config 2");
    EXPECT_EQ(param, "2");
    EXPECT_EQ(type, 11);
    // A missing action still answers true and leaves the outputs as they were.
    EXPECT_TRUE(m_db.GetHostAction(3, desc, param, type));
    EXPECT_EQ(desc, "My Config 2");
    EXPECT_EQ(type, 11);
}

TEST_F(KeyTableTest, TextSurvivesWhateverItsCharacters) {
    const std::string texts[] = {
        "Моя конфигурация",     "我的专属配置",
        "🎹⌨️ keys 👍", "it's \"quoted\"; DROP TABLE x; --",
        "tab\tnew\nline",       "",
    };
    for (const std::string& text : texts) {
        const int profile = m_db.AddProfile(text, text);
        std::string name;
        ASSERT_TRUE(m_db.GetProfileName(profile, name));
        EXPECT_EQ(name, text);
        const int id =
            m_db.SaveKeyAssignment(KeyAssignment{0, profile, 0, 4, 0, text, 10, 1, 0, 0, text});
        ASSERT_GT(id, 0);
        KeyAssignment read;
        ASSERT_TRUE(m_db.GetKeyAssignment(profile, 0, 4, read));
        EXPECT_EQ(read.macro_desc, text);
        EXPECT_EQ(read.layout_desc, text);
        // Stored as UTF-8 text, byte for byte, not as a blob or another encoding.
        EXPECT_EQ(Raw().Rows("SELECT typeof(name) || ':' || hex(name) FROM t_profile_data "
                             "WHERE profile = " +
                             std::to_string(profile)),
                  std::vector<std::string>{"text:" + Hex(text)});
    }
    EXPECT_EQ(Raw().Number("SELECT count(*) FROM sqlite_master WHERE name = 't_profile_data'"), 1);
}

}  // namespace
// A deleted profile's keys leave with it, and only its keys.
TEST_F(KeyTableTest, DeletingAProfileDeletesItsKeysInTheSameStep) {
    m_db.AddProfile("one", "");
    m_db.AddProfile("two", "");
    m_db.SaveKeyAssignment(Assignment(1, 0, 4, 2, 77));
    m_db.SaveKeyAssignment(Assignment(2, 0, 4, 2, 78));
    m_db.SaveKeyAssignment(Assignment(2, 1, 5, 2, 79));
    EXPECT_TRUE(m_db.DeleteProfile(2));
    EXPECT_EQ(Raw().Number("SELECT count(*) FROM t_key_macro_data WHERE profile = 2"), 0);
    EXPECT_EQ(Raw().Number("SELECT count(*) FROM t_key_macro_data WHERE profile = 1"), 1);
    EXPECT_EQ(Raw().Number("SELECT count(*) FROM t_profile_data WHERE profile = 2"), 0);
}

}  // namespace zephyl::test
