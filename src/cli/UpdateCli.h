// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "cli/CommandLine.h"

#include <iosfwd>

namespace zephyl {
class KeyboardController;
}

namespace zephyl::cli {

/// `update check`: the application version the manifest offers and the firmware the layout
/// names, against the installed program and the connected keyboard.
int RunUpdate(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
              std::ostream& err);
/// `firmware run`: the firmware hand-over with the tool of the resource folder, waited for.
int RunFirmware(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
                std::ostream& err);

/// Help of `update` and `firmware`; empty for other commands.
const char* UpdateHelpText(const std::string& command);

}  // namespace zephyl::cli
