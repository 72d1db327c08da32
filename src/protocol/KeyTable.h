// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The key table of one layer as the keyboard stores it: 144 slots of four bytes, slot n at
// bytes 4n..4n+3, with the block trailer in the last two bytes; and the four bytes of each kind
// of slot.

#include "protocol/ReportFrames.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace zephyl {

inline constexpr size_t kKeySlotCount = 144;
inline constexpr size_t kKeyTableLength = 576;
inline constexpr size_t kKeyTablePackets = kKeyTableLength / kCablePayloadLength;
/// Macros the keyboard's macro table can address.
inline constexpr size_t kMacroTableEntries = 100;

using KeySlot = std::array<std::uint8_t, 4>;
using KeyTable = std::array<std::uint8_t, kKeyTableLength>;

// Slot kinds (slot byte 0).
inline constexpr std::uint8_t kSlotMouse = 0x01;
inline constexpr std::uint8_t kSlotKey = 0x02;
inline constexpr std::uint8_t kSlotConsumer = 0x03;
inline constexpr std::uint8_t kSlotSpecial = 0x05;
inline constexpr std::uint8_t kSlotMacro = 0x06;
inline constexpr std::uint8_t kSlotCombination = 0x07;
// Slot byte 1 of a special slot.
inline constexpr std::uint8_t kSpecialHostAction = 0x02;
inline constexpr std::uint8_t kSpecialDisabled = 0x03;

/// A key that does nothing.
KeySlot DisabledKeySlot();
/// A key with a modifier mask (either may be 0).
KeySlot KeyboardKeySlot(std::uint8_t modifierMask, std::uint8_t usage);
/// A mouse action: button mask or wheel step, with its code.
KeySlot MouseKeySlot(std::uint8_t action, std::uint8_t value);
/// A consumer-page usage, low byte first.
KeySlot ConsumerKeySlot(std::uint8_t usageLow, std::uint8_t usageHigh);
/// A macro by its position in the macro image, with play mode and repeat count.
KeySlot MacroKeySlot(std::uint8_t position, std::uint8_t playMode, std::uint8_t repeatCount);
/// A key the keyboard reports on its notification interface, for an action the host runs.
KeySlot HostActionKeySlot(std::uint8_t actionId);
/// Up to three keys pressed together.
KeySlot CombinationKeySlot(std::uint8_t first, std::uint8_t second, std::uint8_t third);
/// The slot the keyboard plays for a key with no assignment: the key itself.
KeySlot OwnFunctionSlot(int keyCode);

/// A slot at its place in the table.
struct PlacedKeySlot {
    size_t slotNumber = 0;
    KeySlot slot{};
};

/// The table of one layer; slots numbered beyond the table are left out.
KeyTable BuildKeyTableBlock(std::span<const PlacedKeySlot> slots);

/// The cable data type of a layer's table.
std::uint8_t KeyTableDataType(int layer);

/// The receiver's key-table frames of a layer: 21 frames of 28 table bytes (16 in the last).
std::vector<ReceiverFrame> BuildKeyTableFrames(int layer, const KeyTable& table);

/// The receiver's frame that writes one key's slot.
ReceiverFrame BuildKeySlotFrame(int layer, int slotNumber, const KeySlot& slot);

}  // namespace zephyl
