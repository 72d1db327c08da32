// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/KeyTable.h"

#include "keys/AssignmentKinds.h"
#include "keys/KeyCodes.h"

#include <algorithm>

namespace zephyl {
namespace {

constexpr std::uint8_t kSlotMouse = 0x01;
constexpr std::uint8_t kSlotKey = 0x02;
constexpr std::uint8_t kSlotConsumer = 0x03;
constexpr std::uint8_t kSlotSpecial = 0x05;
constexpr std::uint8_t kSlotMacro = 0x06;
constexpr std::uint8_t kSlotCombination = 0x07;
constexpr std::uint8_t kSpecialHostAction = 0x02;
constexpr std::uint8_t kSpecialDisabled = 0x03;

constexpr std::uint8_t kFrameKeyTable[] = {0x10, 0x12};
constexpr std::uint8_t kFrameKeySlot[] = {0x03, 0x0D};
constexpr size_t kFramePiece = 28;
constexpr size_t kKeyTableFrames = 21;

std::uint8_t Low(int value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

KeySlot EncodeKey(const KeyAssignment& a) {
    KeySlot slot{kSlotKey, Low(a.macro_value2), Low(UsageToModifierBit(a.macro_value)), 0};
    if (a.macro_value2 == 0 && IsModifierUsage(a.macro_value)) {
        // A lone modifier travels as a modifier bit.
        slot[1] = Low(UsageToModifierBit(a.macro_value));
        slot[2] = 0;
    }
    return slot;
}

KeySlot EncodeMacro(const KeyAssignment& a, std::span<const int> macroIds) {
    const auto found = std::find(macroIds.begin(), macroIds.end(), a.macro_value);
    const auto position = static_cast<size_t>(found - macroIds.begin());
    if (found == macroIds.end() || position >= kMacroTableEntries) {
        return {};
    }
    return {kSlotMacro, Low(static_cast<int>(position)), Low(a.macro_value2), Low(a.macro_value3)};
}

KeySlot EncodeMouse(int item) {
    for (const MouseItem& entry : MouseItems()) {
        if (entry.item == item) {
            return {entry.slot[0], entry.slot[1], entry.slot[2], 0};
        }
    }
    return {kSlotMouse, 0, 0, 0};
}

KeySlot EncodeMedia(int item) {
    for (const MediaItem& entry : MediaItems()) {
        if (entry.item == item) {
            return {kSlotConsumer, entry.usage, 0, 0};
        }
    }
    return {kSlotConsumer, 0, 0, 0};
}

KeySlot EncodeShortcut(int item) {
    for (const ShortcutItem& entry : ShortcutItems()) {
        if (entry.item == item) {
            return {kSlotKey, entry.mask, entry.usage, 0};
        }
    }
    return {kSlotKey, 0, 0, 0};
}

KeySlot EncodeConsumer(int code) {
    int low = 0;
    int high = 0;
    FunctionToConsumerUsage(code, low, high);
    return {kSlotConsumer, Low(low), Low(high), 0};
}

}  // namespace

KeySlot EncodeKeySlot(const KeyAssignment& a, std::span<const int> macroIds) {
    switch (a.macro_type) {
        case kKindDisable:
            return {kSlotSpecial, kSpecialDisabled, 0, 0};
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
            return {kSlotSpecial, kSpecialHostAction, Low(a.macro_value), 0};
        case kKindConsumer:
            return EncodeConsumer(a.macro_value);
        case kKindCombination:
            return {kSlotCombination, Low(a.macro_value), Low(a.macro_value2), Low(a.macro_value3)};
        default:
            return {};
    }
}

KeySlot OwnFunctionSlot(int keyCode) {
    return {kSlotKey, 0x00, Low(keyCode), 0x00};
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
        const KeySlot slot = EncodeKeySlot(assignment, macroIds);
        std::copy(slot.begin(), slot.end(), build.table.begin() + 4 * *slotNumber);
    }
    SealBlock(build.table);
    return build;
}

std::vector<ReceiverFrame> BuildKeyTableFrames(int layer, const KeyTable& table) {
    std::vector<ReceiverFrame> frames;
    for (size_t k = 0; k < kKeyTableFrames; ++k) {
        ReceiverFrame frame{};
        const size_t begin = kFramePiece * k;
        const size_t count = std::min(kFramePiece, table.size() - begin);
        frame[1] = kFrameKeyTable[layer == 1 ? 1 : 0];
        frame[2] = static_cast<std::uint8_t>(count);
        frame[3] = static_cast<std::uint8_t>(k);
        std::copy_n(table.begin() + begin, count, frame.begin() + 4);
        frames.push_back(frame);
    }
    return frames;
}

ReceiverFrame BuildKeySlotFrame(int layer, int slotNumber, const KeySlot& slot) {
    ReceiverFrame frame{};
    frame[1] = kFrameKeySlot[layer == 1 ? 1 : 0];
    frame[2] = 0x04;
    frame[3] = Low(slotNumber);
    std::copy(slot.begin(), slot.end(), frame.begin() + 4);
    return frame;
}

}  // namespace zephyl
