// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "keys/KeyNames.h"

#include <functional>
#include <string>
#include <vector>

namespace zephyl {

/// One function the key page offers for a key: a key of the keyboard (its usage, no modifier)
/// or a consumer function (500..517), with the text shown for it.
struct KeyFunctionEntry {
    int value1 = 0;  ///< usage, or key-function code 500..517
    int value2 = 0;  ///< modifier mask
    int value3 = 0;
    std::string text;
    int textId = 0;  ///< language entry of the text; 0 when the text is the key's name
};

struct KeyFunctionGroup {
    int titleText = 0;  ///< language entry of the group's title
    std::vector<KeyFunctionEntry> entries;
};

/// The functions of the key page's chooser in their groups: letters and digits, function keys,
/// navigation and editing, keypad, modifiers and symbols, media and programs. Keys are named in
/// the user's keyboard layout; the consumer functions carry their language entries and
/// `texts` gives their texts.
std::vector<KeyFunctionGroup> KeyFunctionGroups(const std::function<std::string(int)>& texts,
                                                const KeyNameSource& names = EnglishKeyName);

}  // namespace zephyl
