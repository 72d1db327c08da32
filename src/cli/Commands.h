// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "cli/CommandLine.h"

#include <iosfwd>
#include <string>

namespace zephyl {
class KeyboardController;
}

namespace zephyl::cli {

/// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

/// Runs the command of an invocation on a controller that has read the models and refreshed
/// the devices. Results go to `out`, the one-line error to `err`.
int RunCommand(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
               std::ostream& err);

/// Why nothing could be sent when no keyboard is connected: a keyboard plugged in that this
/// user may not open, named with the way out (after "stored, but not sent: " when `stored`), else `fallback`.
std::string NoKeyboardReason(const KeyboardController& controller, const std::string& fallback,
                             bool stored = false);

}  // namespace zephyl::cli
