// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

namespace zephyl {

/// The lists whose new items get a numbered default name ("<text> <n>").
enum class DefaultNameList { kProfiles, kUserLighting, kCustomLighting, kMusicLayers, kMacros };

/// Language text that starts the default names of a list.
int DefaultNameTextId(DefaultNameList list);

/// The name to show for a stored name: a name that starts with a default name of the list in any
/// of the program's languages, followed by the end of the name or a space, gets that start
/// replaced by `defaultText`; other names stay.
std::string ReplaceDefaultPrefix(const std::string& storedName, DefaultNameList list,
                                 const std::string& defaultText);

/// ReplaceDefaultPrefix with the list's text in the current language.
std::string LocalizedDefaultName(const std::string& storedName, DefaultNameList list);

/// "<text> <number>" in the current language: the name of a new item.
std::string NewDefaultName(DefaultNameList list, int number);

}  // namespace zephyl
