// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "platform/SettingsStore.h"

#include <initializer_list>
#include <string>

namespace zephyl {

/// Language texts of what went wrong with the settings file, and of what was not done for it.
enum SettingsFailureText : int {
    kTextSettingsUnreadable = 1047,    ///< "%s": the file
    kTextSettingsReadOnly = 1048,      ///< "%s": the file
    kTextSettingsNotAFile = 1049,      ///< "%s": the file
    kTextSettingsDanglingLink = 1050,  ///< "%s", "%s": the link and where it leads
    kTextSettingsCannotWrite = 1051,   ///< "%s": the file
    kTextDefaultsNotRestored = 1052,   ///< "%s": the reason
    kTextModelNotRemembered = 1053,    ///< "%s": the reason
};

/// Why the value was not stored, naming the file, in the current language; empty when it was.
std::string SettingsWriteMessage(const SettingsWriteResult& result);

/// The text `textId` (its English text when the language file lacks it) with each "%s" in turn
/// replaced by the next of `values`.
std::string SettingsFailureMessage(int textId, std::initializer_list<std::string> values);

}  // namespace zephyl
