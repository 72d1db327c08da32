// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "virtual/KeyboardMemory.h"
#include "virtual/ModelCatalogue.h"

namespace zephyl::virtualhid {

/// Report id of everything the notification interface sends.
inline constexpr std::uint8_t kNotificationReportId = 0x05;
inline constexpr std::size_t kNotificationBytes = 64;  ///< after the report id

/// The wireless keyboard woke up and is linked: A6 FF 01.
Bytes WakeNotice();
/// The wireless keyboard went to sleep or lost its link: A6 FE 02.
Bytes SleepNotice();
/// A key assigned to a host action was pressed: 01 and the action number.
Bytes ActionNotice(int action);

/// The host action number a key press reports, from the key's slot in the layer's key table
/// (05 02 id); -1 when the key is unknown or its slot holds something else.
int HostActionOfKey(const ModelInfo& model, const KeyboardMemory& memory, int keyCode, int layer);

}  // namespace zephyl::virtualhid
