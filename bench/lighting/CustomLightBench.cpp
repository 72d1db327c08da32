// SPDX-License-Identifier: GPL-2.0-or-later
// The custom lighting page as a user runs it: the main window offscreen on the virtual keyboard,
// every key given an effect, the page shown for ten seconds while the worker streams. Measured:
// frames a second against the floor that the stream's own pacing pauses set, the spacing of the
// frames, the worker's CPU to build a frame, and the window thread's CPU while it animates.
#include "BenchSupport.h"
#include "app/Environment.h"
#include "app/KeyboardController.h"
#include "catalogue/KeyboardLayout.h"
#include "core/Core.h"
#include "device/DeviceManager.h"
#include "device/HidLibrary.h"
#include "device/TransportClock.h"
#include "glint/Glint.h"
#include "lighting/CustomLightEngine.h"
#include "lighting/CustomLightFeature.h"
#include "lighting/CustomLightStream.h"
#include "platform/Paths.h"
#include "platform/SettingsStore.h"
#include "store/ProfileDatabase.h"
#include "text/LanguageText.h"
#include "ui/window/CustomLightPage.h"
#include "ui/window/KeyboardDlg.h"
#include "ui/window/WindowServices.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace zephyl;
using namespace zephyl::bench;
namespace fs = std::filesystem;
using Stopwatch = std::chrono::steady_clock;

constexpr double kFloorShareGoal = 0.95;
constexpr double kJitterGoalMs = 2.0;
constexpr double kBuildGoalUs = 20.0;
constexpr double kWindowGoalPercent = 3.0;
constexpr int kRunSeconds = 10;
constexpr int kTabStrip = 49;

/// A desktop that asks nothing and shows nothing.
class QuietServices final : public window::WindowServices {
public:
    void StartDesktop(KeyboardController&, std::function<void(int)>,
                      std::function<void()>) override {}
    int ShowMessageBox(const QString&, const QString&, int) override { return window::kAnswerOk; }
    void OpenWaitDialog() override {}
    void CloseWaitDialog() override {}
    void OpenDownloadDialog(std::function<void()>) override {}
    void SetDownloadProgress(int) override {}
    void CloseMainWindow() override {}
    void Quit() override {}
    void OpenAddress(const QString&) override {}
    bool AutostartEnabled() const override { return false; }
    void SetAutostart(bool) override {}
    int RunKeyAssignmentDialog(int, int, int) override { return 2; }
    int TrackMenu(const std::vector<std::pair<int, QString>>&) override { return 0; }
    QString ChooseOpenFile(const QString&, const QString&) override { return {}; }
    QString ChooseSaveFile(const QString&, const QString&, const QString&) override { return {}; }
    QString ChooseFolder(const QString&) override { return {}; }
    void NotInThisBuild(const char*) override {}
};

/// Frame starts as the worker's idle step saw them.
struct FrameLog {
    std::mutex mutex;
    std::vector<double> startsMs;
    bool recording = false;
};

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Percentile(std::vector<double> values, double share) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(share * values.size()))];
}

/// Runs the window thread's events for a while. A loop of its own: the application's quit would
/// ask the main window to close, which it refuses as the user's close button does.
void RunEventLoop(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

/// Thread CPU of the window thread over `seconds` of its event loop.
double WindowLoopCpuPercent(int seconds) {
    const double cpu = ThreadCpuSeconds();
    const auto start = Stopwatch::now();
    RunEventLoop(seconds * 1000);
    const double wall = std::chrono::duration<double>(Stopwatch::now() - start).count();
    return 100.0 * (ThreadCpuSeconds() - cpu) / wall;
}

/// CPU of one frame's build on the worker: the latest snapshot taken and turned into the block.
double BuildFrameMicroseconds(const KeyboardLayout& layout) {
    CustomLightEngine engine;
    engine.SetKeys(layout.keys);
    std::vector<int> codes;
    for (const LayoutKey& key : layout.keys) {
        codes.push_back(key.code);
    }
    engine.SetKeyLightMode(codes, 4);
    engine.SetCheckKeyColor(codes, 0x00FF8040, 1);
    StreamBuffer buffer;
    std::vector<double> batches;
    constexpr int kCalls = 2000;
    for (int batch = 0; batch < 9; ++batch) {
        engine.Advance(window::CustomLightPage::kAnimationStepMs);
        const double cpu = ThreadCpuSeconds();
        size_t bytes = 0;
        for (int i = 0; i < kCalls; ++i) {
            const auto snapshot = engine.Snapshot();
            bytes += BuildCustomLightFrame(*snapshot, layout.perKeyColour, buffer);
        }
        batches.push_back((ThreadCpuSeconds() - cpu) * 1e6 / kCalls);
        if (bytes == 0) {
            std::fprintf(stderr, "the frame is empty\n");
        }
    }
    return Median(batches);
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    UseBenchFolders("light");
    QApplication app(argc, argv);
    SetSoftwareName("Zephyl Keyboard Driver");
    SetCurrentLanguageId(1033);

    auto clock = std::make_shared<CountingClock>();
    DeviceManager devices(HidLibrary::LoadVirtual("101:0"), clock);
    if (!devices.Library().Loaded()) {
        std::fprintf(stderr, "the virtual keyboard (libzephyl-virtual-hid.so) is not available\n");
        return 1;
    }
    ProfileDatabase database;
    std::shared_ptr<KeyboardController> controller =
        BuildCore(devices, database, std::make_shared<SettingsStore>("Zephyl Keyboard Driver"),
                  ResourceFolder(), DataFolder());
    // The feature's own stream step, with the start of each frame written down.
    FrameLog frames;
    controller->SetIdleStep(kFeatureCustomLight, [&frames](KeyboardController& c) {
        const std::shared_ptr<CustomLightEngine> engine = CustomLightEngineOf(c);
        if (!engine) {
            return;
        }
        {
            std::lock_guard lock(frames.mutex);
            if (frames.recording) {
                frames.startsMs.push_back(
                    std::chrono::duration<double, std::milli>(Stopwatch::now().time_since_epoch())
                        .count());
            }
        }
        StreamCustomLight(c, *engine);
    });
    auto window =
        std::make_unique<window::KeyboardDlg>(controller, std::make_unique<QuietServices>());
    if (!window->CreateMainWindow()) {
        std::fprintf(stderr, "the main window could not be made\n");
        return 1;
    }
    window->ShowWindow(glint::kShow);
    for (int i = 0; i < 200 && !controller->Ready(); ++i) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const std::shared_ptr<const KeyboardLayout> layout = controller->Layout();
    if (!controller->Ready() || !layout) {
        std::fprintf(stderr, "the virtual keyboard did not connect\n");
        return 1;
    }

    // The window thread's own cost on another page, for comparison.
    window->OnMessage(kTabStrip, glint::kEventClick, window::kTabKeys);
    const double otherPagePercent = WindowLoopCpuPercent(3);

    // Every key animated: all keys checked, the first moving effect written for them.
    window->OnMessage(kTabStrip, glint::kEventClick, window::kTabCustomLight);
    RunEventLoop(500);
    window::CustomLightPage& page = window->CustomLight();
    if (auto* all = dynamic_cast<glint::CCheckButton*>(
            window->GetControl(window::CustomLightPage::kAllKeys))) {
        all->SetCheck(1);
    }
    window->OnMessage(window::CustomLightPage::kAllKeys, glint::kEventClick, 0);
    page.EffectList()->SetCurSel(1);
    window->OnMessage(window::CustomLightPage::kEffects, glint::kEventClick, 0);

    const long long sleptBefore = clock->SleptMs();
    const long long overshootBefore = clock->OvershootUs();
    {
        std::lock_guard lock(frames.mutex);
        frames.recording = true;
    }
    const auto start = Stopwatch::now();
    const double pagePercent = WindowLoopCpuPercent(kRunSeconds);
    const double wallMs =
        std::chrono::duration<double, std::milli>(Stopwatch::now() - start).count();
    std::vector<double> starts;
    {
        std::lock_guard lock(frames.mutex);
        frames.recording = false;
        starts = frames.startsMs;
    }
    const double floorMs = static_cast<double>(clock->SleptMs() - sleptBefore);
    const double overshootMs = static_cast<double>(clock->OvershootUs() - overshootBefore) / 1000;
    window->OnMessage(kTabStrip, glint::kEventClick, window::kTabKeys);
    const double buildUs = BuildFrameMicroseconds(*layout);
    controller->Shutdown();
    window.reset();

    std::vector<double> intervals;
    for (size_t i = 1; i < starts.size(); ++i) {
        intervals.push_back(starts[i] - starts[i - 1]);
    }
    const double medianInterval = Median(intervals);
    std::vector<double> deviations;
    for (double interval : intervals) {
        deviations.push_back(std::abs(interval - medianInterval));
    }
    const double jitter = Percentile(deviations, 0.95);
    const double worst =
        deviations.empty() ? 0 : *std::max_element(deviations.begin(), deviations.end());
    const double frameCount = static_cast<double>(starts.size());
    const double fps = 1000.0 * frameCount / wallMs;
    const double floorFps = floorMs > 0 ? 1000.0 * frameCount / floorMs : 0;
    const double share = floorFps > 0 ? fps / floorFps : 0;
    std::printf(
        "custom lighting: %.0f frames in %.1f s (%.1f frames/s), pacing %.1f ms a frame, "
        "median spacing %.2f ms\n",
        frameCount, wallMs / 1000, fps, frameCount > 0 ? floorMs / frameCount : 0, medianInterval);
    std::printf("window thread: %.2f %% of a core on the page, %.2f %% on another page\n",
                pagePercent, otherPagePercent);

    PrintRatio("custom-light frames vs floor", Format("%.1f %%", 100 * share),
               Format(">= %.0f %%", 100 * kFloorShareGoal),
               Format("floor %.1f frames/s", floorFps) + Format(", sustained %.1f", fps) +
                   Format("; pauses overran by %.2f ms a frame",
                          frameCount > 0 ? overshootMs / frameCount : 0),
               share >= kFloorShareGoal);
    PrintRatio("custom-light frame jitter (95th percentile)", Format("%.2f ms", jitter),
               Format("<= %.0f ms", kJitterGoalMs),
               Format("median spacing %.2f ms", medianInterval) + Format(", worst %.2f ms", worst),
               intervals.size() > 10 && jitter <= kJitterGoalMs);
    PrintRatio("custom-light frame build on the worker", Format("%.2f us CPU", buildUs),
               Format("<= %.0f us", kBuildGoalUs),
               Format("%.0f keys", static_cast<double>(layout->keys.size())) +
                   Format(", %.3f %% of the frame's pacing",
                          frameCount > 0 ? 100 * buildUs / (1000 * floorMs / frameCount) : 0),
               buildUs <= kBuildGoalUs);
    // The whole window thread while the page animates, the rest of the window included.
    PrintRatio("custom-light window CPU for the animation",
               Format("%.2f %% of a core", pagePercent), Format("<= %.0f %%", kWindowGoalPercent),
               Format("a step every %.0f ms over 10 s",
                      static_cast<double>(window::CustomLightPage::kAnimationStepMs)) +
                   Format("; %.2f %% on another page", otherPagePercent),
               pagePercent <= kWindowGoalPercent);
    return 0;
}
