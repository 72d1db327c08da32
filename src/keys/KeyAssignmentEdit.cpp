// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/KeyAssignmentEdit.h"

#include "app/WorkerCommand.h"
#include "keys/AssignmentKinds.h"
#include "keys/KeyTexts.h"
#include "store/ProfileDatabase.h"

namespace zephyl {

bool KeyAssignable(const KeyboardLayout& layout, int layer, int keyCode) {
    return layer != 1 || !layout.fnLockedKeys.contains(keyCode);
}

KeyTip AssignmentTip(const KeyAssignment& assignment) {
    KeyTip tip;
    tip.titleText = KindTipText(assignment.macro_type);
    if (tip.titleText != 0 && assignment.macro_type != kKindDisable) {
        tip.detail = assignment.macro_desc;
    }
    return tip;
}

PageOutcome ApplyAssignment(ProfileDatabase& database, const KeyboardLayout& layout, int profile,
                            int layer, int keyCode, KeyAssignment record, int* storedId) {
    PageOutcome outcome;
    if (storedId) {
        *storedId = 0;
    }
    if (!KeyAssignable(layout, layer, keyCode)) {
        outcome.messageText = kTextKeyFnLocked;
        outcome.messageCaption = kTextKeyTitle;
        return outcome;
    }
    record.profile = profile;
    record.fn_layer = layer;
    record.key_code = keyCode;
    const int id = database.SaveKeyAssignment(record);
    if (storedId) {
        *storedId = id;
    }
    outcome.changed = keyCode != 0;
    outcome.commands = {kCommandWriteKeyLayer};
    return outcome;
}

}  // namespace zephyl
