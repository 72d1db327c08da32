// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "cli/CommandLine.h"

#include <iosfwd>

namespace zephyl {
class KeyboardController;
}

namespace zephyl::cli {

/// `profiles`, `keys` and `macros`: the key-assignment and macro pages on the command line.
int RunProfiles(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
                std::ostream& err);
int RunKeys(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
            std::ostream& err);
int RunMacros(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
              std::ostream& err);

}  // namespace zephyl::cli
