// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <functional>
#include <string>

namespace zephyl {

/// The name of a Linux key code in the user's keyboard layout. The desktop layer supplies one
/// from its keyboard layout; EnglishKeyName serves without a desktop.
using KeyNameSource = std::function<std::string(int linuxCode)>;

/// The table's English name of a Linux key code; empty for an unknown key.
std::string EnglishKeyName(int linuxCode);

/// The text shown for a key captured in the assignment dialog: the layout's name of the key
/// (the navigation key, not the keypad, for Page Up .. Delete), F13..F24 by number, fixed texts
/// for the punctuation keys, and fixed names for Windows, Application, Print Screen, Pause and
/// Num Lock.
std::string AssignmentKeyName(int vk, const KeyNameSource& names = EnglishKeyName);

/// The text of a recorded key event in the macro editor: the layout's name with fixed names for
/// modifiers, lock keys and media keys. The generic Shift, Ctrl and Alt codes (16, 17, 18)
/// become the left-hand codes (160, 162, 164) in `vk`.
std::string RecordedKeyName(int& vk, const KeyNameSource& names = EnglishKeyName);

}  // namespace zephyl
