// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/KeyTable.h"

#include "keys/AssignmentKinds.h"
#include "keys/KeyCodes.h"

#include <algorithm>

namespace zephyl {
namespace {

std::uint8_t Low(int value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

KeySlot EncodeKey(const KeyAssignment& a) {
    if (a.macro_value2 == 0 && IsModifierUsage(a.macro_value)) {
        // A lone modifier travels as a modifier bit.
        return KeyboardKeySlot(Low(UsageToModifierBit(a.macro_value)), 0);
    }
    return KeyboardKeySlot(Low(a.macro_value2), Low(UsageToModifierBit(a.macro_value)));
}

KeySlot EncodeMacro(const KeyAssignment& a, std::span<const int> macroIds) {
    const auto found = std::find(macroIds.begin(), macroIds.end(), a.macro_value);
    const auto position = static_cast<size_t>(found - macroIds.begin());
    if (found == macroIds.end() || position >= kMacroTableEntries) {
        return {};
    }
    return MacroKeySlot(Low(static_cast<int>(position)), Low(a.macro_value2), Low(a.macro_value3));
}

KeySlot EncodeMouse(int item) {
    for (const MouseItem& entry : MouseItems()) {
        if (entry.item == item) {
            return MouseKeySlot(entry.slot[1], entry.slot[2]);
        }
    }
    return MouseKeySlot(0, 0);
}

KeySlot EncodeMedia(int item) {
    for (const MediaItem& entry : MediaItems()) {
        if (entry.item == item) {
            return ConsumerKeySlot(entry.usage, 0);
        }
    }
    return ConsumerKeySlot(0, 0);
}

KeySlot EncodeShortcut(int item) {
    for (const ShortcutItem& entry : ShortcutItems()) {
        if (entry.item == item) {
            return KeyboardKeySlot(entry.mask, entry.usage);
        }
    }
    return KeyboardKeySlot(0, 0);
}

KeySlot EncodeConsumer(int code) {
    int low = 0;
    int high = 0;
    FunctionToConsumerUsage(code, low, high);
    return ConsumerKeySlot(Low(low), Low(high));
}

}  // namespace

KeySlot EncodeKeySlot(const KeyAssignment& a, std::span<const int> macroIds) {
    switch (a.macro_type) {
        case kKindDisable:
            return DisabledKeySlot();
        case kKindKey:
            return EncodeKey(a);
        case kKindMacro:
            return EncodeMacro(a, macroIds);
        case kKindMouse:
            return EncodeMouse(a.macro_value);
        case kKindMedia:
            return EncodeMedia(a.macro_value);
        case kKindShortcut:
            return EncodeShortcut(a.macro_value);
        case kKindRunProgram:
        case kKindOpenAddress:
        case kKindPasteText:
        case kKindSwitchProfile:
            return HostActionKeySlot(Low(a.macro_value));
        case kKindConsumer:
            return EncodeConsumer(a.macro_value);
        case kKindCombination:
            return CombinationKeySlot(Low(a.macro_value), Low(a.macro_value2), Low(a.macro_value3));
        default:
            return {};
    }
}

std::optional<int> KeySlotNumber(const std::map<int, int>& keyIndexMap, int keyCode) {
    if (keyIndexMap.empty()) {
        return 0;
    }
    const auto found = keyIndexMap.find(keyCode);
    if (found == keyIndexMap.end()) {
        return std::nullopt;
    }
    return found->second;
}

KeyTableBuild BuildKeyTable(std::span<const KeyAssignment> assignments,
                            const std::map<int, int>& keyIndexMap,
                            const std::map<int, int>& fnLockedKeys, std::span<const int> macroIds) {
    KeyTableBuild build;
    std::vector<PlacedKeySlot> slots;
    for (const KeyAssignment& assignment : assignments) {
        if (assignment.macro_type == kKindOwnFunction) {
            continue;
        }
        const std::optional<int> slotNumber = KeySlotNumber(keyIndexMap, assignment.key_code);
        if (fnLockedKeys.contains(assignment.key_code) || !slotNumber || *slotNumber < 0 ||
            static_cast<size_t>(*slotNumber) >= kKeySlotCount) {
            build.skippedKeys.push_back(assignment.key_code);
            continue;
        }
        slots.push_back({static_cast<size_t>(*slotNumber), EncodeKeySlot(assignment, macroIds)});
    }
    build.table = BuildKeyTableBlock(slots);
    return build;
}

}  // namespace zephyl
