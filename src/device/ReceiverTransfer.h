// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

namespace zephyl {

/// How one receiver exchange ended.
enum class ReceiverAnswer {
    kAnswered,    ///< the keyboard echoed the frame
    kUnanswered,  ///< the frame left, but no echo came within the answer wait
    kUnreachable  ///< the frame could not be written: the keyboard or its receiver is gone
};

/// When a long receiver transfer (a screen image, thousands of frames sent in order) gives up.
/// The keyboard takes the frames of such a transfer only in order, so once it stops answering,
/// the frames after are of no use; a transfer is also bounded by its size, so a keyboard that
/// answers ever more slowly cannot hold the worker for longer than a healthy one would need
/// several times over.
class ReceiverTransferBudget {
public:
    /// Time every transfer may take whatever its size, and time per frame: a healthy keyboard
    /// answers a frame within the first or second read of the answer wait (under 30 ms).
    static constexpr uint64_t kFixedMs = 2000;
    static constexpr uint64_t kPerFrameMs = 50;
    /// Unanswered frames in a row after which the keyboard is taken as no longer listening;
    /// a single lost answer (the frame may still have been taken) does not end the transfer.
    static constexpr int kMissesInARow = 3;

    ReceiverTransferBudget(std::size_t frames, uint64_t startMs)
        : m_deadline(startMs + kFixedMs + kPerFrameMs * frames) {}

    /// Whether the transfer goes on after a frame's exchange ended with `answer` at `nowMs`.
    bool GoOn(ReceiverAnswer answer, uint64_t nowMs) {
        if (answer == ReceiverAnswer::kUnreachable) {
            return false;
        }
        m_missesInARow = answer == ReceiverAnswer::kAnswered ? 0 : m_missesInARow + 1;
        return m_missesInARow < kMissesInARow && nowMs <= m_deadline;
    }

    uint64_t DeadlineMs() const { return m_deadline; }

private:
    uint64_t m_deadline;
    int m_missesInARow = 0;
};

/// What a receiver transfer achieved.
struct ReceiverTransferResult {
    std::size_t sent = 0;      ///< frames handed to the receiver before the transfer ended
    bool complete = false;     ///< every frame was sent and answered
    bool unreachable = false;  ///< it ended because the keyboard could not be reached
};

}  // namespace zephyl
