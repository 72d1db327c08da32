// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <array>
#include <string>

namespace zephyl {

class ProfileDatabase;

/// Settings, lighting and screen rows are always kept under profile 1, whatever profile is
/// current: profiles only switch key assignments.
inline constexpr int kSettingsProfile = 1;

// Keys of t_config_data that the program reads or changes.
inline constexpr const char* kConfigFnSwitch = "fn_switch";
inline constexpr const char* kConfigLightMode = "lightmode";
inline constexpr const char* kConfigSleepTime = "sleep_time";
inline constexpr const char* kConfigKeyResponseTime = "key_respondtime";
inline constexpr const char* kConfigDisableAltTab = "disable_alttab";
inline constexpr const char* kConfigDisableAltF4 = "disable_altf4";
inline constexpr const char* kConfigDisableWin = "disable_win";
/// Palette colour n (1..6) of the screen-picture editor, a 0x00BBGGRR value.
std::string DefaultColorKey(int n);

struct ConfigDefault {
    const char* key;
    const char* value;
};

/// The rows a new database starts with, in the order they are written. Keys that nothing reads
/// are still written, so that files stay alike whatever program wrote them.
inline constexpr std::array<ConfigDefault, 23> kDefaultConfig = {{
    {"version", "1.0.1"},
    {"keyboard_layout", "1"},
    {"fn_layer", "0"},
    {"fn_switch", "0"},
    {"lightmode", "1"},
    {"sleep_time", "2"},
    {"key_respondtime", "2"},
    {"sleep_light", "0"},
    {"userlight", "0"},
    {"customlight", "0"},
    {"customlight_run", "0"},
    {"gamemode", "0"},
    {"disable_alttab", "0"},
    {"disable_altf4", "0"},
    {"disable_win", "0"},
    {"default_color1", "8331093"},
    {"default_color2", "4114939"},
    {"default_color3", "65280"},
    {"default_color4", "16776960"},
    {"default_color5", "255"},
    {"default_color6", "14237951"},
    {"default_color7", "14237951"},
    {"default_color8", "16777215"},
}};

/// A stored value as a number: leading blanks, an optional sign and the digits that follow;
/// text without digits, or a number beyond 32 bits, reads as 0.
int ParseConfigNumber(const std::string& text);

/// The setting of profile 1 as a number; 0 when its row is missing.
int ReadConfigNumber(ProfileDatabase& database, const std::string& key);
/// A lock flag: on only when the stored text is exactly "1".
bool ReadConfigFlag(ProfileDatabase& database, const std::string& key);
/// Stores the number as decimal text. A missing row stays missing (the change is lost), as in
/// every file this program wrote.
bool WriteConfigNumber(ProfileDatabase& database, const std::string& key, int value);

}  // namespace zephyl
