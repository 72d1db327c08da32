// SPDX-License-Identifier: GPL-2.0-or-later
// What music and screen lighting cost: one analyser frame beside the bare transform it is built
// around (goal: at most 50 µs a frame, 0.5 % of a core at 67 frames a second; also counted in
// instructions under callgrind when valgrind is installed), one screen sample at 1920 × 1080
// beside a full-screen grab through the toolkit (goal: about 1 ms), and what the music feature
// costs while its page is not shown (goal: at most 0.1 % of a core). The screen figures need an
// X display; without DISPLAY the program starts an Xvfb of its own.
#include "BenchSupport.h"
#include "lighting/MusicFeature.h"
#include "lighting/ScreenLight.h"
#include "lighting/Visualizer.h"
#include "lighting/VisualizerAnalysis.h"

#include <benchmark/benchmark.h>
#if ZEPHYL_BENCH_QT_GRAB
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#endif
// Xlib after Google Benchmark: its macros would clash with the benchmark headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <numbers>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace zephyl;
using namespace zephyl::bench;

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
        std::string display = ":";
        display += std::to_string(600 + getpid() % 300);
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

constexpr double kFrameGoalUs = 50;
constexpr double kFramesPerSecond = 1000.0 / Visualizer::kFramePauseMs;
constexpr double kSampleGoalMs = 1;
constexpr double kIdleGoalPercent = 0.1;

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

/// Median seconds of one call over `batches` batches of `calls`, on `clock`.
double SecondsPerCall(const std::function<void()>& call, int calls, int batches,
                      double (*clock)()) {
    std::vector<double> results;
    for (int batch = 0; batch < batches; ++batch) {
        const double start = clock();
        for (int i = 0; i < calls; ++i) {
            call();
        }
        results.push_back((clock() - start) / calls);
    }
    return Median(results);
}

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    const std::string folders = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        const size_t end = std::min(folders.find(':', start), folders.size());
        const std::filesystem::path candidate =
            std::filesystem::path(folders.substr(start, end - start)) / name;
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate.string();
        }
        start = end + 1;
    }
    return {};
}

/// What the callgrind runs execute: a warm analyser and transform, then `count` more of one.
void RunCallgrindWork(const std::string& what, int count) {
    Visualizer visualizer;
    visualizer.ChangeSettings([](AnalyserSettings& settings) {
        settings.foreType = 4;
        settings.backType = 10;
    });
    const std::vector<float> block = Music(720);
    std::array<float, kSampleRingLength> data{};
    const std::vector<float> samples = Music(kSampleRingLength);
    auto frame = [&] {
        visualizer.FeedSamples(block);
        visualizer.RenderFrame();
    };
    auto fft = [&] {
        std::copy_n(samples.begin(), kSampleRingLength, data.begin());
        RealFft512(data);
        benchmark::DoNotOptimize(data);
    };
    frame();
    fft();
    for (int i = 0; i < count; ++i) {
        if (what == "frame") {
            frame();
        } else {
            fft();
        }
    }
}

/// Instructions of a whole run of this program under callgrind; -1 when it could not run.
long long CallgrindInstructions(const std::string& valgrind, const std::string& what, int count) {
    const std::filesystem::path out =
        std::filesystem::temp_directory_path() /
        ("zephyl-callgrind-" + std::to_string(getpid()) + "-" + what + std::to_string(count));
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string command =
        valgrind + " --tool=callgrind --callgrind-out-file=" + out.string() + " " + self +
        " --callgrind-work " + what + " " + std::to_string(count) + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        return -1;
    }
    std::ifstream file(out);
    std::string line;
    long long total = -1;
    while (std::getline(file, line)) {
        if (line.rfind("summary:", 0) == 0 || line.rfind("totals:", 0) == 0) {
            total = std::stoll(line.substr(line.find(':') + 1));
        }
    }
    std::filesystem::remove(out);
    return total;
}

void AnalyserRatio() {
    Visualizer visualizer;
    visualizer.ChangeSettings([](AnalyserSettings& settings) {
        settings.foreType = 4;
        settings.backType = 10;
    });
    const std::vector<float> block = Music(720);
    const double frameUs = 1e6 * SecondsPerCall(
                                     [&] {
                                         visualizer.FeedSamples(block);
                                         visualizer.RenderFrame();
                                     },
                                     2000, 7, ThreadCpuSeconds);
    std::array<float, kSampleRingLength> data{};
    const std::vector<float> samples = Music(kSampleRingLength);
    const double fftUs =
        1e6 * SecondsPerCall(
                  [&] {
                      std::copy_n(samples.begin(), kSampleRingLength, data.begin());
                      RealFft512(data);
                      benchmark::DoNotOptimize(data);
                  },
                  20000, 7, ThreadCpuSeconds);
    std::string anchor = Format("bare FFT %.2f us CPU", fftUs) +
                         Format(", frame %.1fx of it", fftUs > 0 ? frameUs / fftUs : 0) +
                         Format("; %.2f %% of a core", frameUs * kFramesPerSecond / 1e4) +
                         Format(" at %.0f frames/s", kFramesPerSecond);
    const std::string valgrind = FindProgram("valgrind");
    if (valgrind.empty()) {
        anchor += "; callgrind: valgrind not installed";
    } else {
        constexpr int kCount = 200;
        const long long base = CallgrindInstructions(valgrind, "none", 0);
        const long long frames = CallgrindInstructions(valgrind, "frame", kCount);
        const long long ffts = CallgrindInstructions(valgrind, "fft", kCount);
        if (base > 0 && frames > base && ffts > base) {
            const double frameIr = static_cast<double>(frames - base) / kCount;
            const double fftIr = static_cast<double>(ffts - base) / kCount;
            std::printf("callgrind: %.0f instructions a frame, %.0f a bare FFT\n", frameIr, fftIr);
            anchor += Format("; callgrind %.0f instructions a frame", frameIr) +
                      Format(" vs %.0f a bare FFT", fftIr) + Format(" (%.1fx)", frameIr / fftIr);
        } else {
            anchor += "; callgrind run failed";
        }
    }
    PrintRatio("music analyser frame", Format("%.1f us CPU", frameUs),
               Format("<= %.0f us", kFrameGoalUs), anchor, frameUs <= kFrameGoalUs);
}

/// CPU seconds the X server started by this program has used; -1 when it runs elsewhere.
double XServerCpuSeconds() {
    if (Display().pid <= 0) {
        return -1;
    }
    std::ifstream stat("/proc/" + std::to_string(Display().pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (close == std::string::npos) {
        return -1;
    }
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    long long utime = 0;
    long long stime = 0;
    // After the name: state is field 3, utime 14 and stime 15.
    for (int index = 3; index <= 15 && fields >> field; ++index) {
        if (index == 14) {
            utime = std::stoll(field);
        } else if (index == 15) {
            stime = std::stoll(field);
        }
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

/// What one capture costs: this program's CPU and the X server's together, since a shared-memory
/// read hands the copying to the server. On a busy machine wall time would mostly measure the
/// queue for the processor. Where the server is not ours, wall time is all there is.
struct CaptureCost {
    double ms = 0;
    bool cpu = false;
};

CaptureCost CostPerCall(const std::function<void()>& call, int calls) {
    const double server = XServerCpuSeconds();
    const double own = ProcessCpuSeconds();
    const double wall = WallSeconds();
    for (int i = 0; i < calls; ++i) {
        call();
    }
    if (server < 0) {
        return {1e3 * (WallSeconds() - wall) / calls, false};
    }
    const double used = ProcessCpuSeconds() - own + XServerCpuSeconds() - server;
    return {1e3 * used / calls, true};
}

void ScreenRatio(int& argc, char** argv) {
    Display();
    std::unique_ptr<ScreenGrabber> grabber = OpenX11ScreenGrabber();
    if (!grabber) {
        PrintRatio("screen sample at 1920x1080", "not measured",
                   Format("<= %.0f ms", kSampleGoalMs),
                   "no X display with the shared-memory extension", false);
        return;
    }
    ScreenCells cells{};
    grabber->Grab(cells);
    const CaptureCost sample = CostPerCall([&] { grabber->Grab(cells); }, 500);
    const double sampleWallMs =
        1e3 * SecondsPerCall([&] { grabber->Grab(cells); }, 20, 9, WallSeconds);
    const char* unit = sample.cpu ? " CPU (program and X server)" : " wall";
    std::string anchor = "toolkit grab not built";
#if ZEPHYL_BENCH_QT_GRAB
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    QGuiApplication app(argc, argv);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        auto grab = [screen] {
            const QImage image =
                screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
            benchmark::DoNotOptimize(AverageScreenCells(
                reinterpret_cast<const std::uint32_t*>(image.constBits()), image.width(),
                image.height(), static_cast<int>(image.bytesPerLine() / 4), 4));
        };
        grab();
        const CaptureCost full = CostPerCall(grab, 20);
        anchor = Format("QScreen::grabWindow %.1f ms", full.ms) + unit +
                 Format(", sample %.1f %% of it", 100 * sample.ms / full.ms);
    }
#else
    (void)argc;
    (void)argv;
#endif
    anchor += Format("; median wall %.2f ms a sample", sampleWallMs);
    PrintRatio("screen sample at 1920x1080", Format("%.3f ms", sample.ms) + unit,
               Format("<= %.0f ms", kSampleGoalMs), anchor, sample.ms <= kSampleGoalMs);
}

/// A PulseAudio server of the bench's own with a null sink and noise playing into it, so the
/// idle figure includes a capture that was open and is now paused. Gone with the object.
struct BenchSoundServer {
    pid_t server = -1;
    pid_t player = -1;
    bool Start() {
        const std::string pulseaudio = FindProgram("pulseaudio");
        const std::string pacat = FindProgram("pacat");
        if (pulseaudio.empty() || pacat.empty()) {
            return false;
        }
        char pattern[] = "/tmp/zephyl-bench-pulse-XXXXXX";
        const char* folder = mkdtemp(pattern);
        if (!folder) {
            return false;
        }
        const std::string socket = std::string(folder) + "/native";
        server = fork();
        if (server == 0) {
            setenv("XDG_RUNTIME_DIR", folder, 1);
            setenv("HOME", folder, 1);
            const std::string log = std::string(folder) + "/server.log";
            if (FILE* out = std::freopen(log.c_str(), "w", stderr)) {
                dup2(fileno(out), STDOUT_FILENO);
            }
            const std::string unixModule =
                "module-native-protocol-unix auth-anonymous=1 socket=" + socket;
            execl(pulseaudio.c_str(), "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                  "--use-pid-file=no", "--disable-shm=yes", "--log-target=stderr", "--log-level=2",
                  "-L", unixModule.c_str(), "-L", "module-null-sink sink_name=zephyl_bench",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 100 && !std::filesystem::exists(socket); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (!std::filesystem::exists(socket)) {
            return false;
        }
        setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
        player = fork();
        if (player == 0) {
            execl(pacat.c_str(), "pacat", "--format=s16le", "--rate=48000", "--channels=2",
                  "/dev/urandom", static_cast<char*>(nullptr));
            _exit(127);
        }
        return true;
    }
    ~BenchSoundServer() {
        for (pid_t pid : {player, server}) {
            if (pid > 0) {
                kill(pid, SIGKILL);
                waitpid(pid, nullptr, 0);
            }
        }
    }
};

void IdleRatio() {
    BenchSoundServer sound;
    const bool withServer = sound.Start();
    MusicLighting music(nullptr, nullptr);
    auto cpuPercent = [](double seconds) {
        const double cpu = ProcessCpuSeconds();
        const double wall = WallSeconds();
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        return 100.0 * (ProcessCpuSeconds() - cpu) / (WallSeconds() - wall);
    };
    // The page shown once, so the capture, the render loop and the sampler's thread exist.
    music.SetShown(true);
    for (int i = 0; i < 250 && withServer && music.Analyser().SampleBlocks() < 20; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const bool captured = music.Analyser().SampleBlocks() >= 20;
    const double shown = cpuPercent(2);
    music.SetShown(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const double idle = cpuPercent(5);
    const std::string anchor =
        std::string(captured ? "capture paused on a server with sound playing"
                             : "no sound server captured") +
        Format("; page shown %.2f %% of a core", shown);
    PrintRatio("music lighting with its page not shown", Format("%.3f %% of a core", idle),
               Format("<= %.1f %%", kIdleGoalPercent), anchor, idle <= kIdleGoalPercent);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--callgrind-work") {
        RunCallgrindWork(argv[2], std::atoi(argv[3]));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    AnalyserRatio();
    ScreenRatio(argc, argv);
    IdleRatio();
    return 0;
}
