// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "platform/FileSystem.h"
#include "store/ProfileRecords.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zephyl {

/// The most steps one macro can have and still fit the keyboard's macro memory with itself.
inline constexpr int kMostImportedMacroSteps = 449;

/// What keeps the file at `path` from being read as an exchange file, as a language text:
/// too large, or not a regular file (a folder, a FIFO, a device). 0 when nothing does; a file
/// that cannot be opened is left to the reader, which says so.
int ExchangeFileProblem(const std::string& path);

/// Well-formed UTF-8 (what the database, XML and the terminal expect).
bool IsValidUtf8(std::string_view text);

/// Whether the keyboard can take the assignment as stored: a layer and key it has, a kind the
/// key table encodes, values in their ranges, a macro that exists.
bool KeyAssignmentEncodable(const KeyAssignment& assignment, std::span<const int> macroIds);

/// Play count, delay kind and fixed pause within what the page and the macro image take.
bool MacroSettingsEncodable(const Macro& macro);
/// A press or release with a value and a pause the macro image carries.
bool MacroStepEncodable(const MacroStep& step);

}  // namespace zephyl
