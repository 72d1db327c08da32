// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/LinuxKeyTable.h"

#include "keys/KeyCodes.h"

#include <linux/input-event-codes.h>

#include <algorithm>

namespace zephyl {
namespace {

// Keys of a 105-key PC keyboard, the extended navigation and keypad keys, F13..F24 and the
// media, browser and launch keys that have virtual-key codes. Keys of Japanese, Korean and
// Brazilian layouts (conversion keys, Ro, Yen, keypad comma and equals) have no code in the
// keyboard's usage table either, so they are left out: capture consumes them and records nothing.
constexpr LinuxKeyMapping kMappings[] = {
    {KEY_ESC, 0x1B, 0, 0x01, false, "Esc"},
    {KEY_1, '1', 0, 0x02, false, "1"},
    {KEY_2, '2', 0, 0x03, false, "2"},
    {KEY_3, '3', 0, 0x04, false, "3"},
    {KEY_4, '4', 0, 0x05, false, "4"},
    {KEY_5, '5', 0, 0x06, false, "5"},
    {KEY_6, '6', 0, 0x07, false, "6"},
    {KEY_7, '7', 0, 0x08, false, "7"},
    {KEY_8, '8', 0, 0x09, false, "8"},
    {KEY_9, '9', 0, 0x0A, false, "9"},
    {KEY_0, '0', 0, 0x0B, false, "0"},
    {KEY_MINUS, 0xBD, 0, 0x0C, false, "-"},
    {KEY_EQUAL, 0xBB, 0, 0x0D, false, "="},
    {KEY_BACKSPACE, 0x08, 0, 0x0E, false, "Backspace"},
    {KEY_TAB, 0x09, 0, 0x0F, false, "Tab"},
    {KEY_Q, 'Q', 0, 0x10, false, "Q"},
    {KEY_W, 'W', 0, 0x11, false, "W"},
    {KEY_E, 'E', 0, 0x12, false, "E"},
    {KEY_R, 'R', 0, 0x13, false, "R"},
    {KEY_T, 'T', 0, 0x14, false, "T"},
    {KEY_Y, 'Y', 0, 0x15, false, "Y"},
    {KEY_U, 'U', 0, 0x16, false, "U"},
    {KEY_I, 'I', 0, 0x17, false, "I"},
    {KEY_O, 'O', 0, 0x18, false, "O"},
    {KEY_P, 'P', 0, 0x19, false, "P"},
    {KEY_LEFTBRACE, 0xDB, 0, 0x1A, false, "["},
    {KEY_RIGHTBRACE, 0xDD, 0, 0x1B, false, "]"},
    {KEY_ENTER, 0x0D, 0, 0x1C, false, "Enter"},
    {KEY_LEFTCTRL, 0xA2, 0, 0x1D, false, "Ctrl"},
    {KEY_A, 'A', 0, 0x1E, false, "A"},
    {KEY_S, 'S', 0, 0x1F, false, "S"},
    {KEY_D, 'D', 0, 0x20, false, "D"},
    {KEY_F, 'F', 0, 0x21, false, "F"},
    {KEY_G, 'G', 0, 0x22, false, "G"},
    {KEY_H, 'H', 0, 0x23, false, "H"},
    {KEY_J, 'J', 0, 0x24, false, "J"},
    {KEY_K, 'K', 0, 0x25, false, "K"},
    {KEY_L, 'L', 0, 0x26, false, "L"},
    {KEY_SEMICOLON, 0xBA, 0, 0x27, false, ";"},
    {KEY_APOSTROPHE, 0xDE, 0, 0x28, false, "'"},
    {KEY_GRAVE, 0xC0, 0, 0x29, false, "`"},
    {KEY_LEFTSHIFT, 0xA0, 0, 0x2A, false, "Shift"},
    {KEY_BACKSLASH, 0xDC, 0, 0x2B, false, "\\"},
    {KEY_Z, 'Z', 0, 0x2C, false, "Z"},
    {KEY_X, 'X', 0, 0x2D, false, "X"},
    {KEY_C, 'C', 0, 0x2E, false, "C"},
    {KEY_V, 'V', 0, 0x2F, false, "V"},
    {KEY_B, 'B', 0, 0x30, false, "B"},
    {KEY_N, 'N', 0, 0x31, false, "N"},
    {KEY_M, 'M', 0, 0x32, false, "M"},
    {KEY_COMMA, 0xBC, 0, 0x33, false, ","},
    {KEY_DOT, 0xBE, 0, 0x34, false, "."},
    {KEY_SLASH, 0xBF, 0, 0x35, false, "/"},
    {KEY_RIGHTSHIFT, 0xA1, 0, 0x36, false, "Right Shift"},
    {KEY_KPASTERISK, 0x6A, 0, 0x37, false, "Keypad *"},
    {KEY_LEFTALT, 0xA4, 0, 0x38, false, "Alt"},
    {KEY_SPACE, 0x20, 0, 0x39, false, "Space"},
    {KEY_CAPSLOCK, 0x14, 0, 0x3A, false, "Caps Lock"},
    {KEY_F1, 0x70, 0, 0x3B, false, "F1"},
    {KEY_F2, 0x71, 0, 0x3C, false, "F2"},
    {KEY_F3, 0x72, 0, 0x3D, false, "F3"},
    {KEY_F4, 0x73, 0, 0x3E, false, "F4"},
    {KEY_F5, 0x74, 0, 0x3F, false, "F5"},
    {KEY_F6, 0x75, 0, 0x40, false, "F6"},
    {KEY_F7, 0x76, 0, 0x41, false, "F7"},
    {KEY_F8, 0x77, 0, 0x42, false, "F8"},
    {KEY_F9, 0x78, 0, 0x43, false, "F9"},
    {KEY_F10, 0x79, 0, 0x44, false, "F10"},
    // Num Lock and Pause share make code 0x45; only Num Lock carries the extended flag.
    {KEY_NUMLOCK, 0x90, 0, 0x45, true, "Num Lock"},
    {KEY_SCROLLLOCK, 0x91, 0, 0x46, false, "Scroll Lock"},
    {KEY_KP7, 0x67, 0x24, 0x47, false, "Keypad 7"},
    {KEY_KP8, 0x68, 0x26, 0x48, false, "Keypad 8"},
    {KEY_KP9, 0x69, 0x21, 0x49, false, "Keypad 9"},
    {KEY_KPMINUS, 0x6D, 0, 0x4A, false, "Keypad -"},
    {KEY_KP4, 0x64, 0x25, 0x4B, false, "Keypad 4"},
    {KEY_KP5, 0x65, 0x0C, 0x4C, false, "Keypad 5"},
    {KEY_KP6, 0x66, 0x27, 0x4D, false, "Keypad 6"},
    {KEY_KPPLUS, 0x6B, 0, 0x4E, false, "Keypad +"},
    {KEY_KP1, 0x61, 0x23, 0x4F, false, "Keypad 1"},
    {KEY_KP2, 0x62, 0x28, 0x50, false, "Keypad 2"},
    {KEY_KP3, 0x63, 0x22, 0x51, false, "Keypad 3"},
    {KEY_KP0, 0x60, 0x2D, 0x52, false, "Keypad 0"},
    {KEY_KPDOT, 0x6E, 0x2E, 0x53, false, "Keypad ."},
    {KEY_102ND, 0xE2, 0, 0x56, false, "<"},
    {KEY_F11, 0x7A, 0, 0x57, false, "F11"},
    {KEY_F12, 0x7B, 0, 0x58, false, "F12"},
    {KEY_KPENTER, 0x0D, 0, 0x1C, true, "Keypad Enter"},
    {KEY_RIGHTCTRL, 0xA3, 0, 0x1D, true, "Right Ctrl"},
    {KEY_KPSLASH, 0x6F, 0, 0x35, true, "Keypad /"},
    {KEY_SYSRQ, 0x2C, 0, 0x37, true, "Print Screen"},
    {KEY_RIGHTALT, 0xA5, 0, 0x38, true, "Right Alt"},
    {KEY_HOME, 0x24, 0, 0x47, true, "Home"},
    {KEY_UP, 0x26, 0, 0x48, true, "Up"},
    {KEY_PAGEUP, 0x21, 0, 0x49, true, "Page Up"},
    {KEY_LEFT, 0x25, 0, 0x4B, true, "Left"},
    {KEY_RIGHT, 0x27, 0, 0x4D, true, "Right"},
    {KEY_END, 0x23, 0, 0x4F, true, "End"},
    {KEY_DOWN, 0x28, 0, 0x50, true, "Down"},
    {KEY_PAGEDOWN, 0x22, 0, 0x51, true, "Page Down"},
    {KEY_INSERT, 0x2D, 0, 0x52, true, "Insert"},
    {KEY_DELETE, 0x2E, 0, 0x53, true, "Delete"},
    {KEY_MUTE, 0xAD, 0, 0x20, true, "Mute"},
    {KEY_VOLUMEDOWN, 0xAE, 0, 0x2E, true, "Volume Down"},
    {KEY_VOLUMEUP, 0xAF, 0, 0x30, true, "Volume Up"},
    {KEY_PAUSE, 0x13, 0, 0x45, false, "Pause"},
    {KEY_LEFTMETA, 0x5B, 0, 0x5B, true, "Windows"},
    {KEY_RIGHTMETA, 0x5C, 0, 0x5C, true, "Right Windows"},
    {KEY_COMPOSE, 0x5D, 0, 0x5D, true, "Menu"},
    {KEY_STOP, 0xA9, 0, 0x68, true, "Browser Stop"},
    {KEY_CALC, 0xB7, 0, 0x21, true, "Calculator"},
    {KEY_SLEEP, 0x5F, 0, 0x5F, true, "Sleep"},
    {KEY_MAIL, 0xB4, 0, 0x6C, true, "Mail"},
    {KEY_BOOKMARKS, 0xAB, 0, 0x66, true, "Favorites"},
    {KEY_COMPUTER, 0xB6, 0, 0x6B, true, "My Computer"},
    {KEY_BACK, 0xA6, 0, 0x6A, true, "Browser Back"},
    {KEY_FORWARD, 0xA7, 0, 0x69, true, "Browser Forward"},
    {KEY_NEXTSONG, 0xB0, 0, 0x19, true, "Next Track"},
    {KEY_PLAYPAUSE, 0xB3, 0, 0x22, true, "Play/Pause"},
    {KEY_PREVIOUSSONG, 0xB1, 0, 0x10, true, "Previous Track"},
    {KEY_STOPCD, 0xB2, 0, 0x24, true, "Stop"},
    {KEY_CONFIG, 0xB5, 0, 0x6D, true, "Media Player"},
    {KEY_HOMEPAGE, 0xAC, 0, 0x32, true, "Browser Home"},
    {KEY_REFRESH, 0xA8, 0, 0x67, true, "Browser Refresh"},
    {KEY_F13, 0x7C, 0, 0x64, false, "F13"},
    {KEY_F14, 0x7D, 0, 0x65, false, "F14"},
    {KEY_F15, 0x7E, 0, 0x66, false, "F15"},
    {KEY_F16, 0x7F, 0, 0x67, false, "F16"},
    {KEY_F17, 0x80, 0, 0x68, false, "F17"},
    {KEY_F18, 0x81, 0, 0x69, false, "F18"},
    {KEY_F19, 0x82, 0, 0x6A, false, "F19"},
    {KEY_F20, 0x83, 0, 0x6B, false, "F20"},
    {KEY_F21, 0x84, 0, 0x6C, false, "F21"},
    {KEY_F22, 0x85, 0, 0x6D, false, "F22"},
    {KEY_F23, 0x86, 0, 0x6E, false, "F23"},
    {KEY_F24, 0x87, 0, 0x76, false, "F24"},
    {KEY_SEARCH, 0xAA, 0, 0x65, true, "Browser Search"},
    {KEY_MEDIA, 0xB5, 0, 0x6D, true, "Media Player"},
};

}  // namespace

std::span<const LinuxKeyMapping> LinuxKeyMappings() {
    return kMappings;
}

const LinuxKeyMapping* FindLinuxKey(int linuxCode) {
    auto found = std::find_if(std::begin(kMappings), std::end(kMappings),
                              [linuxCode](const auto& m) { return m.linuxCode == linuxCode; });
    return found == std::end(kMappings) ? nullptr : &*found;
}

int LinuxKeyToVirtualKey(int linuxCode, bool numLockOn) {
    const LinuxKeyMapping* mapping = FindLinuxKey(linuxCode);
    if (!mapping) {
        return 0;
    }
    return !numLockOn && mapping->numLockOffKey != 0 ? mapping->numLockOffKey : mapping->virtualKey;
}

int LinuxKeyForVirtualKey(int vk) {
    if (vk <= 0) {
        return 0;
    }
    if (vk == kKeypadEnterVirtualKey) {
        return KEY_KPENTER;
    }
    for (const LinuxKeyMapping& mapping : kMappings) {
        if (mapping.virtualKey == vk) {
            return mapping.linuxCode;
        }
    }
    // Clear exists only as keypad 5 without Num Lock.
    for (const LinuxKeyMapping& mapping : kMappings) {
        if (mapping.numLockOffKey == vk) {
            return mapping.linuxCode;
        }
    }
    return 0;
}

}  // namespace zephyl
