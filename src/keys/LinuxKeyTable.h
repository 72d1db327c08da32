// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// Key capture receives Linux input key codes; every rule of capture and recording is written for
// the (virtual-key code, scan code, extended flag) triple of a PC keyboard on a US layout. This
// table gives each Linux key that triple, so recorded macros and captured keys mean the same
// whatever machine recorded them.

#include <span>
#include <string>

namespace zephyl {

struct LinuxKeyMapping {
    int linuxCode;      ///< KEY_* of <linux/input-event-codes.h>
    int virtualKey;     ///< with Num Lock on
    int numLockOffKey;  ///< keypad keys with Num Lock off; 0 when Num Lock changes nothing
    int scanCode;       ///< set-1 make code without the E0 prefix
    bool extended;      ///< the E0 prefix
    const char* name;   ///< English name, for use without a desktop keyboard layout
};

/// Every Linux key code capture understands, in code order.
std::span<const LinuxKeyMapping> LinuxKeyMappings();

/// The mapping of a Linux key code; null for a key capture does not understand.
const LinuxKeyMapping* FindLinuxKey(int linuxCode);

/// The virtual-key code a Linux key gives with Num Lock on or off; 0 for an unknown key.
int LinuxKeyToVirtualKey(int linuxCode, bool numLockOn);

/// The Linux key whose name stands for a virtual-key code: the key that reports it with Num Lock
/// on, so that Page Up, Home, the arrows, Insert and Delete name the navigation keys and not the
/// keypad; the separator code 108 names keypad Enter. 0 when no key reports the code.
int LinuxKeyForVirtualKey(int vk);

}  // namespace zephyl
