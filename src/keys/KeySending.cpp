// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/KeySending.h"

#include "device/DeviceManager.h"
#include "keys/AssignmentKinds.h"
#include "platform/Log.h"
#include "store/ProfileDatabase.h"

namespace zephyl {
namespace {

constexpr int kFramePauseMs = 2;

std::vector<int> MacroIds(ProfileDatabase& database) {
    std::vector<Macro> macros;
    database.ListMacros(macros);
    std::vector<int> ids;
    ids.reserve(macros.size());
    for (const Macro& macro : macros) {
        ids.push_back(macro.macro_id);
    }
    return ids;
}

}  // namespace

PreparedKeyTable PrepareKeyTable(ProfileDatabase& database, const KeyboardLayout& layout,
                                 int profile, int layer) {
    std::vector<KeyAssignment> assignments;
    database.ListKeyAssignments(profile, layer, assignments);
    PreparedKeyTable prepared;
    prepared.hasAssignments = !assignments.empty();
    prepared.build =
        BuildKeyTable(assignments, layout.keyIndexMap, layout.fnLockedKeys, MacroIds(database));
    for (int key : prepared.build.skippedKeys) {
        Log(kLogWarning, "layer %d: the assignment of key %#x has no place in the key table", layer,
            key);
    }
    return prepared;
}

bool SendKeyTable(DeviceManager& devices, int layer, const KeyTable& table) {
    CableBlockOptions options;
    options.refresh = CableBlockOptions::Refresh::kConfirmed;
    return devices.SendCableBlock(KeyTableDataType(layer), 0, table, options);
}

bool SendKeyTableReceiver(DeviceManager& devices, int layer, const PreparedKeyTable& prepared,
                          const PauseFunction& pause) {
    std::vector<ReceiverFrame> frames = BuildKeyTableFrames(layer, prepared.build.table);
    return devices.SendReceiverFrames(frames, kFramePauseMs, pause);
}

std::optional<KeySlotWrite> PrepareKeySlot(ProfileDatabase& database, const KeyboardLayout& layout,
                                           int profile, int layer, int keyCode) {
    if (keyCode == 0) {
        return std::nullopt;
    }
    const std::optional<int> slotNumber = KeySlotNumber(layout.keyIndexMap, keyCode);
    if (!slotNumber || *slotNumber < 0 || static_cast<size_t>(*slotNumber) >= kKeySlotCount) {
        return std::nullopt;
    }
    KeySlotWrite write;
    write.slotNumber = *slotNumber;
    write.slot = OwnFunctionSlot(keyCode);
    KeyAssignment assignment;
    // A key the layout locks against changes keeps its own function, as in the full table.
    if (!layout.fnLockedKeys.contains(keyCode) &&
        database.GetKeyAssignment(profile, layer, keyCode, assignment) &&
        assignment.macro_type != kKindOwnFunction) {
        write.slot = EncodeKeySlot(assignment, MacroIds(database));
    }
    return write;
}

bool SendKeySlotReceiver(DeviceManager& devices, int layer,
                         const std::optional<KeySlotWrite>& write) {
    if (!write) {
        return false;
    }
    return devices.SendReceiverFrame(BuildKeySlotFrame(layer, write->slotNumber, write->slot));
}

}  // namespace zephyl
