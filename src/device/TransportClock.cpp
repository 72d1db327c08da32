// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/TransportClock.h"

#include <chrono>
#include <thread>

namespace zephyl {

void SteadyTransportClock::Sleep(int milliseconds) {
    if (milliseconds > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}

uint64_t SteadyTransportClock::NowMs() {
    return NowUs() / 1000;
}

uint64_t SteadyTransportClock::NowUs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

void SteadyTransportClock::SleepUntilUs(uint64_t deadline) {
    std::this_thread::sleep_until(std::chrono::steady_clock::time_point(
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(
            std::chrono::microseconds(deadline))));
}

}  // namespace zephyl
