// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "device/ReportFrames.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zephyl {

/// The keyboard's general behaviour as the settings page stores it (profile 1 of the
/// configuration values).
struct KeyboardSettings {
    int keyResponseTime = 0;  ///< `key_respondtime`, 1..5
    int sleepTime = 0;        ///< `sleep_time`, 0..3
    int fnSwitch = 0;         ///< `fn_switch`, 0 or 1
    bool disableWin = false;
    bool disableAltTab = false;
    bool disableAltF4 = false;
    bool operator==(const KeyboardSettings&) const = default;
};

/// Names of the configuration values the settings are stored under.
inline constexpr const char* kKeyResponseTimeKey = "key_respondtime";
inline constexpr const char* kSleepTimeKey = "sleep_time";
inline constexpr const char* kFnSwitchKey = "fn_switch";
inline constexpr const char* kDisableWinKey = "disable_win";
inline constexpr const char* kDisableAltTabKey = "disable_alttab";
inline constexpr const char* kDisableAltF4Key = "disable_altf4";

inline constexpr int kSettingsBlockSize = 64;
using SettingsBlock = std::array<std::uint8_t, kSettingsBlockSize>;

/// The settings block: 00 01, the three locks (Alt+Tab, Alt+F4, Windows key), Fn arrangement,
/// sleep time, 00, response time, zeros, and the trailer AA 55 in the last two bytes.
SettingsBlock BuildSettingsBlock(const KeyboardSettings& settings);

/// The receiver frame carrying the settings (65 bytes, checksum left to the transport):
/// [1] 07 [2] 10, block bytes 1..8 at 5..12, trailer at 18..19.
ReceiverFrame BuildSettingsReceiverFrame(const KeyboardSettings& settings);

/// The five tooltip texts that explain a response-time value, in order.
std::vector<int> ResponseTimeTooltipTextIds(int keyResponseTime);

/// The keyboard's release number as the firmware files count it: its hexadecimal digits are
/// the decimal digits of the release (0x0105 is release 105).
std::string FirmwareReleaseDigits(int releaseNumber);

/// Whether the layout's firmware `version` is newer than the keyboard's release number.
/// Digits are compared place by place, so a release such as 0x01A0 counts as newer than 110
/// instead of being misread as 1.
bool IsNewerFirmware(int keyboardReleaseNumber, const std::string& layoutVersion);

}  // namespace zephyl
