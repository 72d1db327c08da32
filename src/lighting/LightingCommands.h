// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "device/DeviceManager.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace zephyl {

class KeyboardController;

/// Command 9: the active effect of the store, by connection (nothing over Bluetooth). False
/// when nothing was sent or a report was refused.
bool SendLightEffect(KeyboardController& controller);

/// Command 10: the stored side light.
bool SendSideLight(KeyboardController& controller);

/// Command 11: switches the keyboard to user lighting and writes the colours of set `id`
/// (nothing for id 0 and over Bluetooth).
bool WriteUserLight(KeyboardController& controller, int id, const TransferPause& pause);

/// Reads the colour each key of the layout shows now (cable only); empty when the read failed.
std::vector<std::pair<int, std::uint32_t>> ReadLiveColours(KeyboardController& controller);

}  // namespace zephyl
