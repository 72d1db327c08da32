// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "cli/CommandLine.h"

#include <iosfwd>
#include <string>

namespace zephyl {
class KeyboardController;
}

namespace zephyl::cli {

/// `sdk-server [--port N] [--address A]`: serves the SDK in the foreground until SIGINT or
/// SIGTERM, running the worker's passes itself.
int RunSdkServer(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
                 std::ostream& err);

std::string SdkServerHelpText();

}  // namespace zephyl::cli
