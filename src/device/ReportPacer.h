// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "device/TransportClock.h"

#include <cstdint>

namespace zephyl {

/// The pacing pauses of one cable transfer, measured against deadlines instead of slept one after
/// the other: a pause ends one pacing delay after the previous pause's deadline, so the time a
/// report takes to send and the lateness of each wake-up do not add up over a block. A wake-up
/// that came late is made up for only down to a minimum gap between two reports, so the keyboard
/// never gets two reports closer than three quarters of the pacing delay.
///
/// The schedule runs on from one transfer to the next only when the next one starts right away;
/// after anything else took time (an idle worker, another kind of transfer, a pause of the
/// caller's own) the first pause is a whole pacing delay again.
class ReportPacer {
public:
    explicit ReportPacer(TransportClock& clock) : m_clock(clock) {}

    /// Waits one pacing pause of `pacingMs` milliseconds.
    void Pause(int pacingMs);
    /// A report goes out now: the next one keeps the minimum gap from it. Called as the report
    /// is handed over, so the time the hand-over takes counts towards the gap, as it does for
    /// the next report.
    void ReportGoing();
    /// The transfer is over; the next may continue its schedule if it follows at once.
    void TransferEnded();
    /// Something other than a paced transfer used the keyboard: start the schedule afresh.
    void Restart() { m_scheduled = false; }

    /// The shortest gap between two reports, in microseconds, for a pacing delay.
    static uint64_t MinimumGapUs(int pacingMs) { return static_cast<uint64_t>(pacingMs) * 750; }
    /// How long after a transfer the next still counts as following at once, in microseconds.
    static constexpr uint64_t kFollowOnUs = 500;

private:
    TransportClock& m_clock;
    bool m_scheduled = false;   ///< m_deadline belongs to the running schedule
    bool m_inTransfer = false;  ///< a pause came since TransferEnded
    uint64_t m_deadline = 0;    ///< when the last pause was due to end
    uint64_t m_lastReport = 0;  ///< when the last report left
    bool m_reported = false;
    uint64_t m_transferEnd = 0;  ///< when the last transfer ended
};

}  // namespace zephyl
