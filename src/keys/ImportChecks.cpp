// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/ImportChecks.h"

#include "keys/AssignmentKinds.h"
#include "keys/KeyTexts.h"
#include "keys/MacroStepRow.h"
#include "xml/Utf.h"

#include <algorithm>

namespace zephyl {
namespace {

bool Byte(int value) {
    return value >= 0 && value <= 0xFF;
}

template <typename Items>
bool Listed(const Items& items, int item) {
    return std::any_of(items.begin(), items.end(),
                       [item](const auto& entry) { return entry.item == item; });
}

constexpr int kFirstFunctionCode = 500;
constexpr int kLastFunctionCode = 517;
constexpr int kLongestPause = 0xFFFF;

}  // namespace

int ExchangeFileProblem(const std::string& path) {
    switch (InspectRegularFile(path, kExchangeFileLimit)) {
        case FileReadStatus::kTooLarge:
            return kTextImportFileTooLarge;
        case FileReadStatus::kNotRegularFile:
            return kTextImportNotRegularFile;
        default:
            return 0;
    }
}

bool IsValidUtf8(std::string_view text) {
    // Decoding turns every ill-formed sequence into U+FFFD, so only well-formed text comes back
    // byte for byte.
    return Utf16ToUtf8(Utf8ToUtf16(text)) == text;
}

bool KeyAssignmentEncodable(const KeyAssignment& a, std::span<const int> macroIds) {
    if ((a.fn_layer != 0 && a.fn_layer != 1) || a.key_code < 1 || a.key_code > 0xFF) {
        return false;
    }
    switch (a.macro_type) {
        case kKindOwnFunction:
        case kKindDisable:
            return true;
        case kKindKey:
        case kKindCombination:
            return Byte(a.macro_value) && Byte(a.macro_value2) && Byte(a.macro_value3);
        case kKindMacro:
            return std::find(macroIds.begin(), macroIds.end(), a.macro_value) != macroIds.end() &&
                   Byte(a.macro_value2) && Byte(a.macro_value3);
        case kKindMouse:
            return Listed(MouseItems(), a.macro_value);
        case kKindMedia:
            return Listed(MediaItems(), a.macro_value);
        case kKindShortcut:
            return Listed(ShortcutItems(), a.macro_value);
        case kKindConsumer:
            return a.macro_value >= kFirstFunctionCode && a.macro_value <= kLastFunctionCode;
        default:
            return false;
    }
}

bool MacroSettingsEncodable(const Macro& macro) {
    return macro.play_times >= 1 && macro.play_times <= 99 && macro.delay_type >= 1 &&
           macro.delay_type <= 3 && macro.delay_time >= 0 && macro.delay_time <= kLongestPause;
}

bool MacroStepEncodable(const MacroStep& step) {
    const bool action = step.type == kStepRepeat || step.type == kStepKeyDown ||
                        step.type == kStepKeyUp || step.type == kStepButtonDown ||
                        step.type == kStepButtonUp;
    return action && Byte(step.value) && step.delay_time >= 0 && step.delay_time <= kLongestPause;
}

}  // namespace zephyl
