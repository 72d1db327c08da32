// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <optional>

namespace zephyl {

// Keyboard messages and event flags of a captured key event, as the capture rules test them.
inline constexpr int kMessageKeyDown = 256;
inline constexpr int kMessageKeyUp = 257;
inline constexpr int kMessageSysKeyDown = 260;
inline constexpr int kMessageSysKeyUp = 261;
inline constexpr int kFlagExtended = 0x01;
inline constexpr int kFlagInjected = 0x10;
inline constexpr int kFlagAltDown = 0x20;
inline constexpr int kFlagReleased = 0x80;

/// One key event of a running capture.
struct HookKeyEvent {
    int message = 0;  ///< kMessageKeyDown, kMessageKeyUp, kMessageSysKeyDown, kMessageSysKeyUp
    int virtualKey = 0;
    int scanCode = 0;
    int flags = 0;
    std::int64_t timeMs = 0;
};

/// Turns the Linux key events a capture grabs (press, release, auto-repeat) into HookKeyEvents:
/// the fixed table gives the codes, and the translator keeps what the flags and messages depend
/// on: which Alt and Ctrl keys are down, and the Num Lock state.
class KeyEventTranslator {
public:
    /// Linux event values.
    static constexpr int kReleased = 0;
    static constexpr int kPressed = 1;
    static constexpr int kRepeated = 2;

    explicit KeyEventTranslator(bool numLockOn = true) : m_numLockOn(numLockOn) {}

    /// The event for a Linux key event; nothing for a key the table does not know or an event
    /// value other than the three above.
    std::optional<HookKeyEvent> Translate(int linuxCode, int value, std::int64_t timeMs);

    /// The state the keyboard's lock light shows, for example when a capture starts.
    void SetNumLock(bool on) { m_numLockOn = on; }
    bool NumLock() const { return m_numLockOn; }

private:
    bool m_numLockOn;
    bool m_leftAlt = false;
    bool m_rightAlt = false;
    bool m_leftCtrl = false;
    bool m_rightCtrl = false;
};

}  // namespace zephyl
