// SPDX-License-Identifier: GPL-2.0-or-later
// The screen image of a 256-frame 128 × 128 GIF, beside giflib's bare decode of the same file,
// and a whole bulk upload to the virtual keyboard beside the floor its paced reports set.
#include "catalogue/DeviceCatalogue.h"
#include "device/DeviceManager.h"
#include "platform/Paths.h"
#include "protocol/ScreenReports.h"
#include "screen/GifCodec.h"
#include "screen/ScreenLibrary.h"

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

using namespace zephyl;
using Stopwatch = std::chrono::steady_clock;

constexpr int kFrames = 256;
constexpr int kSide = 128;

/// A 256-frame animation of moving gradients, written once per run.
const std::string& BenchGif() {
    static const std::string path = [] {
        const std::string file =
            (std::filesystem::temp_directory_path() / "zephyl-bench-screen.gif").string();
        std::vector<RgbaImage> frames;
        for (int f = 0; f < kFrames; ++f) {
            RgbaImage frame(kSide, kSide);
            for (int y = 0; y < kSide; ++y) {
                for (int x = 0; x < kSide; ++x) {
                    std::uint8_t* p = frame.Pixel(x, y);
                    p[0] = static_cast<std::uint8_t>(x * 2 + f);
                    p[1] = static_cast<std::uint8_t>(y * 2);
                    p[2] = static_cast<std::uint8_t>(128 + 127 * std::sin((x + y + f) * 0.05));
                    p[3] = 255;
                }
            }
            frames.push_back(std::move(frame));
        }
        const std::vector<int> delays(kFrames, 40);
        EncodeGifFile(file, frames, delays, kSide, kSide, nullptr);
        return file;
    }();
    return path;
}

double BareDecodeSeconds() {
    const auto start = Stopwatch::now();
    int status = 0;
    GifFileType* gif = DGifOpenFileName(BenchGif().c_str(), &status);
    if (gif) {
        DGifSlurp(gif);
        DGifCloseFile(gif, &status);
    }
    return std::chrono::duration<double>(Stopwatch::now() - start).count();
}

void BM_GiflibBareDecode(benchmark::State& state) {
    BenchGif();
    for (auto _ : state) {
        benchmark::DoNotOptimize(BareDecodeSeconds());
    }
}
BENCHMARK(BM_GiflibBareDecode)->Unit(benchmark::kMillisecond);

/// Goal: at most 60 ms on the project's machine; `of_giflib` puts it beside the bare decode.
void BM_ScreenImageFromGif(benchmark::State& state) {
    const ScreenGeometry geometry{kSide, kSide, 257, kFrames};
    double built = 0;
    int runs = 0;
    for (auto _ : state) {
        const auto start = Stopwatch::now();
        ScreenImage image;
        BuildFileImage(BenchGif(), geometry, kScreenCableUnit, 100, image, nullptr);
        benchmark::DoNotOptimize(image.bytes.data());
        built += std::chrono::duration<double>(Stopwatch::now() - start).count();
        ++runs;
    }
    double bare = 0;
    for (int i = 0; i < 5; ++i) {
        bare += BareDecodeSeconds();
    }
    state.counters["build_ms"] = 1000 * built / std::max(1, runs);
    state.counters["giflib_ms"] = 1000 * bare / 5;
    state.counters["of_giflib"] = (built / std::max(1, runs)) / (bare / 5);
}
BENCHMARK(BM_ScreenImageFromGif)->Unit(benchmark::kMillisecond);

/// A 10-frame upload on the cable of the screen model. The pacing delay comes before each of
/// the begin, header and end reports; the bulk units have no pause of their own, so the floor is
/// those three pauses and `of_floor` says how close the whole upload comes to it.
void BM_CableUpload(benchmark::State& state) {
    static std::shared_ptr<HidLibrary> library = HidLibrary::LoadVirtual("102:0");
    DeviceManager manager(library);
    manager.AddKnownDevices(LoadDeviceDescriptions(ResourceFolder(), "", 0).knownDevices);
    manager.Reopen();
    manager.SetSelectedDeviceType(102);
    const int pacing = manager.PacingDelay();
    const ScreenGeometry geometry{160, 128, 256, 100};
    const std::vector<int> delays(10, 100);
    const ScreenImage image = MakeScreenImage(geometry, delays, kScreenCableUnit);
    double seconds = 0;
    int64_t uploads = 0;
    for (auto _ : state) {
        const auto start = Stopwatch::now();
        manager.SendFeature(BuildBeginCommand(), true);
        manager.SendFeature(
            BuildHeaderCommand(kDataScreenImage, 1, static_cast<uint16_t>(image.units)), true);
        for (std::size_t i = 0; i < image.units; ++i) {
            manager.SendBulk(image.Unit(i));
        }
        manager.SendFeature(BuildEndCommand(), true);
        seconds += std::chrono::duration<double>(Stopwatch::now() - start).count();
        ++uploads;
    }
    const double floorSeconds = 3 * pacing / 1000.0;
    state.counters["units"] = static_cast<double>(image.units);
    state.counters["upload_ms"] = 1000 * seconds / std::max<int64_t>(1, uploads);
    state.counters["floor_ms"] = 1000 * floorSeconds;
    if (seconds > 0) {
        state.counters["of_floor"] = floorSeconds * static_cast<double>(uploads) / seconds;
    }
}
BENCHMARK(BM_CableUpload)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
