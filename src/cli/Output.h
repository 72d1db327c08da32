// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

namespace zephyl::cli {

/// Text as a JSON string literal, quotes included; ill-formed UTF-8 becomes U+FFFD, so the
/// output is always valid JSON.
std::string JsonString(const std::string& text);

/// Stored text as a terminal may show it: control characters (an escape sequence in a name)
/// written as \xNN, ill-formed UTF-8 as U+FFFD.
std::string Printable(const std::string& text);

}  // namespace zephyl::cli
