// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "app/ConnectionState.h"

#include <array>
#include <string>
#include <vector>

namespace zephyl {

/// Tab index → the feature bit of its page (0: the home page).
inline constexpr int kTabFeatures[9] = {0,
                                        kFeatureKeys,
                                        kFeatureMacros,
                                        kFeatureLightModes,
                                        kFeatureScreen,
                                        kFeatureUserLight,
                                        kFeatureCustomLight,
                                        kFeatureMusic,
                                        kFeatureSettings};

/// One item of a list the window fills: its text id and its item value.
struct ListItem {
    int textId = 0;
    int value = 0;
    bool operator==(const ListItem&) const = default;
};

/// What the window shows for a connection.
struct ConnectionModeView {
    int mode = -1;
    bool changesTabs = false;          ///< false over Bluetooth and without a mode
    std::array<bool, 9> tabVisible{};  ///< by tab index; 0 is home
    bool batteryVisible = false;
    bool devicePictureEnabled = false;
    std::string modeIcon;  ///< below the skin folder, empty for none
    bool firmwareButtonVisible = false;
    std::vector<ListItem> musicForeColours;
    bool musicColourControlsVisible = false;
    int screenMaxFrames = 0;  ///< for the screen page's limit text
    /// The selected model is not connected: no icon is lit, and the pages say so.
    bool modelAbsent = false;
};

/// Tabs shown for a connection, the battery, the mode icon, the firmware button and the music
/// page's colour choices.
ConnectionModeView ComputeConnectionModeView(const ConnectionState& state);
/// The same for the layout's offer over `mode`.
ConnectionModeView ComputeConnectionModeView(int mode, const KeyboardLayout& layout);

/// The five tooltip texts that explain a response-time value, in order.
std::vector<int> ResponseTimeTooltipTextIds(int keyResponseTime);

}  // namespace zephyl
