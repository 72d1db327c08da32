// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/ReportPacer.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace zephyl {
namespace {

/// Microsecond time that moves only when something waits; each wait ends as late as the next
/// entry of `lateness` says.
class LateClock final : public TransportClock {
public:
    void Sleep(int milliseconds) override { Wake(m_now + uint64_t(milliseconds) * 1000); }
    uint64_t NowMs() override { return m_now / 1000; }
    uint64_t NowUs() override { return m_now; }
    void SleepUntilUs(uint64_t deadline) override { Wake(std::max(deadline, m_now)); }
    void Advance(uint64_t us) { m_now += us; }

    std::deque<uint64_t> lateness;
    uint64_t m_now = 1'000'000;

private:
    void Wake(uint64_t at) {
        m_now = at;
        if (!lateness.empty()) {
            m_now += lateness.front();
            lateness.pop_front();
        }
    }
};

/// A block as the transport sends it: a pause, then each packet followed by a pause. Returns the
/// times the packets left; each send takes `sendUs`.
std::vector<uint64_t> SendBlock(ReportPacer& pacer, LateClock& clock, int pacingMs, int packets,
                                uint64_t sendUs) {
    std::vector<uint64_t> sent;
    pacer.Pause(pacingMs);
    for (int i = 0; i < packets; ++i) {
        sent.push_back(clock.m_now);
        pacer.ReportGoing();
        clock.Advance(sendUs);
        pacer.Pause(pacingMs);
    }
    pacer.TransferEnded();
    return sent;
}

TEST(ReportPacerTest, BlockKeepsToTheFloorAndTheMinimumGap) {
    const struct {
        const char* name;
        std::vector<uint64_t> lateness;  // per pause, microseconds
        uint64_t sendUs;
        uint64_t allowedOverFloorUs;  // the block's time past (packets + 1) pauses
    } cases[] = {
        {"on time", {}, 0, 0},
        // Slow sends are part of the pause, not added to it.
        {"slow sends", {}, 300, 0},
        // Each wake-up 0.1 ms late: the lateness does not add up, only the last one shows.
        {"small lateness", std::vector<uint64_t>(10, 100), 0, 100},
        // One wake-up 0.6 of a period late: made up for only down to the minimum gap.
        {"one late wake-up", {0, 0, 0, 600}, 0, 0},
        // Stalls longer than a period are not made up for.
        {"stall", {0, 0, 2500}, 0, 2500},
    };
    constexpr int kPacingMs = 1;
    constexpr int kPackets = 9;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LateClock clock;
        clock.lateness.assign(c.lateness.begin(), c.lateness.end());
        ReportPacer pacer(clock);
        const uint64_t start = clock.m_now;
        const std::vector<uint64_t> sent = SendBlock(pacer, clock, kPacingMs, kPackets, c.sendUs);
        for (size_t i = 1; i < sent.size(); ++i) {
            EXPECT_GE(sent[i] - sent[i - 1], ReportPacer::MinimumGapUs(kPacingMs)) << i;
        }
        const uint64_t floor = (kPackets + 1) * 1000;
        EXPECT_GE(clock.m_now - start, floor);
        EXPECT_LE(clock.m_now - start, floor + c.allowedOverFloorUs);
    }
}

TEST(ReportPacerTest, ScheduleRunsOnOnlyIntoATransferThatFollowsAtOnce) {
    const struct {
        uint64_t idleUs;        // between the two transfers
        uint64_t firstPauseUs;  // how long the second transfer's first pause takes
    } cases[] = {
        {0, 1000},     // follows at once: its pause is the next step of the schedule
        {300, 700},    // follows closely: the time between counts towards the pause
        {5000, 1000},  // after a break, a whole pause again
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.idleUs);
        LateClock clock;
        ReportPacer pacer(clock);
        SendBlock(pacer, clock, 1, 3, 0);
        clock.Advance(c.idleUs);
        const uint64_t before = clock.m_now;
        pacer.Pause(1);
        EXPECT_EQ(clock.m_now - before, c.firstPauseUs);
    }
}

TEST(ReportPacerTest, MillisecondClocksSleepWholePauses) {
    // Clocks without finer time (the transport's test clocks) see exactly the pacing delays.
    struct MsClock final : TransportClock {
        void Sleep(int ms) override {
            sleeps.push_back(ms);
            now += uint64_t(ms);
        }
        uint64_t NowMs() override { return now; }
        std::vector<int> sleeps;
        uint64_t now = 1000;
    } clock;
    ReportPacer pacer(clock);
    pacer.Pause(10);
    pacer.ReportGoing();
    pacer.Pause(10);
    pacer.TransferEnded();
    pacer.Pause(10);
    pacer.Pause(0);
    EXPECT_EQ(clock.sleeps, (std::vector<int>{10, 10, 10}));
}

}  // namespace
}  // namespace zephyl
