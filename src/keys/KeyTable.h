// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// Stored key assignments in the keyboard's terms: each assignment's slot, placed in its layer's
// table by the layout's key_index.

#include "protocol/KeyTable.h"
#include "store/ProfileRecords.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

namespace zephyl {

/// The keyboard's four bytes for an assignment. `macroIds` lists every macro's id in list order
/// (the order of the macro image): a macro assignment refers to its position there, and is all 0
/// when the macro no longer exists or lies beyond the image's 100 macros.
KeySlot EncodeKeySlot(const KeyAssignment& assignment, std::span<const int> macroIds);

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

}  // namespace zephyl
