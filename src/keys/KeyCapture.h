// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "keys/KeyEventTranslator.h"
#include "keys/KeyNames.h"

#include <optional>
#include <string>

namespace zephyl {

/// 0 press, 1 release, −1 for a message that is neither.
int KeyMessageDirection(int message);

/// The code the macro page records for an event: keypad keys reported as navigation keys (Num
/// Lock off, no extended flag) become keypad digits and the keypad decimal by scan code, keypad
/// Enter becomes 108, every other event keeps its virtual-key code. Events with Alt held or
/// injected by a program keep their code.
int AdjustCapturedCode(int direction, int virtualKey, int scanCode, int flags);

/// Which field of the assignment dialog receives keys.
enum class DialogCaptureField {
    kKey,         ///< the key of a "key" assignment: modifiers are chosen with check boxes
    kCombination  ///< one of the three keys of a combination: any key
};

struct DialogCapturedKey {
    int virtualKey = 0;
    std::string text;
};

struct DialogCaptureResult {
    bool consumed = false;
    std::optional<DialogCapturedKey> key;  ///< the key the field now holds
};

/// The assignment dialog's handling of one event: presses are taken with their virtual-key code
/// unchanged and named with AssignmentKeyName; releases are consumed and ignored; the key field
/// ignores the Shift, Ctrl, Alt and Windows keys.
DialogCaptureResult OnDialogKeyEvent(const HookKeyEvent& event, DialogCaptureField field,
                                     const KeyNameSource& names = EnglishKeyName);

}  // namespace zephyl
