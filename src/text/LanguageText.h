// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace zephyl {

/// Section of every window and dialog text.
inline constexpr std::string_view kDialogSection = "KB.DIALOG";
/// Section holding the window caption under key 1.
inline constexpr std::string_view kCaptionSection = "CAPTION";
/// Section naming the layout's keys for the user, keyed by the key's code.
inline constexpr std::string_view kKeyDescriptionSection = "KEY.DESC";
/// Values are cut to this many characters, as the files were always read.
inline constexpr std::size_t kLanguageValueLimit = 259;

/// Reads one `key=value` entry of an ini-style language file (UTF-8, optional byte-order mark).
/// A missing file, section or key gives the empty string; the value is cut to 259 characters.
/// Each file is parsed once and kept; it is parsed again when its modification time or size
/// changes. Any thread.
std::string ReadLanguageEntry(const std::string& filePath, std::string_view section, int key);

/// "<resource folder>language/<id>.lan".
std::string LanguageFilePath(int languageId);

/// Entry `key` of section "KB.DIALOG" in the current language.
std::string LanguageText(int key);

/// Entry `key` of `section` in the current language.
std::string LanguageText(std::string_view section, int key);

}  // namespace zephyl
