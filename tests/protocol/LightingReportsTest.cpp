// SPDX-License-Identifier: GPL-2.0-or-later
#include "protocol/LightingReports.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace zephyl {
namespace {

/// Positions of the non-zero bytes of a report or block, with their values.
template <class Bytes>
std::map<size_t, int> NonZero(const Bytes& bytes) {
    std::map<size_t, int> found;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != 0) {
            found[i] = bytes[i];
        }
    }
    return found;
}

TEST(LightingBlockTest, EffectZeroCarriesOnlyTheTrailer) {
    LightingRecord record{0, 0x123456, 1, 4, 3, 2};
    EXPECT_EQ(NonZero(BuildEffectBlock(record)), (std::map<size_t, int>{{14, 0xAA}, {15, 0x55}}));
}

TEST(LightingBlockTest, EffectBlockAndItsReceiverFrame) {
    // Colour 0x00BBGGRR: red 0x11, green 0x22, blue 0x33; values are cut to 8 bits.
    const LightingRecord record{7, 0x332211, 1, 4, 0x103, 3};
    const CablePayload block = BuildEffectBlock(record);
    const std::map<size_t, int> expected = {{0, 7}, {1, 0x11}, {2, 0x22}, {3, 0x33},  {8, 1},
                                            {9, 4}, {10, 3},   {11, 3},   {14, 0xAA}, {15, 0x55}};
    EXPECT_EQ(NonZero(block), expected);

    // The receiver record is the cable block behind 05 10 00, report id byte first.
    const ReceiverFrame frame = BuildLightingFrame(block);
    std::map<size_t, int> shifted = {{1, 0x05}, {2, 0x10}};
    for (const auto& [at, value] : expected) {
        shifted[at + 4] = value;
    }
    EXPECT_EQ(NonZero(frame), shifted);
}

TEST(LightingBlockTest, SideLightAndUserLightMode) {
    EXPECT_EQ(NonZero(BuildSideLightBlock(0x20)),
              (std::map<size_t, int>{{0, 0x20}, {14, 0xAA}, {15, 0x55}}));
    EXPECT_EQ(NonZero(BuildSideLightFrame(0x29)),
              (std::map<size_t, int>{{1, 0x05}, {2, 0x01}, {4, 0x29}, {18, 0xAA}, {19, 0x55}}));
    const CablePayload mode = BuildUserLightModeBlock(4);
    EXPECT_EQ(NonZero(mode), (std::map<size_t, int>{{0, 0x80}, {9, 4}, {14, 0xAA}, {15, 0x55}}));
    EXPECT_EQ(
        NonZero(BuildLightingFrame(mode)),
        (std::map<size_t, int>{{1, 0x05}, {2, 0x10}, {4, 0x80}, {13, 4}, {18, 0xAA}, {19, 0x55}}));
}

TEST(UserColourBlockTest, RgbGroupsByLightIndex) {
    const std::map<int, int> lights = {{4, 1}, {5, 0}, {6, 142}, {7, 143}, {8, 200}};
    const std::vector<KeyColour> keys = {{4, 0x332211}, {5, 0xFFFFFF}, {6, 0x0A0B0C},
                                         {7, 0x010101}, {8, 0x010101}, {99, 0x010101}};
    const std::vector<std::uint8_t> block = BuildUserColourBlock(keys, lights, true);
    ASSERT_EQ(block.size(), 576u);
    // Light 0, unknown keys and lights reaching the trailer are left out.
    EXPECT_EQ(NonZero(block), (std::map<size_t, int>{{4, 1},
                                                     {5, 0x11},
                                                     {6, 0x22},
                                                     {7, 0x33},
                                                     {568, 142},
                                                     {569, 0x0C},
                                                     {570, 0x0B},
                                                     {571, 0x0A},
                                                     {574, 0xAA},
                                                     {575, 0x55}}));
}

TEST(UserColourBlockTest, SingleColourLightsEveryPositiveColourFully) {
    const std::map<int, int> lights = {{4, 1}, {5, 2}, {6, 3}, {7, 189}};
    const std::vector<KeyColour> keys = {{4, 0x000001}, {5, 0}, {6, -5}, {7, 0x00FF00}};
    const std::vector<std::uint8_t> block = BuildUserColourBlock(keys, lights, false);
    ASSERT_EQ(block.size(), 192u);
    EXPECT_EQ(NonZero(block),
              (std::map<size_t, int>{{1, 0xFF}, {189, 0xFF}, {190, 0xAA}, {191, 0x55}}));
}

TEST(UserColourBlockTest, EmptySetHoldsOnlyTheTrailer) {
    EXPECT_EQ(NonZero(BuildUserColourBlock({}, {{4, 1}}, true)),
              (std::map<size_t, int>{{574, 0xAA}, {575, 0x55}}));
}

TEST(UserColourFramesTest, PiecesOfTwentyEightBytes) {
    struct Case {
        size_t length;
        size_t frames;
        int lastLength;
    };
    for (const Case& c : {Case{576, 21, 16}, Case{192, 7, 24}}) {
        SCOPED_TRACE(c.length);
        std::vector<std::uint8_t> block(c.length);
        for (size_t i = 0; i < block.size(); ++i) {
            block[i] = static_cast<std::uint8_t>(i * 7 + 1);
        }
        const std::vector<ReceiverFrame> frames = BuildUserColourFrames(block);
        ASSERT_EQ(frames.size(), c.frames);
        std::vector<std::uint8_t> joined;
        for (size_t k = 0; k < frames.size(); ++k) {
            const ReceiverFrame& frame = frames[k];
            EXPECT_EQ(frame[0], 0);
            EXPECT_EQ(frame[1], 0x14);
            EXPECT_EQ(frame[3], k);
            const int n = frame[2];
            EXPECT_EQ(n, k + 1 == frames.size() ? c.lastLength : 28);
            joined.insert(joined.end(), frame.begin() + 4, frame.begin() + 4 + n);
            for (size_t i = 4 + size_t(n); i < frame.size(); ++i) {
                EXPECT_EQ(frame[i], 0) << "frame " << k << " byte " << i;
            }
        }
        EXPECT_EQ(joined, block);
    }
}

TEST(LiveColoursTest, RequestAndDecode) {
    EXPECT_EQ(NonZero(BuildLiveColoursRequest(true)),
              (std::map<size_t, int>{{0, 0x04}, {1, 0xF5}, {8, 9}}));
    EXPECT_EQ(NonZero(BuildLiveColoursRequest(false)),
              (std::map<size_t, int>{{0, 0x04}, {1, 0xF5}, {8, 3}}));

    std::vector<std::uint8_t> answer(576, 0);
    // Light 2: index byte (ignored), red, green, blue. Light 143 ends the answer.
    answer[8] = 0x77;
    answer[9] = 0x10;
    answer[10] = 0x20;
    answer[11] = 0x30;
    answer[575] = 0x40;
    const std::map<int, int> lights = {{4, 2}, {5, 143}, {6, 144}};
    EXPECT_EQ(DecodeLiveColours(answer, lights, true),
              (std::vector<std::pair<int, std::uint32_t>>{{4, 0x302010}, {5, 0x400000}}));

    // Single colour: one level per light, shown as grey at level × 255 / 256.
    std::vector<std::uint8_t> levels(576, 0);
    levels[2] = 0xFF;
    levels[143] = 0x80;
    levels[575] = 1;
    const std::map<int, int> single = {{4, 2}, {5, 143}, {6, 575}, {7, 576}};
    EXPECT_EQ(
        DecodeLiveColours(levels, single, false),
        (std::vector<std::pair<int, std::uint32_t>>{{4, 0xFEFEFE}, {5, 0x7F7F7F}, {6, 0x000000}}));
}

}  // namespace
}  // namespace zephyl
