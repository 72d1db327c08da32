// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/AssignmentKinds.h"
#include "keys/KeyAssignmentEdit.h"

#include "app/WorkerCommand.h"
#include "KeysTestSupport.h"

#include <gtest/gtest.h>

namespace zephyl {
namespace {

class KeyAssignmentEditTest : public test::DatabaseTest {
protected:
    KeyAssignmentEditTest() { m_layout.fnLockedKeys = {{175, 1}}; }
    KeyboardLayout m_layout;
};

TEST_F(KeyAssignmentEditTest, StoringRestoringAndLockedKeys) {
    int id = 0;
    const PageOutcome stored =
        ApplyAssignment(m_db, m_layout, 2, 0, 4, DisableRecord("Disable key"), &id);
    EXPECT_GT(id, 0);
    EXPECT_EQ(stored.commands, std::vector<int>{kCommandWriteKeyLayer});
    KeyAssignment row;
    ASSERT_TRUE(m_db.GetKeyAssignment(2, 0, 4, row));
    EXPECT_EQ(row.macro_type, kKindDisable);

    // The own function removes the row and still writes the layer.
    const PageOutcome restored = ApplyAssignment(m_db, m_layout, 2, 0, 4, OwnFunctionRecord(), &id);
    EXPECT_EQ(id, 0);
    EXPECT_EQ(restored.commands, std::vector<int>{kCommandWriteKeyLayer});
    EXPECT_FALSE(m_db.GetKeyAssignment(2, 0, 4, row));

    // No key selected: nothing stored, the write is still asked for.
    const PageOutcome none = ApplyAssignment(m_db, m_layout, 2, 0, 0, DisableRecord("x"), &id);
    EXPECT_EQ(id, 0);
    EXPECT_EQ(none.commands, std::vector<int>{kCommandWriteKeyLayer});

    // The Fn key is locked on the Fn layer only.
    const PageOutcome locked = ApplyAssignment(m_db, m_layout, 2, 1, 175, DisableRecord("x"), &id);
    EXPECT_EQ(locked.messageText, 237);
    EXPECT_EQ(locked.messageCaption, 205);
    EXPECT_TRUE(locked.commands.empty());
    EXPECT_FALSE(m_db.GetKeyAssignment(2, 1, 175, row));
    EXPECT_TRUE(KeyAssignable(m_layout, 0, 175));
}

TEST_F(KeyAssignmentEditTest, Tips) {
    const struct {
        KeyAssignment record;
        int title;
        const char* detail;
    } cases[] = {
        {DisableRecord("Disable key"), 202, ""},
        {FunctionRecord(4, 2, 0, "Shift + A"), 205, "Shift + A"},
        {FunctionRecord(510, 0, 0, "Mute"), 205, "Mute"},
        {MacroRecord(1, "M", 0, ""), 206, "M"},
        {HostActionRecord(kKindPasteText, 3, "hi"), 212, "hi"},
        {HostActionRecord(kKindSwitchProfile, 3, "P"), 0, ""},
        {CombinationRecord({CombinationKey{'A', "A"}, std::nullopt, std::nullopt}), 213, "A"},
    };
    for (const auto& c : cases) {
        const KeyTip tip = AssignmentTip(c.record);
        EXPECT_EQ(tip.titleText, c.title) << c.record.macro_type;
        EXPECT_EQ(tip.detail, c.detail) << c.record.macro_type;
    }
}

}  // namespace
}  // namespace zephyl
