// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "device/TransportClock.h"

#include <cstdint>

namespace zephyl {

/// The pacing pauses of one cable transfer. The keyboard's firmware may count on a whole pacing
/// delay between two exchanges, so a pause never ends before one pacing delay has passed since
/// the last exchange (a report sent or read back) returned, however long that exchange took.
///
/// Pauses are measured against deadlines rather than slept one after the other: the time spent
/// between an exchange's return and the pause (building the next report) counts towards the
/// pause, and where two pauses follow each other without an exchange between them, the second
/// ends one delay after the first one's deadline, so a late wake-up from the first is not added
/// on top of the second.
///
/// The schedule runs on from one transfer to the next only when the next one starts right away;
/// after anything else took time (an idle worker, another kind of transfer, a pause of the
/// caller's own) the first pause is a whole pacing delay again.
class ReportPacer {
public:
    explicit ReportPacer(TransportClock& clock) : m_clock(clock) {}

    /// Waits one pacing pause of `pacingMs` milliseconds.
    void Pause(int pacingMs);
    /// An exchange with the keyboard has just returned, whether or not it succeeded.
    void ExchangeEnded();
    /// The transfer is over; the next may continue its schedule if it follows at once.
    void TransferEnded();
    /// Something other than a paced transfer used the keyboard: start the schedule afresh.
    void Restart() { m_scheduled = false; }

    /// When a pause of `pacingMs` that starts at `nowUs` ends, in microseconds. Decides only;
    /// Pause records the decision and sleeps.
    uint64_t PauseDeadline(int pacingMs, uint64_t nowUs) const;

    /// How long after a transfer the next still counts as following at once, in microseconds.
    static constexpr uint64_t kFollowOnUs = 500;

private:
    TransportClock& m_clock;
    bool m_scheduled = false;    ///< m_deadline belongs to the running schedule
    bool m_inTransfer = false;   ///< a pause came since TransferEnded
    uint64_t m_deadline = 0;     ///< when the last pause was due to end
    bool m_exchanged = false;    ///< m_exchangeEnd holds a time
    uint64_t m_exchangeEnd = 0;  ///< when the last exchange returned
    uint64_t m_transferEnd = 0;  ///< when the last transfer ended
};

}  // namespace zephyl
