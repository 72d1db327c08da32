// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <vector>

namespace zephyl {

/// The statements that give a new profile database its 15 tables and 11 indexes, in the order
/// they run. Built on the first call and shared afterwards.
const std::vector<std::string>& ProfileSchemaStatements();

}  // namespace zephyl
