// SPDX-License-Identifier: GPL-2.0-or-later
// The screen image, its transfer units on both transports, slot selection and the clock.
#include "protocol/ScreenReports.h"

#include "HexText.h"

#include <gtest/gtest.h>

#include <cctype>

namespace zephyl {
namespace {

/// "a1b2" written as the hex helper writes bytes: "A1 B2".
std::string H(const std::string& compact) {
    std::string text;
    for (std::size_t i = 0; i + 1 < compact.size(); i += 2) {
        text += (text.empty() ? "" : " ") + compact.substr(i, 2);
    }
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

TEST(ScreenReports, DelayCodesCountTwoMillisecondStepsNeverBelowOne) {
    const struct {
        int delayMs;
        int code;
    } cases[] = {{31, 15}, {30, 15}, {2, 1},     {3, 1},    {0, 1},
                 {-5, 1},  {4, 2},   {499, 249}, {500, 250}};
    for (const auto& c : cases) {
        EXPECT_EQ(ScreenDelayCode(c.delayMs), c.code) << c.delayMs << " ms";
    }
}

// One byte of 2 ms steps ends at 510 ms: longer delays play for the editor's longest, 500 ms,
// instead of wrapping round to a short one.
TEST(ScreenReports, DelaysPastTheEditorsLongestAreSentAsIt) {
    const struct {
        int delayMs;
        int code;
        int used;
    } cases[] = {{501, 250, 500},    {511, 250, 500},  {512, 250, 500},
                 {600, 250, 500},    {1000, 250, 500}, {6000, 250, 500},
                 {100000, 250, 500}, {500, 250, 500},  {31, 15, 31}};
    for (const auto& c : cases) {
        EXPECT_EQ(ScreenDelayCode(c.delayMs), c.code) << c.delayMs << " ms";
        EXPECT_EQ(ScreenDelayUsed(c.delayMs), c.used) << c.delayMs << " ms";
    }
}

TEST(ScreenReports, ImageLengthAndUnits) {
    const ScreenGeometry square{128, 128, 256, 256};
    const std::vector<int> ten(10, 100);
    const ScreenImage cable = MakeScreenImage(square, ten, kScreenCableUnit);
    EXPECT_EQ(ScreenImageLength(square, 10), 327936u);
    EXPECT_EQ(cable.units, 81u);
    EXPECT_EQ(cable.bytes.size(), 81u * 4096u);
    // The last unit is partly padding.
    EXPECT_EQ(cable.bytes[327935], 0xFF);
    EXPECT_EQ(cable.bytes.back(), 0xFF);
    EXPECT_EQ(ScreenUnitCount(1000, kScreenReceiverUnit), 36u);
    EXPECT_EQ(ScreenUnitCount(8192, kScreenCableUnit), 2u);
    EXPECT_EQ(ScreenUnitCount(8192, kScreenReceiverUnit), 293u);
}

TEST(ScreenReports, HeaderHoldsCountAndDelaysThenFill) {
    const ScreenGeometry geometry{4, 2, 16, 256};
    const std::vector<int> delays = {100, 31, 2};
    ScreenImage image = MakeScreenImage(geometry, delays, kScreenReceiverUnit);
    EXPECT_EQ(image.frames, 3);
    EXPECT_EQ(test::Hex(image.bytes, 0, 16), H("03320f01ffffffffffffffffffffffff"));
    ASSERT_EQ(image.Frame(geometry, 2).size(), 16u);
    EXPECT_EQ(image.Frame(geometry, 2).data() - image.bytes.data(), 16 + 2 * 16);
    EXPECT_TRUE(image.Frame(geometry, 3).empty());
}

TEST(ScreenReports, FramesBeyondTheLimitAreLeftOut) {
    const ScreenGeometry geometry{2, 2, 256, 256};
    std::vector<int> delays(300);
    for (int k = 0; k < 300; ++k) {
        delays[static_cast<std::size_t>(k)] = 2 * (k % 200) + 2;
    }
    const ScreenImage image = MakeScreenImage(geometry, delays, kScreenCableUnit);
    EXPECT_EQ(image.frames, 256);
    EXPECT_EQ(image.bytes[0], 0x00);  // the count byte carries the low 8 bits
    EXPECT_EQ(image.bytes[255], ScreenDelayCode(delays[254]));
    EXPECT_EQ(ScreenImageLength(geometry, image.frames), 256u + 256u * 8u);
}

TEST(ScreenReports, ShortHeaderNeverSpillsCodesIntoPixels) {
    const ScreenGeometry geometry{1, 1, 4, 10};
    const std::vector<int> delays(6, 100);
    ScreenImage image = MakeScreenImage(geometry, delays, kScreenReceiverUnit);
    EXPECT_EQ(test::Hex(image.bytes, 0, 6), H("06323232ffff"));
}

TEST(ScreenReports, ExactlyTwoCableUnitsOr293ReceiverFrames) {
    // 256 header bytes and one frame of 62 × 64 pixels: 8192 bytes.
    const ScreenGeometry geometry{62, 64, 256, 256};
    const std::vector<int> one = {100};
    ScreenImage receiver = MakeScreenImage(geometry, one, kScreenReceiverUnit);
    ASSERT_EQ(ScreenImageLength(geometry, 1), 8192u);
    ASSERT_EQ(receiver.units, 293u);
    std::span<std::uint8_t> frame = receiver.Frame(geometry, 0);
    for (std::size_t i = 0; i < frame.size(); ++i) {
        frame[i] = static_cast<std::uint8_t>(i % 251);
    }
    const ReceiverFrame last = BuildScreenUnitFrame(receiver, 292);
    EXPECT_EQ(test::Hex(last, 1, 3), H("802401"));
    EXPECT_EQ(test::Hex(last, 4, 16), test::Hex(receiver.bytes, 8176, 16));
    EXPECT_NE(last[19], 0xFF);
    EXPECT_EQ(test::Hex(last, 20, 12), H(std::string(24, 'f')));
    EXPECT_EQ(MakeScreenImage(geometry, one, kScreenCableUnit).units, 2u);
}

TEST(ScreenReports, ReceiverUnitNumbers) {
    const ScreenGeometry geometry{128, 128, 256, 256};
    const std::vector<int> delays(64, 100);
    const ScreenImage image = MakeScreenImage(geometry, delays, kScreenReceiverUnit);
    ASSERT_GT(image.units, 65537u);
    EXPECT_EQ(test::Hex(BuildScreenUnitFrame(image, 0), 1, 3), H("800000"));
    EXPECT_EQ(test::Hex(BuildScreenUnitFrame(image, 0xFFFF), 1, 3), H("80ffff"));
    EXPECT_EQ(test::Hex(BuildScreenUnitFrame(image, 65536), 1, 3), H("810000"));
    EXPECT_EQ(test::Hex(BuildScreenUnitFrame(image, 65537), 1, 3), H("810100"));
    EXPECT_EQ(test::Hex(BuildScreenStartFrame(5, 300), 1, 7), H("7f0300052c0100"));
    EXPECT_EQ(test::Hex(BuildHeaderCommand(kDataScreenImage, 5, 300), 0, 10),
              H("04720500000000002c01"));
}

TEST(ScreenReports, SlotSelectionBlocks) {
    const auto select = BuildSelectSlotBlock(2);
    EXPECT_EQ(test::Hex(select, 0, 2), H("5a03"));
    EXPECT_EQ(test::Hex(select, 62, 2), H("aa55"));
    const auto settings = BuildScreenSettingsBlock();
    EXPECT_EQ(test::Hex(settings, 0, 9), H("000000000000020702"));
    EXPECT_EQ(test::Hex(settings, 62, 2), H("aa55"));
}

TEST(ScreenReports, ClockOfNinthDecember2026) {
    const ScreenClock clock{2026, 12, 9, 0, 39, 52, 3};
    // Report byte k is block byte k − 1: [1] 00 [2] position+1 [3] 5A [4..9] date and time, [11]
    // weekday.
    const auto block = BuildClockBlock(clock, 1);
    EXPECT_EQ(test::Hex(block, 0, 11), H("00025a1a0c090027340003"));
    EXPECT_EQ(test::Hex(block, 62, 2), H("aa55"));
    const ReceiverFrame frame = BuildClockFrame(clock, 0);
    EXPECT_EQ(test::Hex(frame, 1, 19), H("0c100000015a1a0c090027340003000000aa55"));
}

}  // namespace
}  // namespace zephyl
