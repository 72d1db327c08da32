// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "protocol/SettingsReports.h"

#include <string>
#include <vector>

namespace zephyl {

/// Names of the configuration values the settings are stored under.
inline constexpr const char* kKeyResponseTimeKey = "key_respondtime";
inline constexpr const char* kSleepTimeKey = "sleep_time";
inline constexpr const char* kFnSwitchKey = "fn_switch";
inline constexpr const char* kDisableWinKey = "disable_win";
inline constexpr const char* kDisableAltTabKey = "disable_alttab";
inline constexpr const char* kDisableAltF4Key = "disable_altf4";

/// The keyboard's release number as the firmware files count it: its hexadecimal digits are
/// the decimal digits of the release (0x0105 is release 105).
std::string FirmwareReleaseDigits(int releaseNumber);

/// Whether the layout's firmware `version` is newer than the keyboard's release number.
/// Digits are compared place by place, so a release such as 0x01A0 counts as newer than 110
/// instead of being misread as 1.
bool IsNewerFirmware(int keyboardReleaseNumber, const std::string& layoutVersion);

}  // namespace zephyl
