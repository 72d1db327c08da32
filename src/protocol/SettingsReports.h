// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The settings block on both transports, and the receiver's two reset commands.

#include "protocol/ReportFrames.h"

#include <array>
#include <cstdint>

namespace zephyl {

/// The keyboard's general behaviour as the settings page holds it.
struct KeyboardSettings {
    int keyResponseTime = 0;  ///< `key_respondtime`, 1..5
    int sleepTime = 0;        ///< `sleep_time`, 0..3
    int fnSwitch = 0;         ///< `fn_switch`, 0 or 1
    bool disableWin = false;
    bool disableAltTab = false;
    bool disableAltF4 = false;
    bool operator==(const KeyboardSettings&) const = default;
};

inline constexpr int kSettingsBlockSize = 64;
using SettingsBlock = std::array<std::uint8_t, kSettingsBlockSize>;

/// The settings block: 00 01, the three locks (Alt+Tab, Alt+F4, Windows key), Fn arrangement,
/// sleep time, 00, response time, zeros, and the trailer AA 55 in the last two bytes.
SettingsBlock BuildSettingsBlock(const KeyboardSettings& settings);

/// The receiver frame carrying the settings (65 bytes, checksum left to the transport):
/// [1] 07 [2] 10, block bytes 1..8 at 5..12, trailer at 18..19.
ReceiverFrame BuildSettingsReceiverFrame(const KeyboardSettings& settings);

/// Receiver: the keyboard clears its key assignments itself.
ReceiverFrame BuildResetKeysFrame();

/// Receiver: the keyboard restores its own defaults.
ReceiverFrame BuildRestoreDefaultsFrame();

}  // namespace zephyl
