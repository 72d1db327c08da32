// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/ReportPacer.h"

#include <algorithm>

namespace zephyl {

uint64_t ReportPacer::PauseDeadline(int pacingMs, uint64_t nowUs) const {
    if (pacingMs <= 0) {
        return nowUs;
    }
    const uint64_t period = static_cast<uint64_t>(pacingMs) * 1000;
    // The first pause of a transfer continues the schedule only when the transfer follows the
    // previous one at once; otherwise nothing is owed and the pause is whole.
    bool scheduled = m_scheduled;
    if (scheduled && !m_inTransfer && nowUs > m_transferEnd + kFollowOnUs) {
        scheduled = false;
    }
    uint64_t deadline = scheduled ? m_deadline + period : nowUs + period;
    if (scheduled && deadline + period < nowUs) {
        // More than a whole period behind is no late wake-up but a stall: start afresh.
        deadline = nowUs + period;
    }
    if (m_exchanged) {
        deadline = std::max(deadline, m_exchangeEnd + period);
    }
    return deadline;
}

void ReportPacer::Pause(int pacingMs) {
    if (pacingMs <= 0) {
        return;
    }
    const uint64_t deadline = PauseDeadline(pacingMs, m_clock.NowUs());
    m_inTransfer = true;
    m_scheduled = true;
    m_deadline = deadline;
    m_clock.SleepUntilUs(deadline);
}

void ReportPacer::ExchangeEnded() {
    m_exchangeEnd = m_clock.NowUs();
    m_exchanged = true;
}

void ReportPacer::TransferEnded() {
    m_transferEnd = m_clock.NowUs();
    m_inTransfer = false;
}

}  // namespace zephyl
