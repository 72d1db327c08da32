// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string_view>

#include "xml/ElementIndex.h"
#include "xml/ResultLog.h"

namespace zephyl::xml {

/// Builds the element index of a text in one pass and logs every syntax error found. Never
/// fails on bad input: what cannot be understood is logged and skipped, and elements left open
/// are cut back to their start tags. Returns whether the text is well-formed.
bool IndexText(std::u16string_view text, ElementIndex& index, ResultLog& log, bool ignoreCase);

}  // namespace zephyl::xml
