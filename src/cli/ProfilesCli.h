// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "cli/CommandLine.h"

#include <iosfwd>
#include <map>
#include <string>
#include <vector>

namespace zephyl {
class KeyboardController;
class ProfileDatabase;
}  // namespace zephyl

namespace zephyl::cli {

/// `profiles bind ID PROGRAM` and `profiles unbind ID [PROGRAM]`: the programs whose focus
/// makes a profile current in the windowed program.
int RunProfileBindings(const Invocation& invocation, KeyboardController& controller,
                       std::ostream& out, std::ostream& err);

/// The programs bound to each profile, by profile id, for `profiles list`.
std::map<int, std::vector<std::string>> ProfilePrograms(ProfileDatabase& database);

}  // namespace zephyl::cli
