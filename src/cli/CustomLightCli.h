// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "cli/CommandLine.h"

#include <iosfwd>

namespace zephyl {
class KeyboardController;
}

namespace zephyl::cli {

/// `customlight`: the real-time lighting sets on the command line, and their stream.
int RunCustomLight(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
                   std::ostream& err);

}  // namespace zephyl::cli
