// SPDX-License-Identifier: GPL-2.0-or-later
// How many cable reports per second the transport gets through to the virtual keyboard, against
// the floor the pacing sets. Every pause is a whole pacing delay counted from the return of the
// exchange before it, so the floor is the pauses (one per report, plus one before each block)
// plus the exchanges' own time, measured by the same benchmark without pacing in the same run.
#include "catalogue/DeviceCatalogue.h"
#include "device/DeviceManager.h"
#include "protocol/ReportFrames.h"
#include "platform/Paths.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
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

/// Share of the floor reached at 1 ms pacing, per benchmark, for the report lines.
std::map<std::string, double> g_ofFloorAt1Ms;
/// Seconds a report takes without pacing, per benchmark: the exchanges' own time.
std::map<std::string, double> g_unpacedSeconds;

/// Puts the rate next to the pacing floor (the most reports per second the pauses and the
/// exchanges' own time allow; 0 without pauses) and the share of that floor reached. `seconds`
/// is the time the counted reports took. The benchmarks run without pacing first, which gives
/// the exchanges' own time.
void Report(benchmark::State& state, const char* name, int64_t reports, double seconds,
            int pacingDelay, double pausesPerReport) {
    state.counters["reports"] =
        benchmark::Counter(static_cast<double>(reports), benchmark::Counter::kIsRate);
    if (pacingDelay == 0 && reports > 0) {
        g_unpacedSeconds[name] = seconds / static_cast<double>(reports);
    }
    const auto unpaced = g_unpacedSeconds.find(name);
    const double exchangeSeconds = unpaced == g_unpacedSeconds.end() ? 0 : unpaced->second;
    const double floor =
        pacingDelay > 0 ? 1.0 / (pacingDelay * pausesPerReport / 1000.0 + exchangeSeconds) : 0;
    state.counters["floor_per_s"] = floor;
    if (floor > 0 && seconds > 0) {
        const double share = static_cast<double>(reports) / seconds / floor;
        state.counters["of_floor"] = share;
        if (pacingDelay == 1) {
            g_ofFloorAt1Ms[name] = share;
        }
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
    Report(state, "BM_CableReports", reports,
           std::chrono::duration<double>(Stopwatch::now() - start).count(), pacing, 1.0);
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
    Report(state, "BM_ConfirmedCableReports", reports,
           std::chrono::duration<double>(Stopwatch::now() - start).count(), pacing, 2.0);
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
    Report(state, "BM_CableBlock", reports, std::chrono::duration<double>(blockTime).count(),
           pacing, 10.0 / 9.0);
}

BENCHMARK(BM_CableReports)->Arg(0)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConfirmedCableReports)
    ->Arg(0)
    ->Arg(1)
    ->Arg(10)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_CableBlock)->Arg(0)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();

constexpr double kGoalShare = 0.98;

void PrintRatios() {
    const std::pair<const char*, const char*> figures[] = {
        {"BM_CableReports", "cable reports at 1 ms pacing vs floor"},
        {"BM_ConfirmedCableReports", "confirmed cable reports at 1 ms pacing vs floor"},
        {"BM_CableBlock", "cable block at 1 ms pacing vs floor"},
    };
    for (const auto& [benchmark, figure] : figures) {
        const auto found = g_ofFloorAt1Ms.find(benchmark);
        if (found == g_ofFloorAt1Ms.end()) {
            continue;
        }
        std::printf("RATIO\t%s\t%.1f %%\t>= %.0f %%\tfloor: 1 ms pauses + unpaced exchanges\t%s\n",
                    figure, 100 * found->second, 100 * kGoalShare,
                    found->second >= kGoalShare ? "met" : "MISSED");
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintRatios();
    return 0;
}
