// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "cli/CommandLine.h"

#include <iosfwd>

namespace zephyl {
class KeyboardController;
}

namespace zephyl::cli {

/// `light`: the built-in effects, the side light and the live key colours.
int RunLight(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
             std::ostream& err);
/// `userlight`: user lighting sets and their writing to the keyboard.
int RunUserLight(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
                 std::ostream& err);

}  // namespace zephyl::cli
