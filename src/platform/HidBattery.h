// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <optional>
#include <string>

namespace zephyl {

/// The battery level the kernel reports for a Bluetooth HID keyboard (its power supply
/// "capacity"), found by the HID device name "0005:VVVV:PPPP.*" its power supply hangs off.
/// Nothing when the keyboard reports no battery. `sysRoot` is "/sys" except in tests.
std::optional<int> ReadBluetoothBatteryLevel(int vid, int pid, const std::string& sysRoot = "/sys");

}  // namespace zephyl
