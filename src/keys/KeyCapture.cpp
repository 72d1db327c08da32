// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/KeyCapture.h"

#include "keys/KeyCodes.h"

namespace zephyl {
namespace {

struct ScanKey {
    int scanCode;
    int virtualKey;
};

// Keypad keys by make code: 7 8 9, 4 5 6, 1 2 3, 0 and the decimal point.
constexpr ScanKey kKeypadByScanCode[] = {
    {71, 103}, {72, 104}, {73, 105}, {75, 100}, {76, 101}, {77, 102},
    {79, 97},  {80, 98},  {81, 99},  {82, 96},  {83, 110},
};

constexpr int kEnterScanCode = 28;

}  // namespace

int KeyMessageDirection(int message) {
    switch (message) {
        case kMessageKeyDown:
        case kMessageSysKeyDown:
            return 0;
        case kMessageKeyUp:
        case kMessageSysKeyUp:
            return 1;
        default:
            return -1;
    }
}

int AdjustCapturedCode(int direction, int virtualKey, int scanCode, int flags) {
    const bool plain = (direction == 0 && flags == 0) || (direction == 1 && flags == kFlagReleased);
    if (plain) {
        for (const ScanKey& key : kKeypadByScanCode) {
            if (key.scanCode == scanCode) {
                return key.virtualKey;
            }
        }
        return virtualKey;
    }
    const bool extended = (direction == 0 && flags == kFlagExtended) ||
                          (direction == 1 && flags == (kFlagExtended | kFlagReleased));
    if (extended && scanCode == kEnterScanCode) {
        return kKeypadEnterVirtualKey;
    }
    return virtualKey;
}

DialogCaptureResult OnDialogKeyEvent(const HookKeyEvent& event, DialogCaptureField field,
                                     const KeyNameSource& names) {
    DialogCaptureResult result;
    const int direction = KeyMessageDirection(event.message);
    if (direction < 0) {
        return result;
    }
    result.consumed = true;
    if (direction == 1) {
        return result;
    }
    const int vk = event.virtualKey;
    if (field == DialogCaptureField::kKey && IsModifierVirtualKey(vk)) {
        return result;
    }
    result.key = DialogCapturedKey{vk, AssignmentKeyName(vk, names)};
    return result;
}

}  // namespace zephyl
