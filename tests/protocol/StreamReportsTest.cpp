// SPDX-License-Identifier: GPL-2.0-or-later
#include "protocol/StreamReports.h"

#include "HexText.h"

#include <gtest/gtest.h>

#include <vector>

namespace zephyl {
namespace {

using test::Hex;

TEST(StreamReportsTest, FrameCommandAnnouncesThePacketsAndTheCloseEndsIt) {
    // Payload byte k is report byte k + 1: [1] 04, [2] 20, [9] N.
    const CablePayload rgb = BuildStreamFrameCommand(true);
    EXPECT_EQ(Hex(rgb, 0, 10), "04 20 00 00 00 00 00 00 08 00");
    const CablePayload single = BuildStreamFrameCommand(false);
    EXPECT_EQ(single[8], 3);
    for (size_t i = 9; i < single.size(); ++i) {
        EXPECT_EQ(single[i], 0) << i;
    }
    EXPECT_EQ(Hex(BuildStreamCloseCommand(), 0, 3), "04 02 00");
}

TEST(StreamReportsTest, PerKeyColourFrameHasAGroupPerKeyAndUnlitKeysCarryOnlyTheirIndex) {
    const std::vector<StreamKey> keys = {
        {7, 0x00FF8040, 256 - 1, true},  // blue FF, green 80, red 40 at full level
        {12, 0x00FFFFFF, 128, false},    // unlit: index only
        {0x1FF, 0x000000FF, 128, true},  // index keeps its low byte; red at half level
    };
    StreamBuffer buffer;
    buffer.fill(0xEE);
    ASSERT_EQ(FillStreamBuffer(keys, true, buffer), 512u);
    EXPECT_EQ(Hex(buffer, 0, 12), "07 3F 7F FE 0C 00 00 00 FF 7F 00 00");
    for (size_t i = 12; i < buffer.size(); ++i) {
        ASSERT_EQ(buffer[i], 0) << i;
    }
    EXPECT_EQ(CablePacketCount(512), 8u);
}

TEST(StreamReportsTest, PerKeyColourFramePlacesAtMost128Keys) {
    std::vector<StreamKey> keys(140, StreamKey{0, 0xFFFFFF, 255, true});
    for (size_t i = 0; i < keys.size(); ++i) {
        keys[i].lightIndex = static_cast<int>(i);
    }
    StreamBuffer buffer;
    FillStreamBuffer(keys, true, buffer);
    EXPECT_EQ(buffer[127 * 4], 127);
    for (size_t i = 512; i < buffer.size(); ++i) {
        ASSERT_EQ(buffer[i], 0) << "key past the block placed at " << i;
    }
}

TEST(StreamReportsTest, SingleColourFrameIsIndexedByLight) {
    const std::vector<StreamKey> keys = {
        {5, 0, 200, true},     {6, 0x00FFFFFF, 90, false},  // unlit leaves its byte 0
        {191, 0, 0x1FF, true},                              // low 8 bits of the level
        {192, 0, 255, true},                                // past the three packets: not placed
        {-1, 0, 255, true},
    };
    StreamBuffer buffer;
    ASSERT_EQ(FillStreamBuffer(keys, false, buffer), 192u);
    EXPECT_EQ(buffer[5], 200);
    EXPECT_EQ(buffer[6], 0);
    EXPECT_EQ(buffer[191], 0xFF);
    int placed = 0;
    for (uint8_t byte : buffer) {
        placed += byte != 0;
    }
    EXPECT_EQ(placed, 2);
    EXPECT_EQ(CablePacketCount(192), 3u);
}

}  // namespace
}  // namespace zephyl
