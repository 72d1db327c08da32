// SPDX-License-Identifier: GPL-2.0-or-later
// What every benchmark program shares: the report's RATIO lines, thread CPU time, private
// folders for the program's data, and a transport clock that counts the pauses it makes.
#pragma once

#include "device/TransportClock.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>

namespace zephyl::bench {

/// One line of the report's table: figure, measured, goal, anchor, met or MISSED.
void PrintRatio(const char* name, const std::string& measured, const std::string& goal,
                const std::string& anchor, bool met);

/// `value` through a printf format of one number.
std::string Format(const char* format, double value);

/// CPU time of the calling thread, in seconds.
double ThreadCpuSeconds();

/// Points the data, configuration and runtime folders at a fresh folder named after `name`, and
/// forgets any virtual keyboard state or log the caller's environment names. Made once; later
/// calls return the same folder.
const std::filesystem::path& UseBenchFolders(const char* name);

/// The steady clock, counting what the transport asks of it: plain sleeps (and how late they
/// woke), and paced pauses against a deadline.
class CountingClock final : public TransportClock {
public:
    void Sleep(int milliseconds) override;
    uint64_t NowMs() override { return m_steady.NowMs(); }
    uint64_t NowUs() override { return m_steady.NowUs(); }
    void SleepUntilUs(uint64_t deadline) override;

    void Reset();
    long long SleptMs() const { return m_sleptMs.load(); }
    long long PacedPauses() const { return m_pauses.load(); }
    /// How much longer than asked the plain sleeps took: the system's wake-up latency.
    long long OvershootUs() const { return m_overshootUs.load(); }

private:
    SteadyTransportClock m_steady;
    std::atomic<long long> m_sleptMs{0};
    std::atomic<long long> m_pauses{0};
    std::atomic<long long> m_overshootUs{0};
};

}  // namespace zephyl::bench
