// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "lighting/VisualizerCapture.h"

#include <cstdint>

namespace zephyl {

/// When a capture that found no sound server, or lost it, connects again: soon at first, then
/// less and less often. A server started after the program, or restarted, is found without a
/// restart of the program, and an absent one costs an attempt every few seconds at most.
class CaptureRetry {
public:
    static constexpr std::int64_t kFirstDelayMs = 500;
    static constexpr std::int64_t kLongestDelayMs = 8000;

    /// Whether to connect again now, given the capture's state at `nowMs`. A failed state
    /// starts a wait; the attempt is due when the wait is over, and the next wait is twice as
    /// long. Capturing starts the back-off over; connecting and stopped wait for nothing.
    bool Due(CaptureState state, std::int64_t nowMs);
    /// The next failure is tried again soon (the page showing the capture came back).
    void Reset();
    /// The wait the next failure gets.
    std::int64_t DelayMs() const { return m_delayMs; }

private:
    std::int64_t m_delayMs = kFirstDelayMs;
    std::int64_t m_dueAt = -1;  ///< when the pending attempt is due; −1 when none is pending
};

}  // namespace zephyl
