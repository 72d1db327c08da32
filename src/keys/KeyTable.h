// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The key table of one layer as the keyboard stores it: 144 slots of four bytes, slot n at
// bytes 4n..4n+3, addressed by the layout's key_index, with the block trailer in the last two
// bytes.

#include "device/ReportFrames.h"
#include "store/ProfileRecords.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

namespace zephyl {

inline constexpr size_t kKeySlotCount = 144;
inline constexpr size_t kKeyTableLength = 576;
inline constexpr size_t kKeyTablePackets = kKeyTableLength / 64;
/// Macros the keyboard's macro table can address.
inline constexpr size_t kMacroTableEntries = 100;

using KeySlot = std::array<std::uint8_t, 4>;
using KeyTable = std::array<std::uint8_t, kKeyTableLength>;

/// The keyboard's four bytes for an assignment. `macroIds` lists every macro's id in list order
/// (the order of the macro image): a macro assignment refers to its position there, and is all 0
/// when the macro no longer exists or lies beyond the image's 100 macros.
KeySlot EncodeKeySlot(const KeyAssignment& assignment, std::span<const int> macroIds);

/// The slot the keyboard plays for a key with no assignment: the key itself.
KeySlot OwnFunctionSlot(int keyCode);

/// The slot number of a key: its key_index; 0 for every key when the layout gives no key_index
/// at all; nothing for a key without one in a layout that gives others one.
std::optional<int> KeySlotNumber(const std::map<int, int>& keyIndexMap, int keyCode);

/// What went into a table and what was kept out of it.
struct KeyTableBuild {
    KeyTable table{};
    /// Keys whose assignment was not written: keys the layout locks against changes on the Fn
    /// layer, keys without a slot and slots beyond the table.
    std::vector<int> skippedKeys;
};

/// The table of one layer from its assignments. An assignment on a key of `fnLockedKeys` is left
/// out on its own; the rest of the layer is still written.
KeyTableBuild BuildKeyTable(std::span<const KeyAssignment> assignments,
                            const std::map<int, int>& keyIndexMap,
                            const std::map<int, int>& fnLockedKeys, std::span<const int> macroIds);

/// The receiver's key-table frames of a layer: 21 frames of 28 table bytes (16 in the last).
std::vector<ReceiverFrame> BuildKeyTableFrames(int layer, const KeyTable& table);

/// The receiver's frame that writes one key's slot.
ReceiverFrame BuildKeySlotFrame(int layer, int slotNumber, const KeySlot& slot);

}  // namespace zephyl
