// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "keys/KeyNames.h"

#include <string>

namespace zephyl {

/// The rules, model, layout, variant and options naming an XKB keymap. An empty field stands for
/// libxkbcommon's default (rules "evdev", model "pc105").
struct XkbLayoutNames {
    std::string rules{};
    std::string model{};
    std::string layout{};
    std::string variant{};
    std::string options{};
};

/// The layout the user types with: the XKB_DEFAULT_* variables when set (a variant only together
/// with XKB_DEFAULT_LAYOUT, since the two belong together), else the system keyboard
/// configuration in `keyboardFile` (XKBMODEL, XKBLAYOUT, XKBVARIANT, XKBOPTIONS in shell syntax),
/// else "us".
XkbLayoutNames CurrentXkbLayout(const std::string& keyboardFile);
/// The same with the system's /etc/default/keyboard.
XkbLayoutNames CurrentXkbLayout();

/// Key names in the layout `names`: the character the key types at its first level in the first
/// layout group, upper-cased as keycaps show it (simple case mapping: "ß" stays "ß"); a dead key
/// gives its accent ("^" for a dead circumflex). Keypad keys, keys without a printable character
/// and every key when the keymap cannot be compiled get EnglishKeyName.
///
/// The keymap is compiled once, here; the returned source only reads a table shared by its
/// copies, so it may be called from any thread.
KeyNameSource XkbKeyNameSource(const XkbLayoutNames& names);
/// The same for CurrentXkbLayout().
KeyNameSource XkbKeyNameSource();

}  // namespace zephyl
