// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

namespace zephyl::cli {

/// Text as a JSON string literal, quotes included.
std::string JsonString(const std::string& text);

}  // namespace zephyl::cli
