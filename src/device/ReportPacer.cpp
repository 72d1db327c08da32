// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/ReportPacer.h"

#include <algorithm>

namespace zephyl {

void ReportPacer::Pause(int pacingMs) {
    if (pacingMs <= 0) {
        return;
    }
    const uint64_t now = m_clock.NowUs();
    const uint64_t period = static_cast<uint64_t>(pacingMs) * 1000;
    if (!m_inTransfer) {
        // The first pause of a transfer continues the schedule only when the transfer follows
        // the previous one at once; otherwise nothing is owed and the pause is whole.
        if (m_scheduled && now > m_transferEnd + kFollowOnUs) {
            m_scheduled = false;
        }
        m_inTransfer = true;
    }
    uint64_t deadline = m_scheduled ? m_deadline + period : now + period;
    if (m_scheduled && deadline + period < now) {
        // More than a whole period behind is no late wake-up but a stall: start afresh.
        deadline = now + period;
    }
    // The schedule keeps its own deadline even where the gap pushes this pause further, so the
    // pauses after it make up the difference.
    m_deadline = deadline;
    m_scheduled = true;
    if (m_reported) {
        deadline = std::max(deadline, m_lastReport + MinimumGapUs(pacingMs));
    }
    m_clock.SleepUntilUs(deadline);
}

void ReportPacer::ReportGoing() {
    m_lastReport = m_clock.NowUs();
    m_reported = true;
}

void ReportPacer::TransferEnded() {
    m_transferEnd = m_clock.NowUs();
    m_inTransfer = false;
}

}  // namespace zephyl
