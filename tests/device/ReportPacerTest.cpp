// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/ReportPacer.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace zephyl {
namespace {

/// Microsecond time that moves only when something waits or an exchange takes time; each wait
/// ends as late as the next entry of `lateness` says.
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

/// One exchange as the keyboard sees it: from the call to its return.
struct Exchange {
    uint64_t start = 0;
    uint64_t end = 0;
};

/// Drives the pacer as the transport does and keeps the exchanges it let through.
class Transport {
public:
    Transport(LateClock& clock, int pacingMs)
        : m_clock(clock), m_pacer(clock), m_pacing(pacingMs) {}

    void Pause() { m_pacer.Pause(m_pacing); }
    void Exchange(uint64_t takesUs) {
        exchanges.push_back({m_clock.m_now, m_clock.m_now + takesUs});
        m_clock.Advance(takesUs);
        m_pacer.ExchangeEnded();
    }
    /// A confirmed report: a pause before the report and before its read-back.
    void Confirmed(uint64_t sendUs, uint64_t readBackUs) {
        Pause();
        Exchange(sendUs);
        Pause();
        Exchange(readBackUs);
        m_pacer.TransferEnded();
    }
    /// A block: a pause, then each packet followed by a pause.
    void Block(int packets, uint64_t sendUs) {
        Pause();
        for (int i = 0; i < packets; ++i) {
            Exchange(sendUs);
            Pause();
        }
        m_pacer.TransferEnded();
    }
    /// The shortest time between one exchange's return and the next one's call.
    uint64_t ShortestGap() const {
        uint64_t shortest = UINT64_MAX;
        for (size_t i = 1; i < exchanges.size(); ++i) {
            shortest = std::min(shortest, exchanges[i].start - exchanges[i - 1].end);
        }
        return shortest;
    }

    std::vector<zephyl::Exchange> exchanges;
    ReportPacer& Pacer() { return m_pacer; }

private:
    LateClock& m_clock;
    ReportPacer m_pacer;
    int m_pacing;
};

TEST(ReportPacerTest, NoGapBetweenExchangesIsShorterThanThePacingDelay) {
    const struct {
        const char* name;
        int pacingMs;
        uint64_t readBackUs;             // how long each read-back takes to answer
        std::vector<uint64_t> lateness;  // per pause, microseconds
    } cases[] = {
        // Answers 6 ms late: the pause after them is whole all the same.
        {"slow answers at 10 ms", 10, 6000, {}},
        {"slow answers at 15 ms", 15, 6000, {}},
        {"slow answers at 6 ms", 6, 6000, {}},
        {"answers as slow as a period", 10, 10'000, {}},
        // A late wake-up is never made up for by cutting a later gap short.
        {"late wake-ups", 10, 50, {0, 3000, 0, 7000, 200, 0, 9000}},
        {"late wake-ups and slow answers", 10, 6000, {2500, 0, 6000, 0, 100}},
        {"stall", 10, 50, {0, 0, 25'000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LateClock clock;
        clock.lateness.assign(c.lateness.begin(), c.lateness.end());
        Transport transport(clock, c.pacingMs);
        // A write sequence: begin and header confirmed, the block, end confirmed.
        transport.Confirmed(100, c.readBackUs);
        transport.Confirmed(100, c.readBackUs);
        transport.Block(9, 300);
        transport.Confirmed(100, c.readBackUs);
        ASSERT_EQ(transport.exchanges.size(), 15u);
        EXPECT_GE(transport.ShortestGap(), uint64_t(c.pacingMs) * 1000);
    }
}

TEST(ReportPacerTest, TimeBeforeAPauseCountsTowardsIt) {
    // What the transport does between an exchange's return and the pause (building the next
    // report) is part of the pause, so the gap is the delay and no more.
    LateClock clock;
    Transport transport(clock, 10);
    transport.Pause();
    transport.Exchange(100);
    clock.Advance(700);
    transport.Pause();
    transport.Exchange(100);
    EXPECT_EQ(transport.ShortestGap(), 10'000u);
}

TEST(ReportPacerTest, BackToBackPausesAbsorbALateWakeUp) {
    // A block ends with a pause and the next transfer begins with one. When the block's closing
    // pause wakes late, the next pause ends one delay after the closing one was due: the gap from
    // the last packet is two delays, not two delays and the lateness.
    for (const uint64_t lateUs : {uint64_t(0), uint64_t(600), uint64_t(4000)}) {
        SCOPED_TRACE(lateUs);
        LateClock clock;
        clock.lateness = {0, 0, lateUs};  // the pauses of the block; the last one closes it
        Transport transport(clock, 10);
        transport.Block(2, 0);
        const uint64_t lastPacketEnd = transport.exchanges.back().end;
        transport.Block(1, 0);
        EXPECT_EQ(transport.exchanges.back().start - lastPacketEnd, 20'000u);
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
        Transport transport(clock, 1);
        transport.Block(3, 0);
        clock.Advance(c.idleUs);
        const uint64_t before = clock.m_now;
        transport.Pause();
        EXPECT_EQ(clock.m_now - before, c.firstPauseUs);
    }
}

TEST(ReportPacerTest, DeadlineIsADecisionWithoutSleeping) {
    LateClock clock;
    ReportPacer pacer(clock);
    EXPECT_EQ(pacer.PauseDeadline(10, 5'000'000), 5'010'000u) << "a fresh pacer: a whole delay";
    EXPECT_EQ(pacer.PauseDeadline(0, 5'000'000), 5'000'000u);
    EXPECT_EQ(clock.m_now, 1'000'000u) << "deciding does not wait";

    pacer.Pause(10);          // until 1'010'000
    clock.m_now = 1'016'000;  // an answer 6 ms late
    pacer.ExchangeEnded();
    EXPECT_EQ(pacer.PauseDeadline(10, 1'016'500), 1'026'000u)
        << "a whole delay after the slow answer, not the schedule's 1'020'000";
    clock.m_now = 1'010'200;  // a quick answer instead
    pacer.ExchangeEnded();
    EXPECT_EQ(pacer.PauseDeadline(10, 1'011'000), 1'020'200u);
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
    pacer.ExchangeEnded();
    pacer.Pause(10);
    pacer.TransferEnded();
    pacer.Pause(10);
    pacer.Pause(0);
    EXPECT_EQ(clock.sleeps, (std::vector<int>{10, 10, 10}));
}

}  // namespace
}  // namespace zephyl
