// SPDX-License-Identifier: GPL-2.0-or-later
#include "protocol/KeyTable.h"

#include <algorithm>

namespace zephyl {
namespace {

constexpr size_t kKeyTableFrames =
    (kKeyTableLength + kReceiverPieceLength - 1) / kReceiverPieceLength;

std::uint8_t Low(int value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

}  // namespace

KeySlot DisabledKeySlot() {
    return {kSlotSpecial, kSpecialDisabled, 0, 0};
}

KeySlot KeyboardKeySlot(std::uint8_t modifierMask, std::uint8_t usage) {
    return {kSlotKey, modifierMask, usage, 0};
}

KeySlot MouseKeySlot(std::uint8_t action, std::uint8_t value) {
    return {kSlotMouse, action, value, 0};
}

KeySlot ConsumerKeySlot(std::uint8_t usageLow, std::uint8_t usageHigh) {
    return {kSlotConsumer, usageLow, usageHigh, 0};
}

KeySlot MacroKeySlot(std::uint8_t position, std::uint8_t playMode, std::uint8_t repeatCount) {
    return {kSlotMacro, position, playMode, repeatCount};
}

KeySlot HostActionKeySlot(std::uint8_t actionId) {
    return {kSlotSpecial, kSpecialHostAction, actionId, 0};
}

KeySlot CombinationKeySlot(std::uint8_t first, std::uint8_t second, std::uint8_t third) {
    return {kSlotCombination, first, second, third};
}

KeySlot OwnFunctionSlot(int keyCode) {
    return KeyboardKeySlot(0x00, Low(keyCode));
}

KeyTable BuildKeyTableBlock(std::span<const PlacedKeySlot> slots) {
    KeyTable table{};
    for (const PlacedKeySlot& placed : slots) {
        if (placed.slotNumber >= kKeySlotCount) {
            continue;
        }
        std::copy(placed.slot.begin(), placed.slot.end(), table.begin() + 4 * placed.slotNumber);
    }
    SealBlock(table);
    return table;
}

std::uint8_t KeyTableDataType(int layer) {
    return layer == 1 ? kDataKeyTableFn : kDataKeyTableBase;
}

std::vector<ReceiverFrame> BuildKeyTableFrames(int layer, const KeyTable& table) {
    std::vector<ReceiverFrame> frames;
    frames.reserve(kKeyTableFrames);
    for (size_t k = 0; k < kKeyTableFrames; ++k) {
        ReceiverFrame frame{};
        const size_t begin = kReceiverPieceLength * k;
        const size_t count = std::min(kReceiverPieceLength, table.size() - begin);
        frame[1] = layer == 1 ? kReceiverKeyTableFn : kReceiverKeyTableBase;
        frame[2] = static_cast<std::uint8_t>(count);
        frame[3] = static_cast<std::uint8_t>(k);
        std::copy_n(table.begin() + begin, count, frame.begin() + 4);
        frames.push_back(frame);
    }
    return frames;
}

ReceiverFrame BuildKeySlotFrame(int layer, int slotNumber, const KeySlot& slot) {
    ReceiverFrame frame{};
    frame[1] = layer == 1 ? kReceiverKeySlotFn : kReceiverKeySlotBase;
    frame[2] = kReceiverKeySlotLength;
    frame[3] = Low(slotNumber);
    std::copy(slot.begin(), slot.end(), frame.begin() + 4);
    return frame;
}

}  // namespace zephyl
