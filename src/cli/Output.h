// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

namespace zephyl::cli {

/// Text as a JSON string literal, quotes included; ill-formed UTF-8 becomes U+FFFD, so the
/// output is always valid JSON.
std::string JsonString(const std::string& text);

/// Text that did not come from this program (stored names, file names, a server's answer) as a
/// terminal may show it: C0 controls and DEL (an escape sequence in a name) written as \xNN, C1
/// controls (U+0080..U+009F, which terminals may act on as well) as \u00NN, ill-formed UTF-8 as
/// U+FFFD. Every such text zephylctl prints goes through it.
std::string Printable(const std::string& text);

}  // namespace zephyl::cli
