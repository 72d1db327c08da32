// SPDX-License-Identifier: GPL-2.0-or-later
// How many cable reports per second the transport gets through to the virtual keyboard, against
// the floor the pacing delay sets: one pause per report, plus one before each block.
#include "catalogue/DeviceCatalogue.h"
#include "device/DeviceManager.h"
#include "protocol/ReportFrames.h"
#include "platform/Paths.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <vector>

namespace {

using namespace zephyl;

std::shared_ptr<HidLibrary> g_library;

/// The keyboard 101 on its cable, as the worker sees it after a refresh.
std::unique_ptr<DeviceManager> CableManager(int pacingDelay) {
    if (!g_library) {
        g_library = HidLibrary::LoadVirtual("101:0");
    }
    auto manager = std::make_unique<DeviceManager>(g_library);
    const DeviceDescriptions descriptions = LoadDeviceDescriptions(ResourceFolder(), "", 0);
    manager->AddKnownDevices(descriptions.knownDevices);
    manager->Reopen();
    manager->SetSelectedDeviceType(101);
    manager->SetPacingDelay(pacingDelay);
    return manager;
}

using Stopwatch = std::chrono::steady_clock;

/// Puts the rate next to the pacing floor (the most reports per second the pauses alone allow;
/// 0 without pauses) and the share of that floor reached. `seconds` is the time the counted
/// reports took.
void Report(benchmark::State& state, int64_t reports, double seconds, int pacingDelay,
            double pausesPerReport) {
    state.counters["reports"] =
        benchmark::Counter(static_cast<double>(reports), benchmark::Counter::kIsRate);
    const double floor = pacingDelay > 0 ? 1000.0 / (pacingDelay * pausesPerReport) : 0;
    state.counters["floor_per_s"] = floor;
    if (floor > 0 && seconds > 0) {
        state.counters["of_floor"] = static_cast<double>(reports) / seconds / floor;
    }
}

bool Ready(benchmark::State& state, DeviceManager& manager) {
    if (!manager.Library().Loaded() || manager.CurrentConnectionMode() != kModeCable) {
        state.SkipWithError("the virtual keyboard (libzephyl-virtual-hid.so) is not available");
        return false;
    }
    return true;
}

/// Single unconfirmed reports: one pacing pause each.
void BM_CableReports(benchmark::State& state) {
    const int pacing = static_cast<int>(state.range(0));
    auto manager = CableManager(pacing);
    if (!Ready(state, *manager)) {
        return;
    }
    const CablePayload refresh = BuildRefreshCommand();
    int64_t reports = 0;
    const auto start = Stopwatch::now();
    for (auto _ : state) {
        if (!manager->SendFeature(refresh, false)) {
            state.SkipWithError("a report failed");
            return;
        }
        ++reports;
    }
    Report(state, reports, std::chrono::duration<double>(Stopwatch::now() - start).count(), pacing,
           1.0);
}

/// Confirmed reports: a pause before the report and before its read-back.
void BM_ConfirmedCableReports(benchmark::State& state) {
    const int pacing = static_cast<int>(state.range(0));
    auto manager = CableManager(pacing);
    if (!Ready(state, *manager)) {
        return;
    }
    const CablePayload begin = BuildBeginCommand();
    int64_t reports = 0;
    const auto start = Stopwatch::now();
    for (auto _ : state) {
        if (!manager->SendFeature(begin, true)) {
            state.SkipWithError("a report was not accepted");
            return;
        }
        ++reports;
    }
    Report(state, reports, std::chrono::duration<double>(Stopwatch::now() - start).count(), pacing,
           2.0);
}

/// A 576-byte key table: nine packets, a pause after each and one before the block.
void BM_CableBlock(benchmark::State& state) {
    const int pacing = static_cast<int>(state.range(0));
    auto manager = CableManager(pacing);
    if (!Ready(state, *manager)) {
        return;
    }
    std::vector<uint8_t> block(576, 0);
    SealBlock(block);
    int64_t reports = 0;
    Stopwatch::duration blockTime{};
    for (auto _ : state) {
        // Only the block is timed; the write sequence around it keeps the keyboard willing.
        state.PauseTiming();
        manager->SendFeature(BuildBeginCommand(), true);
        manager->SendFeature(BuildHeaderCommand(0x11, 0x00, 9), true);
        state.ResumeTiming();
        const auto blockStart = Stopwatch::now();
        if (!manager->SendFeature(block, false)) {
            state.SkipWithError("a block failed");
            return;
        }
        blockTime += Stopwatch::now() - blockStart;
        state.PauseTiming();
        manager->SendFeature(BuildEndCommand(), true);
        state.ResumeTiming();
        reports += 9;
    }
    Report(state, reports, std::chrono::duration<double>(blockTime).count(), pacing, 10.0 / 9.0);
}

BENCHMARK(BM_CableReports)->Arg(0)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConfirmedCableReports)
    ->Arg(0)
    ->Arg(1)
    ->Arg(10)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_CableBlock)->Arg(0)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
