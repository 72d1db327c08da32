// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "catalogue/KeyboardLayout.h"
#include "keys/PageOutcome.h"
#include "store/ProfileRecords.h"

#include <string>

namespace zephyl {

class ProfileDatabase;

/// On the Fn layer, keys the layout locks keep their function.
bool KeyAssignable(const KeyboardLayout& layout, int layer, int keyCode);

/// The tip the keyboard picture shows for an assigned key: the kind's title entry (0: no tip)
/// and the assignment's text (none for a disabled key).
struct KeyTip {
    int titleText = 0;
    std::string detail;
};
KeyTip AssignmentTip(const KeyAssignment& assignment);

/// Gives the key of (profile, layer) the record's function (the own function for an empty
/// record) and asks for the layer to be written. A key the layer locks is refused with a
/// message; without a selected key (0) nothing is stored but the write is still asked for.
/// `storedId` receives the new row's id, 0 when the key has its own function now.
PageOutcome ApplyAssignment(ProfileDatabase& database, const KeyboardLayout& layout, int profile,
                            int layer, int keyCode, KeyAssignment record, int* storedId = nullptr);

}  // namespace zephyl
