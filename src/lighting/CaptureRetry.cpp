// SPDX-License-Identifier: GPL-2.0-or-later
#include "lighting/CaptureRetry.h"

#include <algorithm>

namespace zephyl {

bool CaptureRetry::Due(CaptureState state, std::int64_t nowMs) {
    switch (state) {
        case CaptureState::kCapturing:
            Reset();
            return false;
        case CaptureState::kConnecting:
        case CaptureState::kStopped:
            m_dueAt = -1;
            return false;
        case CaptureState::kNoServer:
        case CaptureState::kEnded:
            break;
    }
    if (m_dueAt < 0) {
        m_dueAt = nowMs + m_delayMs;
        return false;
    }
    if (nowMs < m_dueAt) {
        return false;
    }
    m_dueAt = -1;
    m_delayMs = std::min(m_delayMs * 2, kLongestDelayMs);
    return true;
}

void CaptureRetry::Reset() {
    m_delayMs = kFirstDelayMs;
    m_dueAt = -1;
}

}  // namespace zephyl
