// SPDX-License-Identifier: GPL-2.0-or-later
// The analyser's own 512-point real transform beside the packaged libraries that could replace
// it (FFTW's single precision, KissFFT's real transform), on the same music-like input. Each is
// checked against ours before it is timed, so a wrong setup cannot win the comparison.
#include "BenchSupport.h"
#include "lighting/VisualizerAnalysis.h"

#include <benchmark/benchmark.h>

#if ZEPHYL_BENCH_FFTW
#include <fftw3.h>
#endif
#if ZEPHYL_BENCH_KISSFFT
#include <kiss_fftr.h>
#endif

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdio>
#include <ctime>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

namespace {

using namespace zephyl;
using namespace zephyl::bench;
constexpr int kLength = kSampleRingLength;
constexpr int kBins = kLength / 2;

std::array<float, kLength> Input() {
    std::array<float, kLength> samples{};
    for (int i = 0; i < kLength; ++i) {
        const double t = i / 48000.0;
        samples[i] = static_cast<float>(0.3 * std::sin(2 * std::numbers::pi * 440 * t) +
                                        0.1 * std::sin(2 * std::numbers::pi * 3000 * t) +
                                        0.02 * std::cos(2 * std::numbers::pi * 97 * t));
    }
    return samples;
}

/// The magnitudes of bins 1..255 from our packed output.
std::vector<float> OwnMagnitudes() {
    std::array<float, kLength> data = Input();
    RealFft512(data);
    std::vector<float> magnitudes(kBins);
    for (int k = 1; k < kBins; ++k) {
        magnitudes[k] = std::hypot(data[2 * k], data[2 * k + 1]);
    }
    return magnitudes;
}

/// Largest difference of a library's magnitudes from ours, against the largest magnitude.
double Disagreement(const std::vector<float>& other) {
    const std::vector<float> own = OwnMagnitudes();
    double worst = 0;
    double peak = 0;
    for (int k = 1; k < kBins; ++k) {
        worst = std::max(worst, static_cast<double>(std::abs(own[k] - other[k])));
        peak = std::max(peak, static_cast<double>(own[k]));
    }
    return peak > 0 ? worst / peak : 1;
}

/// Median CPU nanoseconds of one call over a few batches.
double NanosecondsPerCall(const std::function<void()>& call) {
    constexpr int kCalls = 20000;
    std::vector<double> batches;
    for (int batch = 0; batch < 7; ++batch) {
        const double start = ThreadCpuSeconds();
        for (int i = 0; i < kCalls; ++i) {
            call();
        }
        batches.push_back((ThreadCpuSeconds() - start) * 1e9 / kCalls);
    }
    std::sort(batches.begin(), batches.end());
    return batches[batches.size() / 2];
}

struct Candidate {
    std::string name;
    std::function<void()> call;
    double disagreement = 0;
};

void OwnFft(benchmark::State& state) {
    const std::array<float, kLength> input = Input();
    std::array<float, kLength> data{};
    for (auto _ : state) {
        data = input;
        RealFft512(data);
        benchmark::DoNotOptimize(data);
    }
}
BENCHMARK(OwnFft);

#if ZEPHYL_BENCH_FFTW
/// FFTW's plan for the analyser's transform, measured once (FFTW_MEASURE) as a program would.
struct FftwPlan {
    float* in = fftwf_alloc_real(kLength);
    fftwf_complex* out = fftwf_alloc_complex(kBins + 1);
    fftwf_plan plan = fftwf_plan_dft_r2c_1d(kLength, in, out, FFTW_MEASURE);
    ~FftwPlan() {
        fftwf_destroy_plan(plan);
        fftwf_free(in);
        fftwf_free(out);
    }
    void Run(const std::array<float, kLength>& input) {
        std::copy(input.begin(), input.end(), in);
        fftwf_execute(plan);
    }
    std::vector<float> Magnitudes() {
        Run(Input());
        std::vector<float> magnitudes(kBins);
        for (int k = 1; k < kBins; ++k) {
            magnitudes[k] = std::hypot(out[k][0], out[k][1]);
        }
        return magnitudes;
    }
};

void Fftw(benchmark::State& state) {
    FftwPlan fftw;
    const std::array<float, kLength> input = Input();
    for (auto _ : state) {
        fftw.Run(input);
        benchmark::DoNotOptimize(fftw.out);
    }
}
BENCHMARK(Fftw);
#endif

#if ZEPHYL_BENCH_KISSFFT
struct KissPlan {
    kiss_fftr_cfg config = kiss_fftr_alloc(kLength, 0, nullptr, nullptr);
    std::array<kiss_fft_cpx, kBins + 1> out{};
    ~KissPlan() { kiss_fftr_free(config); }
    void Run(const std::array<float, kLength>& input) {
        kiss_fftr(config, input.data(), out.data());
    }
    std::vector<float> Magnitudes() {
        Run(Input());
        std::vector<float> magnitudes(kBins);
        for (int k = 1; k < kBins; ++k) {
            magnitudes[k] = std::hypot(out[k].r, out[k].i);
        }
        return magnitudes;
    }
};

void KissFft(benchmark::State& state) {
    KissPlan kiss;
    const std::array<float, kLength> input = Input();
    for (auto _ : state) {
        kiss.Run(input);
        benchmark::DoNotOptimize(kiss.out);
    }
}
BENCHMARK(KissFft);
#endif

void PrintComparison() {
    const std::array<float, kLength> input = Input();
    std::array<float, kLength> data{};
    const double own = NanosecondsPerCall([&] {
        data = input;
        RealFft512(data);
        benchmark::DoNotOptimize(data);
    });
    std::printf("512-point real FFT, CPU per call (median of 7 batches):\n");
    std::printf("  %-28s %8.0f ns\n", "own radix-2 (analyser)", own);
#if ZEPHYL_BENCH_FFTW
    {
        FftwPlan fftw;
        const double disagreement = Disagreement(fftw.Magnitudes());
        const double ns = NanosecondsPerCall([&] {
            fftw.Run(input);
            benchmark::DoNotOptimize(fftw.out);
        });
        std::printf("  %-28s %8.0f ns  (%.2fx of own; magnitudes within %.1e of ours)\n",
                    "FFTW 3 single, FFTW_MEASURE", ns, ns / own, disagreement);
    }
#else
    std::printf("  FFTW: not compared (libfftw3-dev is missing)\n");
#endif
#if ZEPHYL_BENCH_KISSFFT
    {
        KissPlan kiss;
        const double disagreement = Disagreement(kiss.Magnitudes());
        const double ns = NanosecondsPerCall([&] {
            kiss.Run(input);
            benchmark::DoNotOptimize(kiss.out);
        });
        std::printf("  %-28s %8.0f ns  (%.2fx of own; magnitudes within %.1e of ours)\n",
                    "KissFFT real (kiss_fftr)", ns, ns / own, disagreement);
    }
#else
    std::printf("  KissFFT: not compared (libkissfft-dev is missing)\n");
#endif
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintComparison();
    return 0;
}
