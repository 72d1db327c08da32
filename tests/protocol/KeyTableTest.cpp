// SPDX-License-Identifier: GPL-2.0-or-later
#include "protocol/KeyTable.h"

#include "HexText.h"

#include <gtest/gtest.h>

#include <vector>

namespace zephyl {
namespace {

using test::Hex;

TEST(KeyTableTest, SlotBytesOfEveryKind) {
    const struct {
        KeySlot slot;
        const char* bytes;
    } cases[] = {
        {DisabledKeySlot(), "05 03 00 00"},
        {KeyboardKeySlot(0x03, 0x04), "02 03 04 00"},  // Shift and Ctrl on key A
        {KeyboardKeySlot(0x01, 0x00), "02 01 00 00"},  // left Ctrl alone
        {MouseKeySlot(0x03, 0xFF), "01 03 FF 00"},     // wheel one step down
        {ConsumerKeySlot(0xCD, 0x00), "03 CD 00 00"},  // play/pause
        {MacroKeySlot(2, 1, 0xFF), "06 02 01 FF"},
        {HostActionKeySlot(0x12), "05 02 12 00"},
        {CombinationKeySlot(0x04, 0x05, 0x00), "07 04 05 00"},
        {OwnFunctionSlot(0x104), "02 00 04 00"},  // the key code's low byte
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Hex(c.slot), c.bytes);
    }
}

TEST(KeyTableTest, TablePlacesSlotsAndEndsInTheTrailer) {
    const PlacedKeySlot slots[] = {
        {1, CombinationKeySlot(0x04, 0, 0)},
        {143, DisabledKeySlot()},
        {144, DisabledKeySlot()},  // beyond the table: left out
    };
    const KeyTable table = BuildKeyTableBlock(slots);
    EXPECT_EQ(Hex(table, 0, 8), "00 00 00 00 07 04 00 00");
    EXPECT_EQ(Hex(table, 568, 8), "00 00 00 00 05 03 AA 55");  // the last slot meets the trailer
    EXPECT_EQ(Hex(BuildKeyTableBlock({}), 572, 4), "00 00 AA 55");
    EXPECT_EQ(kKeyTablePackets, 9u);
    EXPECT_EQ(KeyTableDataType(0), 0x11);
    EXPECT_EQ(KeyTableDataType(1), 0x27);
}

TEST(KeyTableTest, ReceiverFrames) {
    KeyTable table{};
    for (size_t i = 0; i < table.size(); ++i) {
        table[i] = static_cast<uint8_t>(i * 7 + 1);
    }
    for (int layer : {0, 1}) {
        const std::vector<ReceiverFrame> frames = BuildKeyTableFrames(layer, table);
        ASSERT_EQ(frames.size(), 21u);
        for (size_t k = 0; k < frames.size(); ++k) {
            const ReceiverFrame& frame = frames[k];
            EXPECT_EQ(frame[0], 0);
            EXPECT_EQ(frame[1], layer == 0 ? 0x10 : 0x12);
            EXPECT_EQ(frame[2], k < 20 ? 28 : 16);
            EXPECT_EQ(frame[3], k);
            const size_t count = k < 20 ? 28 : 16;
            for (size_t i = 0; i < 28; ++i) {
                EXPECT_EQ(frame[4 + i], i < count ? table[28 * k + i] : 0) << k << " " << i;
            }
        }
    }
    const ReceiverFrame slot = BuildKeySlotFrame(1, 0x104, {0x02, 0x00, 0x04, 0x00});
    EXPECT_EQ(Hex(slot, 0, 9), "00 0D 04 04 02 00 04 00 00");
    EXPECT_EQ(BuildKeySlotFrame(0, 3, {})[1], 0x03);
}

}  // namespace
}  // namespace zephyl
