// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/DeviceStatus.h"
#include "device/KeyboardSettings.h"

#include <gtest/gtest.h>

#include <vector>

namespace zephyl {
namespace {

KeyboardLayout LayoutWith(int cable, int wireless, bool perKeyColour, bool firmware) {
    KeyboardLayout layout;
    layout.cableFeatures = cable;
    layout.wirelessFeatures = wireless;
    layout.perKeyColour = perKeyColour;
    if (firmware) {
        layout.firmwareVersion = "106";
        layout.firmwareFile = "FirmwareUpdateTool";
    }
    layout.screenMaxFrames = 100;
    return layout;
}

TEST(ConnectionModeViewTest, TabsIconsAndBatteryPerMode) {
    const KeyboardLayout layout = LayoutWith(0x17F, 0x1DB, true, true);
    struct Case {
        int mode;
        std::array<bool, 9> tabs;
        bool changesTabs;
        bool battery;
        bool pictureEnabled;
        const char* icon;
        bool firmware;
    };
    const Case cases[] = {
        // cable 0x17F: everything but the screen
        {kModeCable,
         {false, true, true, true, false, true, true, true, true},
         true,
         false,
         true,
         "icon/usb_mode.png",
         true},
        // receiver 0x1DB: custom lighting enabled there, yet never shown on the receiver
        {kModeReceiver,
         {false, true, true, false, true, true, false, false, true},
         true,
         true,
         true,
         "icon/24g_mode.png",
         false},
        {kModeBluetooth, {}, false, true, false, "icon/bt_mode.png", false},
        {kModeNone, {}, false, false, false, "", false},
    };
    for (const auto& c : cases) {
        const auto view = ComputeConnectionModeView(c.mode, layout);
        EXPECT_EQ(view.changesTabs, c.changesTabs) << c.mode;
        if (c.changesTabs) {
            EXPECT_EQ(view.tabVisible, c.tabs) << c.mode;
        }
        EXPECT_EQ(view.batteryVisible, c.battery) << c.mode;
        EXPECT_EQ(view.devicePictureEnabled, c.pictureEnabled) << c.mode;
        EXPECT_EQ(view.modeIcon, c.icon) << c.mode;
        EXPECT_EQ(view.firmwareButtonVisible, c.firmware) << c.mode;
        EXPECT_EQ(view.screenMaxFrames, 100);
    }
}

TEST(ConnectionModeViewTest, MusicColoursFollowPerKeyColourAndCable) {
    const auto cable = ComputeConnectionModeView(kModeCable, LayoutWith(0x7F, 0x7F, true, false));
    ASSERT_EQ(cable.musicForeColours.size(), 12u);
    EXPECT_EQ(cable.musicForeColours.front(), (ListItem{106, 1}));
    EXPECT_EQ(cable.musicForeColours[9], (ListItem{115, 11}));
    EXPECT_EQ(cable.musicForeColours[10], (ListItem{118, 10}));
    EXPECT_EQ(cable.musicForeColours.back(), (ListItem{120, 100}));
    EXPECT_TRUE(cable.musicColourControlsVisible);

    const auto receiver =
        ComputeConnectionModeView(kModeReceiver, LayoutWith(0x7F, 0x7F, true, false));
    EXPECT_EQ(receiver.musicForeColours.size(), 11u) << "value 100 only on the cable";

    const auto white = ComputeConnectionModeView(kModeCable, LayoutWith(0x7F, 0x7F, false, false));
    EXPECT_EQ(white.musicForeColours, (std::vector<ListItem>{{111, 6}}));
    EXPECT_FALSE(white.musicColourControlsVisible);
}

TEST(BatteryAnswerTest, Table) {
    struct Case {
        std::vector<std::uint8_t> answer;
        std::optional<int> level;
    };
    const Case cases[] = {
        {{0x20, 0x01, 0x00, 57}, 57},
        {{0x20, 0x01, 0x00, 0xC8}, 100},           // 200 shows as 100
        {{0x20, 0x01, 0x00, 0x00}, std::nullopt},  // no level: keep the one shown
        {{0x21, 0x01, 0x00, 57}, std::nullopt},    // not an answer to the query
        {{0x20, 0x01}, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BatteryLevelFromAnswer(c.answer), c.level);
    }
}

TEST(NotificationTest, Table) {
    using Kind = Notification::Kind;
    struct Case {
        std::vector<std::uint8_t> report;
        Kind kind;
        int action;
    };
    const Case cases[] = {
        {{0x05, 0xA6, 0xFF, 0x01}, Kind::kAwake, 0},
        {{0x05, 0xA6, 0xFE, 0x02}, Kind::kAsleep, 0},
        {{0x05, 0xA6, 0x07, 0x00}, Kind::kNone, 0},  // a garbled notice runs no action
        {{0x05, 0x01, 0x07, 0x00}, Kind::kHostAction, 7},
        {{0x00, 0x01, 0x07, 0x00}, Kind::kNone, 0},  // nothing read
        {{0x04, 0x01, 0x07, 0x00}, Kind::kNone, 0},  // another report id
    };
    for (const auto& c : cases) {
        const auto notification = ParseNotification(c.report);
        EXPECT_EQ(notification.kind, c.kind);
        EXPECT_EQ(notification.action, c.action);
    }
}

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

TEST(SettingsTooltipTest, TextsPerResponseTime) {
    const std::pair<int, int> cases[] = {{1, 600}, {2, 605}, {3, 610},
                                         {4, 615}, {5, 620}, {0, 620}};
    for (const auto& [value, first] : cases) {
        EXPECT_EQ(ResponseTimeTooltipTextIds(value),
                  (std::vector<int>{first, first + 1, first + 2, first + 3, first + 4}));
    }
}

TEST(FirmwareComparisonTest, Table) {
    struct Case {
        int release;
        const char* layoutVersion;
        bool offered;
    };
    const Case cases[] = {
        {0x0110, "110", false},  // the same release
        {0x0099, "100", true},  {0x0105, "106", true}, {0x0107, "106", false},
        {0x01A0, "110", false},  // a letter digit ranks above 9, never read as release 1
        {0x01A0, "200", true},  {0x0000, "106", true},  // no cable release known
        {0x0105, "", false},    {0x0105, "v2", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsNewerFirmware(c.release, c.layoutVersion), c.offered)
            << std::hex << c.release << " vs " << c.layoutVersion;
    }
    EXPECT_EQ(FirmwareReleaseDigits(0x0105), "105");
}

}  // namespace
}  // namespace zephyl
