// SPDX-License-Identifier: GPL-2.0-or-later
#include "store/ProfileDatabase.h"

#include "StoreTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zephyl::test {
namespace {

MacroStep Step(int macro, int index, int value) {
    return MacroStep{0, macro, 2, index, "key " + std::to_string(value), value, 10 * index};
}

class MacroTableTest : public StoreTest {};

TEST_F(MacroTableTest, MacrosAreAddedWithTheirSettingsRenamedAndUpdated) {
    EXPECT_EQ(m_db.AddMacro("New Macro 1"), 1);
    EXPECT_EQ(m_db.AddMacroWithSettings(Macro{0, 5, 3, 250, 2, "imported"}), 2);
    EXPECT_EQ(Raw().Rows("SELECT * FROM t_macro_data"),
              (std::vector<std::string>{"1|1|1|0|0|New Macro 1", "2|5|3|250|2|imported"}));

    EXPECT_TRUE(m_db.RenameMacro(1, "renamed"));
    EXPECT_TRUE(m_db.UpdateMacroSettings(Macro{2, 9, 2, 40, 7, "ignored"}));
    Macro macro;
    ASSERT_TRUE(m_db.GetMacro(2, macro));
    EXPECT_EQ(macro.macro_id, 2);
    EXPECT_EQ(macro.play_times, 9);
    EXPECT_EQ(macro.delay_type, 2);
    EXPECT_EQ(macro.delay_time, 40);
    EXPECT_EQ(macro.link_count, 2);  // not part of the settings
    EXPECT_EQ(macro.name, "imported");

    Macro missing{0, 0, 0, 0, 0, "initial"};
    EXPECT_FALSE(m_db.GetMacro(3, missing));
    EXPECT_EQ(missing.name, "initial");

    std::vector<Macro> list(4);
    ASSERT_EQ(m_db.ListMacros(list), 2);
    EXPECT_EQ(list[0].name, "renamed");
    EXPECT_EQ(list[1].macro_id, 2);
}

TEST_F(MacroTableTest, StepsComeBackInRecordOrderAndAreCounted) {
    const int macro = m_db.AddMacro("m");
    const int other = m_db.AddMacro("other");
    EXPECT_EQ(m_db.AddMacroStep(Step(macro, 2, 67)), 1);
    m_db.AddMacroSteps({Step(macro, 0, 65), Step(other, 0, 13), Step(macro, 1, 66)});
    EXPECT_EQ(Raw().Rows("SELECT * FROM t_macrorecord WHERE record_id = 1"),
              std::vector<std::string>{"1|1|2|2|key 67|67|20"});

    std::vector<MacroStep> steps(1);
    ASSERT_EQ(m_db.ListMacroSteps(macro, steps), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(steps[i].record_index, i);
        EXPECT_EQ(steps[i].value, 65 + i);
        EXPECT_EQ(steps[i].desc, "key " + std::to_string(65 + i));
        EXPECT_EQ(steps[i].delay_time, 10 * i);
        EXPECT_EQ(steps[i].macro_id, macro);
        EXPECT_EQ(steps[i].type, 2);
    }
    EXPECT_EQ(steps[0].record_id, 2);
    EXPECT_EQ(m_db.CountMacroSteps(macro), 3);
    EXPECT_EQ(m_db.CountMacroSteps(other), 1);
    EXPECT_EQ(m_db.CountAllMacroSteps(), 4);

    EXPECT_TRUE(m_db.DeleteMacroSteps(macro));
    EXPECT_EQ(m_db.ListMacroSteps(macro, steps), 0);
    EXPECT_EQ(m_db.CountAllMacroSteps(), 1);
}

TEST_F(MacroTableTest, DeletingAMacroRemovesItsStepsAndTheKeysThatPlayIt) {
    const int doomed = m_db.AddMacro("doomed");
    const int kept = m_db.AddMacro("kept");
    m_db.AddMacroSteps({Step(doomed, 0, 65), Step(kept, 0, 66)});
    constexpr int kMacroKind = 3;
    constexpr int kKeyKind = 2;
    struct KeyRow {
        int profile, layer, key, kind, value;
        bool survives;
    };
    const KeyRow keys[] = {
        {1, 0, 4, kMacroKind, doomed, false},
        {2, 1, 5, kMacroKind, doomed, false},  // every profile and layer
        {1, 0, 6, kMacroKind, kept, true},     // another macro
        {1, 0, 7, kKeyKind, doomed, true},     // same value, other kind
    };
    for (const KeyRow& key : keys) {
        ASSERT_GT(m_db.SaveKeyAssignment(KeyAssignment{0, key.profile, key.layer, key.key, 0, "",
                                                       key.kind, key.value, 0, 0, ""}),
                  0);
    }
    EXPECT_TRUE(m_db.DeleteMacro(doomed));
    Macro macro;
    EXPECT_FALSE(m_db.GetMacro(doomed, macro));
    EXPECT_EQ(m_db.CountMacroSteps(doomed), 0);
    EXPECT_EQ(m_db.CountMacroSteps(kept), 1);
    for (const KeyRow& key : keys) {
        KeyAssignment read;
        EXPECT_EQ(m_db.GetKeyAssignment(key.profile, key.layer, key.key, read), key.survives)
            << key.key;
    }
    EXPECT_TRUE(m_db.DeleteMacro(99));    // nothing to delete still succeeds
    EXPECT_EQ(m_db.AddMacro("next"), 3);  // ids are never reused
}

}  // namespace
}  // namespace zephyl::test
