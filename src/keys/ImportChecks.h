// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "store/ProfileRecords.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zephyl {

/// Exchange files hold a few hundred items of a few hundred bytes: anything larger is not one.
inline constexpr std::uintmax_t kExchangeFileLimit = 4 * 1024 * 1024;
/// The most steps one macro can have and still fit the keyboard's macro memory with itself.
inline constexpr int kMostImportedMacroSteps = 449;

/// Whether the file at `path` is small enough to be read as an exchange file.
bool ExchangeFileSizeAllowed(const std::string& path);

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
