// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// What a key can be given instead of its own function, and the assignment records the key page
// and the assignment dialog store for each kind.

#include "store/ProfileRecords.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace zephyl {

enum AssignmentKind : int {
    kKindOwnFunction = 0,
    kKindDisable = 1,
    kKindKey = 2,
    kKindMacro = 3,
    kKindReserved = 4,
    kKindMouse = 5,
    kKindMedia = 6,
    kKindShortcut = 7,
    kKindRunProgram = 8,
    kKindOpenAddress = 9,
    kKindPasteText = 10,
    kKindSwitchProfile = 11,
    kKindConsumer = 12,
    kKindCombination = 13,
};

/// Kinds 8..11: the program performs them when the keyboard reports the key.
inline bool IsHostActionKind(int kind) {
    return kind >= kKindRunProgram && kind <= kKindSwitchProfile;
}

// Modifier bits of a key assignment, as the keyboard's modifier byte holds them.
inline constexpr int kMaskCtrl = 0x01;
inline constexpr int kMaskShift = 0x02;
inline constexpr int kMaskAlt = 0x04;
inline constexpr int kMaskWin = 0x08;

// Macro play modes; only kPlayRepeatCount uses a repeat count.
inline constexpr int kPlayOnce = 0;
inline constexpr int kPlayRepeatCount = 1;
inline constexpr int kLastPlayMode = 4;

/// Language entry that titles a key's tip for an assignment kind; 0 when the kind has no tip.
int KindTipText(int kind);

struct MouseItem {
    int item;
    int text;  ///< language entry
    std::array<std::uint8_t, 3> slot;
};

struct MediaItem {
    int item;
    int text;
    std::uint8_t usage;  ///< HID Consumer page
};

struct ShortcutItem {
    int item;
    int text;  ///< 0 for the items the dialog does not offer
    std::uint8_t mask;
    std::uint8_t usage;
};

std::span<const MouseItem> MouseItems();
std::span<const MediaItem> MediaItems();
/// Items 10 and 11 are not offered but still encoded when a stored assignment holds them.
std::span<const ShortcutItem> ShortcutItems();

/// The text of a key assignment's modifiers: "Shift", then "Ctrl", "Win" and "Alt", each after
/// the first written as "+ Name" directly after the text before it.
std::string ModifierText(bool shift, bool ctrl, bool win, bool alt);

/// Records below leave profile, fn_layer and key_code to the caller.

/// The key's own function: stores nothing and removes the key's assignment.
KeyAssignment OwnFunctionRecord();
KeyAssignment DisableRecord(const std::string& disableText);
/// A key with modifiers, from the dialog: the captured key (0 for none) and the check boxes.
KeyAssignment KeyRecord(int capturedVk, const std::string& keyText, bool shift, bool ctrl, bool win,
                        bool alt);
/// An item of the key-function list: a key (first value below 500) or a consumer function.
KeyAssignment FunctionRecord(int value, int value2, int value3, const std::string& text);
/// A macro with its play mode; the repeat count (mode 1 only) as typed, limited to 1..255.
KeyAssignment MacroRecord(int macroId, const std::string& macroName, int playMode,
                          const std::string& repeatText);
/// A mouse, media or shortcut item.
KeyAssignment ItemRecord(int kind, int item, const std::string& itemText);
/// A host action (kinds 8..11) by its id.
KeyAssignment HostActionRecord(int kind, int actionId, const std::string& text);

struct CombinationKey {
    int virtualKey = 0;
    std::string text;
};
/// Up to three keys pressed together; unset keys are empty optionals.
KeyAssignment CombinationRecord(const std::array<std::optional<CombinationKey>, 3>& keys);

/// The repeat count a typed text stands for: 1 when empty, limited to 1..255.
int RepeatCount(const std::string& text);

}  // namespace zephyl
