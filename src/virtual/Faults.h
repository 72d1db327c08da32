// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "virtual/Json.h"

#include <string_view>

namespace zephyl::virtualhid {

/// Misbehaviour injected on request, so the host's error paths can be exercised:
///
/// | name            | value        | effect                                                      |
/// |-----------------|--------------|-------------------------------------------------------------|
/// | busy            | count        | the next command reports on a feature interface are not     |
/// |                 |              | taken and read back with status 0xFF                        |
/// | wrong_status    | count        | the next command reports are taken but read back with       |
/// |                 |              | status 2                                                    |
/// | lost_answer     | count        | the next receiver frames are acted on but get no answer     |
/// | no_echo         | count        | the next receiver answers are preceded by a stray answer    |
/// |                 |              | whose first bytes do not echo the frame                     |
/// | unplug_after    | count        | the connection that carries the n-th next report is         |
/// |                 |              | unplugged right after that report                           |
/// | unplug_in_block | count        | unplugged right after the n-th data report of the next      |
/// |                 |              | block                                                       |
/// | slow            | milliseconds | every answer (read-back, receiver or bulk answer) comes     |
/// |                 |              | late                                                        |
///
/// A value of 0 switches a fault off. Counts are consumed as reports arrive.
class FaultState {
public:
    /// Sets a fault; false for an unknown name or a negative value.
    bool Set(std::string_view name, int value);
    void Clear() { *this = FaultState{}; }

    bool TakeBusy() { return Take(m_busy); }
    bool TakeWrongStatus() { return Take(m_wrongStatus); }
    bool TakeLostAnswer() { return Take(m_lostAnswer); }
    bool TakeNoEcho() { return Take(m_noEcho); }
    int SlowMilliseconds() const { return m_slow; }

    /// Counts one report exchanged; true when it is the one after which to unplug.
    bool CountReport() { return Take(m_unplugAfter) && m_unplugAfter == 0; }
    /// Counts one data report of a block; true when it is the one after which to unplug.
    bool CountBlockReport() { return Take(m_unplugInBlock) && m_unplugInBlock == 0; }

    JsonValue ToJson() const;

private:
    static bool Take(int& counter) {
        if (counter <= 0) {
            return false;
        }
        --counter;
        return true;
    }

    int m_busy = 0;
    int m_wrongStatus = 0;
    int m_lostAnswer = 0;
    int m_noEcho = 0;
    int m_unplugAfter = 0;
    int m_unplugInBlock = 0;
    int m_slow = 0;
};

}  // namespace zephyl::virtualhid
