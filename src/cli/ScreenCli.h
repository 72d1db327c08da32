// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "cli/CommandLine.h"

#include <iosfwd>

namespace zephyl {
class KeyboardController;
}

namespace zephyl::cli {

/// `screen`: the animation library, uploads to the keyboard's screen slots, the default
/// picture and the clock.
int RunScreen(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
              std::ostream& err);

/// Help text of `screen`.
const char* ScreenHelpText();

}  // namespace zephyl::cli
