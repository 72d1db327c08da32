// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "catalogue/KeyboardLayout.h"
#include "keys/KeyTable.h"
#include "keys/Pause.h"

namespace zephyl {

class DeviceManager;
class ProfileDatabase;

/// A layer's table as the store holds it now.
struct PreparedKeyTable {
    KeyTableBuild build;
    bool hasAssignments = false;  ///< the layer holds at least one stored assignment
};

/// Reads a layer's assignments and the macro list and builds the layer's table.
PreparedKeyTable PrepareKeyTable(ProfileDatabase& database, const KeyboardLayout& layout,
                                 int profile, int layer);

/// Cable: the write sequence of one layer's table (begin, header, nine packets, end, refresh).
/// True when every step was accepted.
bool SendKeyTable(DeviceManager& devices, int layer, const KeyTable& table);

/// Receiver: the layer's table in 21 frames, 2 ms apart. A layer without any assignment is sent
/// as the empty table it is, so a profile without remaps clears the previous profile's. True
/// when every frame was answered.
bool SendKeyTableReceiver(DeviceManager& devices, int layer, const PreparedKeyTable& prepared,
                          const PauseFunction& pause = SleepPause);

/// What the receiver's single-key write sends for a key.
struct KeySlotWrite {
    int slotNumber = 0;
    KeySlot slot{};
};

/// The slot of one key of a layer: its assignment, else its own function. Nothing when no key
/// is selected, when the key has no slot, or its slot lies beyond the table.
std::optional<KeySlotWrite> PrepareKeySlot(ProfileDatabase& database, const KeyboardLayout& layout,
                                           int profile, int layer, int keyCode);

/// Receiver: one frame writing one key's slot. False when nothing was sent or not answered.
bool SendKeySlotReceiver(DeviceManager& devices, int layer,
                         const std::optional<KeySlotWrite>& write);

}  // namespace zephyl
