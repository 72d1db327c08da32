// SPDX-License-Identifier: GPL-2.0-or-later
#include "protocol/SettingsReports.h"

#include <gtest/gtest.h>

#include <vector>

namespace zephyl {
namespace {

TEST(SettingsBlockTest, AllLocksFnOneSleepThreeResponseTwo) {
    KeyboardSettings settings;
    settings.disableWin = settings.disableAltTab = settings.disableAltF4 = true;
    settings.fnSwitch = 1;
    settings.sleepTime = 3;
    settings.keyResponseTime = 2;

    const SettingsBlock block = BuildSettingsBlock(settings);
    const std::vector<std::uint8_t> start = {0x00, 0x01, 0x01, 0x01, 0x01, 0x01, 0x03, 0x00, 0x02};
    EXPECT_EQ(std::vector<std::uint8_t>(block.begin(), block.begin() + 9), start);
    EXPECT_EQ(block[62], 0xAA);
    EXPECT_EQ(block[63], 0x55);
    for (int i = 9; i < 62; ++i) {
        EXPECT_EQ(block[i], 0) << i;
    }

    const auto frame = BuildSettingsReceiverFrame(settings);
    const std::vector<std::uint8_t> frameStart = {0x00, 0x07, 0x10, 0x00, 0x00, 0x01, 0x01,
                                                  0x01, 0x01, 0x01, 0x03, 0x00, 0x02};
    EXPECT_EQ(std::vector<std::uint8_t>(frame.begin(), frame.begin() + 13), frameStart);
    EXPECT_EQ(frame[18], 0xAA);
    EXPECT_EQ(frame[19], 0x55);
    EXPECT_EQ(frame[32], 0) << "the transport adds the checksum";
}

TEST(SettingsBlockTest, LocksMapToTheirOwnBytes) {
    KeyboardSettings settings;
    settings.disableAltTab = true;
    EXPECT_EQ(BuildSettingsBlock(settings)[2], 1);
    settings = {};
    settings.disableAltF4 = true;
    EXPECT_EQ(BuildSettingsBlock(settings)[3], 1);
    settings = {};
    settings.disableWin = true;
    EXPECT_EQ(BuildSettingsBlock(settings)[4], 1);
}

TEST(SettingsBlockTest, ResetFramesCarryOnlyTheirCommand) {
    const struct {
        ReceiverFrame frame;
        uint8_t command;
    } cases[] = {{BuildResetKeysFrame(), 0x1F}, {BuildRestoreDefaultsFrame(), 0x0F}};
    for (auto c : cases) {
        for (size_t i = 0; i < c.frame.size(); ++i) {
            EXPECT_EQ(c.frame[i], i == 1 ? c.command : 0) << i;
        }
        SealReceiverFrame(c.frame, kReceiverFrameLength);
        EXPECT_EQ(c.frame[32], c.command);
    }
}

}  // namespace
}  // namespace zephyl
