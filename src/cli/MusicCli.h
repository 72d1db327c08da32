// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "cli/CommandLine.h"

#include <iosfwd>

namespace zephyl {
class KeyboardController;
}

namespace zephyl::cli {

/// `music`: the music layers, and music-reactive lighting without a window.
int RunMusic(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
             std::ostream& err);

/// The help text of `music`.
const char* MusicHelpText();

}  // namespace zephyl::cli
