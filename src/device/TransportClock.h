// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>

namespace zephyl {

/// The pauses and tick counts of the report transport. The device manager uses the steady clock;
/// tests hand in a clock whose time only moves when something waits.
class TransportClock {
public:
    virtual ~TransportClock() = default;
    virtual void Sleep(int milliseconds) = 0;
    virtual uint64_t NowMs() = 0;
    /// Finer time for pacing against deadlines; clocks that only count milliseconds keep those.
    virtual uint64_t NowUs() { return NowMs() * 1000; }
    /// Waits until NowUs() reaches `deadline`; returns at once when it has passed.
    virtual void SleepUntilUs(uint64_t deadline) {
        const uint64_t now = NowUs();
        if (deadline > now) {
            Sleep(static_cast<int>((deadline - now + 999) / 1000));
        }
    }
};

/// Plain sleeps on the calling thread and the monotonic clock.
class SteadyTransportClock final : public TransportClock {
public:
    void Sleep(int milliseconds) override;
    uint64_t NowMs() override;
    uint64_t NowUs() override;
    void SleepUntilUs(uint64_t deadline) override;
};

/// Marks the stretches where short pauses must be honoured precisely (block reads, real-time
/// streams). Linux sleeps already are, so it only keeps the place visible.
class TimerResolutionScope {
public:
    TimerResolutionScope() {}
    ~TimerResolutionScope() {}
    TimerResolutionScope(const TimerResolutionScope&) = delete;
    TimerResolutionScope& operator=(const TimerResolutionScope&) = delete;
};

}  // namespace zephyl
