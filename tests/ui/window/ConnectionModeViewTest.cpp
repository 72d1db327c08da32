// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/window/ConnectionModeView.h"

#include "catalogue/DeviceCatalogue.h"

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

TEST(SettingsTooltipTest, TextsPerResponseTime) {
    const std::pair<int, int> cases[] = {{1, 600}, {2, 605}, {3, 610},
                                         {4, 615}, {5, 620}, {0, 620}};
    for (const auto& [value, first] : cases) {
        EXPECT_EQ(ResponseTimeTooltipTextIds(value),
                  (std::vector<int>{first, first + 1, first + 2, first + 3, first + 4}));
    }
}

}  // namespace
}  // namespace zephyl
