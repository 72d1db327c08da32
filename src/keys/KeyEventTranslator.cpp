// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/KeyEventTranslator.h"

#include "keys/LinuxKeyTable.h"

#include <linux/input-event-codes.h>

namespace zephyl {

std::optional<HookKeyEvent> KeyEventTranslator::Translate(int linuxCode, int value,
                                                          std::int64_t timeMs) {
    if (value != kReleased && value != kPressed && value != kRepeated) {
        return std::nullopt;
    }
    const LinuxKeyMapping* mapping = FindLinuxKey(linuxCode);
    if (!mapping) {
        return std::nullopt;
    }
    const bool press = value != kReleased;
    HookKeyEvent event;
    event.virtualKey = mapping->virtualKey;
    if (!m_numLockOn && mapping->numLockOffKey != 0) {
        event.virtualKey = mapping->numLockOffKey;
    }
    event.scanCode = mapping->scanCode;
    event.timeMs = timeMs;

    switch (linuxCode) {
        case KEY_LEFTALT:
            m_leftAlt = press;
            break;
        case KEY_RIGHTALT:
            m_rightAlt = press;
            break;
        case KEY_LEFTCTRL:
            m_leftCtrl = press;
            break;
        case KEY_RIGHTCTRL:
            m_rightCtrl = press;
            break;
        case KEY_NUMLOCK:
            // The lock changes on the press; the key's own event is reported as it was pressed.
            if (value == kPressed) {
                m_numLockOn = !m_numLockOn;
            }
            break;
        default:
            break;
    }
    const bool altDown = m_leftAlt || m_rightAlt;
    const bool ctrlDown = m_leftCtrl || m_rightCtrl;

    event.flags = (mapping->extended ? kFlagExtended : 0) | (altDown ? kFlagAltDown : 0) |
                  (press ? 0 : kFlagReleased);
    // Alt combinations (and F10) are system keys unless Ctrl is held too, as AltGr is.
    const bool systemKey =
        (altDown && !ctrlDown) || linuxCode == KEY_F10 ||
        (!press && (linuxCode == KEY_LEFTALT || linuxCode == KEY_RIGHTALT) && !ctrlDown);
    if (press) {
        event.message = systemKey ? kMessageSysKeyDown : kMessageKeyDown;
    } else {
        event.message = systemKey ? kMessageSysKeyUp : kMessageKeyUp;
    }
    return event;
}

}  // namespace zephyl
