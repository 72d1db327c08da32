// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/AssignmentKinds.h"
#include "keys/KeyTable.h"

#include "KeysTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace zephyl {
namespace {

using test::Hex;

KeyAssignment Assignment(int kind, int value, int value2 = 0, int value3 = 0, int key = 4) {
    KeyAssignment a;
    a.key_code = key;
    a.macro_type = kind;
    a.macro_value = value;
    a.macro_value2 = value2;
    a.macro_value3 = value3;
    return a;
}

std::string Slot(const KeyAssignment& a, const std::vector<int>& macroIds = {}) {
    const KeySlot slot = EncodeKeySlot(a, macroIds);
    return Hex(std::vector<uint8_t>(slot.begin(), slot.end()));
}

TEST(KeyTableTest, RecordsOfTheDialogEncodeAsTheKeyboardExpects) {
    // Shift and Ctrl on key A.
    const KeyAssignment shiftCtrlA = KeyRecord('A', "A", true, true, false, false);
    EXPECT_EQ(shiftCtrlA.macro_value, 4);
    EXPECT_EQ(shiftCtrlA.macro_value2, 3);
    EXPECT_EQ(shiftCtrlA.macro_desc, "Shift+ Ctrl + A");
    EXPECT_EQ(Slot(shiftCtrlA), "02 03 04 00");

    // Left Ctrl alone from the key-function list.
    EXPECT_EQ(Slot(FunctionRecord(224, 0, 0, "Ctrl")), "02 01 00 00");

    // The third macro, played a number of times, with "300" typed.
    const KeyAssignment macro = MacroRecord(30, "M3", kPlayRepeatCount, "300");
    EXPECT_EQ(macro.macro_value3, 255);
    EXPECT_EQ(Slot(macro, {10, 20, 30}), "06 02 01 FF");

    // A and B pressed together.
    const KeyAssignment ab =
        CombinationRecord({CombinationKey{'A', "A"}, CombinationKey{'B', "B"}, std::nullopt});
    EXPECT_EQ(ab.macro_desc, "A + B");
    EXPECT_EQ(Slot(ab), "07 04 05 00");

    const KeyAssignment disabled = DisableRecord("Disable key");
    EXPECT_EQ(disabled.macro_type, kKindDisable);
    EXPECT_EQ(disabled.macro_value, 1);
    EXPECT_EQ(disabled.macro_desc, "Disable key");
    EXPECT_EQ(Slot(disabled), "05 03 00 00");
}

TEST(KeyTableTest, SlotsOfEveryKind) {
    const struct {
        KeyAssignment assignment;
        const char* slot;
    } cases[] = {
        {Assignment(kKindKey, 4, 0x02), "02 02 04 00"},
        {Assignment(kKindKey, 225, 0x01), "02 01 02 00"},  // a modifier usage with a mask
        {Assignment(kKindKey, 231, 0), "02 80 00 00"},
        {Assignment(kKindKey, 0x104, 0x101), "02 01 04 00"},  // low bytes only
        {Assignment(kKindMacro, 99), "00 00 00 00"},          // no such macro
        {Assignment(kKindReserved, 5), "00 00 00 00"},
        {Assignment(kKindMouse, 1), "01 01 01 00"},
        {Assignment(kKindMouse, 6), "01 03 FF 00"},
        {Assignment(kKindMouse, 8), "01 01 10 00"},
        {Assignment(kKindMouse, 9), "01 00 00 00"},
        {Assignment(kKindMedia, 1), "03 CD 00 00"},
        {Assignment(kKindMedia, 7), "03 E2 00 00"},
        {Assignment(kKindShortcut, 1), "02 08 07 00"},
        {Assignment(kKindShortcut, 5), "02 04 2B 00"},
        {Assignment(kKindShortcut, 10), "02 02 00 00"},
        {Assignment(kKindShortcut, 11), "02 01 00 00"},
        {Assignment(kKindShortcut, 9), "02 00 00 00"},
        {Assignment(kKindRunProgram, 7), "05 02 07 00"},
        {Assignment(kKindOpenAddress, 255), "05 02 FF 00"},
        {Assignment(kKindPasteText, 256), "05 02 00 00"},
        {Assignment(kKindSwitchProfile, 3), "05 02 03 00"},
        {Assignment(kKindConsumer, 500, 0, 0), "03 94 01 00"},
        {Assignment(kKindConsumer, 517, 0, 0), "03 21 02 00"},
        {Assignment(kKindConsumer, 499, 0, 0), "03 00 00 00"},
        {Assignment(kKindCombination, 4, 5, 6), "07 04 05 06"},
        {Assignment(14, 4, 5, 6), "00 00 00 00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Slot(c.assignment), c.slot)
            << "kind " << c.assignment.macro_type << " value " << c.assignment.macro_value;
    }
    EXPECT_EQ(Slot(FunctionRecord(504, 0, 0, "Play")), "03 CD 00 00");
    EXPECT_EQ(FunctionRecord(504, 0, 0, "Play").macro_type, kKindConsumer);
}

TEST(KeyTableTest, MacroSlotsFollowTheImageOrder) {
    std::vector<int> ids;
    for (int i = 1; i <= 101; ++i) {
        ids.push_back(i * 2);
    }
    EXPECT_EQ(Slot(Assignment(kKindMacro, 2, 0, 0), ids), "06 00 00 00");
    EXPECT_EQ(Slot(Assignment(kKindMacro, 200, 4, 0), ids), "06 63 04 00");
    // The 101st macro has no table entry: the key plays nothing rather than another macro.
    EXPECT_EQ(Slot(Assignment(kKindMacro, 202, 0, 0), ids), "00 00 00 00");
}

TEST(KeyTableTest, DialogRecords) {
    EXPECT_EQ(ModifierText(true, true, true, true), "Shift+ Ctrl+ Win+ Alt");
    EXPECT_EQ(ModifierText(false, false, true, true), "Win+ Alt");
    EXPECT_EQ(KeyRecord('A', "A", false, false, false, true).macro_desc, "Alt + A");
    EXPECT_EQ(KeyRecord('A', "A", false, false, true, false).macro_value2, kMaskWin);
    // Modifiers without a key: the mask alone, an empty text.
    const KeyAssignment maskOnly = KeyRecord(0, "", true, false, false, false);
    EXPECT_EQ(maskOnly.macro_value, 0);
    EXPECT_EQ(maskOnly.macro_value2, kMaskShift);
    EXPECT_EQ(maskOnly.macro_desc, "");

    const struct {
        int mode;
        const char* text;
        int repeat;
    } repeats[] = {{kPlayRepeatCount, "", 1},    {kPlayRepeatCount, "0", 1},
                   {kPlayRepeatCount, "12", 12}, {kPlayRepeatCount, "999", 255},
                   {kPlayOnce, "12", 0},         {3, "12", 0}};
    for (const auto& r : repeats) {
        const KeyAssignment a = MacroRecord(5, "M", r.mode, r.text);
        EXPECT_EQ(a.macro_value3, r.repeat) << r.mode << " " << r.text;
        EXPECT_EQ(a.macro_value2, r.mode);
    }

    const KeyAssignment three = CombinationRecord(
        {CombinationKey{162, "Ctrl"}, CombinationKey{164, "Alt"}, CombinationKey{46, "Delete"}});
    EXPECT_EQ(three.macro_desc, "Ctrl + Alt + Delete");
    EXPECT_EQ(Slot(three), "07 E0 E2 4C");
    const KeyAssignment none = CombinationRecord({std::nullopt, std::nullopt, std::nullopt});
    EXPECT_EQ(none.macro_value, 0);
    EXPECT_EQ(none.macro_value2, 0);
}

TEST(KeyTableTest, TablePlacesSlotsByKeyIndexAndKeepsStrayKeysOut) {
    const std::map<int, int> indexes = {{4, 1}, {5, 143}, {6, 144}, {7, 10}, {175, 20}};
    const std::map<int, int> fnLocked = {{175, 1}};
    std::vector<KeyAssignment> assignments = {
        Assignment(kKindCombination, 9, 9, 9, 4),
        Assignment(kKindCombination, 1, 2, 3, 5),  // slot 143, under the trailer
        Assignment(kKindCombination, 1, 2, 3, 6),  // beyond the table
        Assignment(kKindCombination, 1, 2, 3, 8),  // no key_index
        Assignment(kKindDisable, 1, 0, 0, 175),    // locked against changes
        Assignment(kKindOwnFunction, 1, 0, 0, 7),  // kind 0 writes nothing
    };
    const KeyTableBuild build = BuildKeyTable(assignments, indexes, fnLocked, {});
    EXPECT_EQ(Hex(build.table, 4, 4), "07 09 09 09");
    EXPECT_EQ(Hex(build.table, 572, 4), "07 01 AA 55");
    EXPECT_EQ(Hex(build.table, 40, 4), "00 00 00 00");
    EXPECT_EQ(Hex(build.table, 80, 4), "00 00 00 00");
    EXPECT_EQ(build.skippedKeys, (std::vector<int>{6, 8, 175}));
    size_t nonZero = 0;
    for (uint8_t byte : build.table) {
        nonZero += byte != 0;
    }
    EXPECT_EQ(nonZero, 4u + 2u + 2u);

    // No key_index anywhere: every key writes slot 0, the last one winning.
    const KeyTableBuild flat =
        BuildKeyTable(std::vector<KeyAssignment>{Assignment(kKindCombination, 1, 0, 0, 4),
                                                 Assignment(kKindCombination, 2, 0, 0, 9)},
                      {}, {}, {});
    EXPECT_EQ(Hex(flat.table, 0, 4), "07 02 00 00");

    const KeyTableBuild empty = BuildKeyTable({}, indexes, fnLocked, {});
    EXPECT_EQ(Hex(empty.table, 572, 4), "00 00 AA 55");
}

}  // namespace
}  // namespace zephyl
