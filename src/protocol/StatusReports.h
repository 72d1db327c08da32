// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// What the keyboard tells without being written to: the battery answer over the receiver and the
// reports of the notification interface.

#include "protocol/ReportFrames.h"

#include <cstdint>
#include <optional>
#include <span>

namespace zephyl {

/// Receiver: asks for the battery level.
ReceiverFrame BuildBatteryQuery();

/// The battery level an answer to the battery query carries: min(level, 100), or nothing when
/// the answer does not echo the query or carries no level.
std::optional<int> BatteryLevelFromAnswer(std::span<const std::uint8_t> answer);

/// What a report of the notification interface asks for.
struct Notification {
    enum class Kind { kNone, kAwake, kAsleep, kHostAction };
    Kind kind = Kind::kNone;
    int action = 0;  ///< the key's action number for kHostAction
};

/// Reads a notification report (report id at byte 0); reports of other ids mean nothing.
Notification ParseNotification(std::span<const std::uint8_t> report);

}  // namespace zephyl
