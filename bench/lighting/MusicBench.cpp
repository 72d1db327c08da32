// SPDX-License-Identifier: GPL-2.0-or-later
// What music and screen lighting cost: one analyser frame beside the bare transform it is built
// around (goal: at most 50 µs a frame, 0.5 % of a core at 67 frames a second), and one screen
// sample at 1920 × 1080 beside a plain full-screen image copy (goal: about 1 ms). The screen
// figures need an X display; without DISPLAY the program starts an Xvfb of its own.
#include "lighting/ScreenLight.h"
#include "lighting/Visualizer.h"
#include "lighting/VisualizerAnalysis.h"

#include <benchmark/benchmark.h>
// Xlib after Google Benchmark: its macros would clash with the benchmark headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace zephyl;

std::vector<float> Music(int frames) {
    std::vector<float> samples;
    for (int i = 0; i < frames; ++i) {
        const double t = i / 48000.0;
        const auto value = static_cast<float>(0.01 * std::sin(2 * std::numbers::pi * 110 * t) +
                                              0.005 * std::sin(2 * std::numbers::pi * 880 * t));
        samples.push_back(value);
        samples.push_back(value);
    }
    return samples;
}

void BareFft(benchmark::State& state) {
    std::array<float, kSampleRingLength> data{};
    const std::vector<float> samples = Music(kSampleRingLength);
    for (auto _ : state) {
        std::copy_n(samples.begin(), kSampleRingLength, data.begin());
        RealFft512(data);
        benchmark::DoNotOptimize(data);
    }
}
BENCHMARK(BareFft);

void AnalyseOnly(benchmark::State& state) {
    SpectrumAnalyser analyser;
    const AnalyserSettings settings;
    const std::vector<float> block = Music(720);  // 15 ms of sound
    for (auto _ : state) {
        analyser.PushStereo(block, settings.gain);
        analyser.Analyse(settings);
        benchmark::DoNotOptimize(analyser.Display().data());
    }
}
BENCHMARK(AnalyseOnly);

/// A whole frame of the render loop: samples, analysis, both schemes and the grid.
void AnalyserFrame(benchmark::State& state) {
    Visualizer visualizer;
    visualizer.ChangeSettings([&](AnalyserSettings& settings) {
        settings.foreType = static_cast<int>(state.range(0));
        settings.backType = 10;
    });
    const std::vector<float> block = Music(720);
    for (auto _ : state) {
        visualizer.FeedSamples(block);
        visualizer.RenderFrame();
    }
    state.SetLabel("fore scheme " + std::to_string(state.range(0)));
}
BENCHMARK(AnalyserFrame)->Arg(4)->Arg(7)->Arg(17)->Unit(benchmark::kMicrosecond);

/// Starts an Xvfb of 1920 × 1080 when no display is set; stops it at exit.
struct TestDisplay {
    pid_t pid = -1;
    TestDisplay() {
        if (std::getenv("DISPLAY")) {
            return;
        }
        const std::string display = ":" + std::to_string(600 + getpid() % 300);
        pid = fork();
        if (pid == 0) {
            // -noreset: the server must not restart each time its last client leaves.
            execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", "1920x1080x24", "-nolisten",
                   "tcp", "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        setenv("DISPLAY", display.c_str(), 1);
        // A loaded machine may take seconds before the server answers.
        for (int i = 0; i < 200; ++i) {
            if (::Display* probe = XOpenDisplay(display.c_str())) {
                XCloseDisplay(probe);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    ~TestDisplay() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
};

TestDisplay& Display() {
    static TestDisplay display;
    return display;
}

void ScreenSample(benchmark::State& state) {
    Display();
    std::unique_ptr<ScreenGrabber> grabber = OpenX11ScreenGrabber();
    if (!grabber) {
        state.SkipWithError("no X display with the shared-memory extension");
        return;
    }
    ScreenCells cells{};
    for (auto _ : state) {
        grabber->Grab(cells);
        benchmark::DoNotOptimize(cells);
    }
}
BENCHMARK(ScreenSample)->Unit(benchmark::kMicrosecond);

/// The reference: a full-screen image copied through the X connection, as a toolkit's screen
/// grab does, then averaged the same way.
void FullScreenCopy(benchmark::State& state) {
    Display();
    ::Display* display = XOpenDisplay(nullptr);
    if (!display) {
        state.SkipWithError("no X display");
        return;
    }
    const int screen = DefaultScreen(display);
    const int width = DisplayWidth(display, screen);
    const int height = DisplayHeight(display, screen);
    for (auto _ : state) {
        XImage* image =
            XGetImage(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
                      static_cast<unsigned>(height), AllPlanes, ZPixmap);
        if (!image) {
            state.SkipWithError("the screen could not be read");
            break;
        }
        benchmark::DoNotOptimize(
            AverageScreenCells(reinterpret_cast<const std::uint32_t*>(image->data), width, height,
                               image->bytes_per_line / 4, 4));
        XDestroyImage(image);
    }
    XCloseDisplay(display);
}
BENCHMARK(FullScreenCopy)->Unit(benchmark::kMicrosecond);

/// What the analyser and the screen sampler cost while the music page is not shown: their
/// threads only sleep (500 ms and 1000 ms). Reported as a share of one core.
void IdleCost(benchmark::State& state) {
    Visualizer visualizer;
    visualizer.StartThread();
    ScreenLight screen;
    for (auto _ : state) {
        timespec before{};
        timespec after{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &before);
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(3));
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &after);
        const double cpu = static_cast<double>(after.tv_sec - before.tv_sec) +
                           static_cast<double>(after.tv_nsec - before.tv_nsec) / 1e9;
        state.counters["core_percent"] = 100.0 * cpu / wall;
    }
}
BENCHMARK(IdleCost)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
