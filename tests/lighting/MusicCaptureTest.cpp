// SPDX-License-Identifier: GPL-2.0-or-later
// Music lighting end to end with real parts: a PulseAudio server of the test's own (a null
// sink in its own runtime folder), a tone played into it, the analyser capturing the sink's
// monitor and the worker sending music frames to the virtual keyboard.
#include "app/Environment.h"
#include "app/KeyboardController.h"
#include "device/DeviceManager.h"
#include "device/HidLibrary.h"
#include "lighting/MusicFeature.h"
#include "lighting/ScreenLight.h"
#include "lighting/Visualizer.h"
#include "lighting/VisualizerCapture.h"
#include "platform/SettingsStore.h"
#include "store/ProfileDatabase.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <numbers>
#include <regex>
#include <thread>

namespace zephyl {
namespace {

using namespace std::chrono_literals;

constexpr int kMusicTab = 7;

std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
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

/// A PulseAudio server in user mode with one null sink, stopped when the object goes.
class TestSoundServer {
public:
    bool Start(const std::filesystem::path& folder) {
        const std::string program = FindProgram("pulseaudio");
        if (program.empty()) {
            return false;
        }
        m_socket = (folder / "native").string();
        m_pid = fork();
        if (m_pid == 0) {
            setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
            setenv("HOME", folder.c_str(), 1);
            // Its messages go to a file of its own, so a full pipe can never stall it.
            const std::string log = (folder / "server.log").string();
            if (FILE* out = std::freopen(log.c_str(), "w", stderr)) {
                dup2(fileno(out), STDOUT_FILENO);
            }
            const std::string unixModule =
                "module-native-protocol-unix auth-anonymous=1 socket=" + m_socket;
            execl(program.c_str(), "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                  "--use-pid-file=no", "--disable-shm=yes", "--log-target=stderr", "--log-level=2",
                  "-L", unixModule.c_str(), "-L", "module-null-sink sink_name=zephyl_test",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 100 && !std::filesystem::exists(m_socket); ++i) {
            std::this_thread::sleep_for(50ms);
        }
        return std::filesystem::exists(m_socket);
    }

    void Kill() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }

    ~TestSoundServer() { Kill(); }

    std::string Address() const { return "unix:" + m_socket; }

private:
    pid_t m_pid = -1;
    std::string m_socket;
};

/// Plays a 440 Hz tone into the default sink with pacat and a short buffer, as a player does,
/// until the object goes or the server does.
class TonePlayer {
public:
    TonePlayer(const std::string& server, const std::filesystem::path& folder, long seconds = 5) {
        const std::filesystem::path file = folder / "tone.raw";
        std::vector<float> samples;
        for (long i = 0; i < 48000L * seconds; ++i) {
            const auto value =
                static_cast<float>(0.3 * std::sin(2.0 * std::numbers::pi * 440.0 * i / 48000.0));
            samples.push_back(value);
            samples.push_back(value);
        }
        test::WriteFile(file, std::string(reinterpret_cast<const char*>(samples.data()),
                                          samples.size() * sizeof(float)));
        const std::string program = FindProgram("pacat");
        m_pid = fork();
        if (m_pid == 0) {
            setenv("PULSE_SERVER", server.c_str(), 1);
            execl(program.c_str(), "pacat", "--latency-msec=20", "--format=float32le",
                  "--rate=48000", "--channels=2", file.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~TonePlayer() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }

private:
    pid_t m_pid = -1;
};

class MusicCaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(m_environment.RuntimeDir() / "pulse");
        if (FindProgram("pacat").empty() || !m_server.Start(m_environment.RuntimeDir() / "pulse")) {
            GTEST_SKIP() << "no pulseaudio and pacat to run a test sound server (make deps)";
        }
        m_environment.SetVariable("PULSE_SERVER", m_server.Address());
        m_environment.SetVariable("ZEPHYL_RESOURCE_DIR", std::string(ZEPHYL_RUNTIME_DIR));
        m_environment.SetVariable("ZEPHYL_VIRTUAL_STATE", std::nullopt);
        m_logPath = (m_environment.Root() / "reports.jsonl").string();
        m_environment.SetVariable("ZEPHYL_VIRTUAL_LOG", m_logPath);
        SetSoftwareName("Zephyl Keyboard Driver");
        m_devices = std::make_unique<DeviceManager>(HidLibrary::LoadVirtual("101:0"));
        ASSERT_TRUE(m_devices->Library().Loaded());
        m_controller = std::make_shared<KeyboardController>(
            *m_devices, m_database, std::make_shared<SettingsStore>("Zephyl Keyboard Driver"),
            std::string(ZEPHYL_RUNTIME_DIR) + "/", DataFolder());
        RegisterMusicFeature(*m_controller, {m_music});
        m_controller->LoadDeviceDescriptions();
        m_controller->RunCommand(kCommandStart);
        for (int i = 0; i < 32 && m_controller->QueueLength() > 0; ++i) {
            m_controller->Work();
        }
        ASSERT_TRUE(m_controller->Ready());
        m_controller->RunCommand(kCommandLoadPages);
        std::ofstream(m_logPath, std::ios::trunc).flush();
    }

    void TearDown() override {
        if (m_controller) {
            m_controller->Shutdown();
        }
        m_controller.reset();
        m_database.CloseDatabase();
    }

    /// Runs idle worker passes for a while; returns how many music frames carried a colour.
    int RunWorker(std::chrono::milliseconds duration) {
        const auto end = std::chrono::steady_clock::now() + duration;
        while (std::chrono::steady_clock::now() < end) {
            m_controller->Work();
            std::this_thread::sleep_for(
                std::chrono::milliseconds(KeyboardController::kWorkerPeriodMs));
        }
        return LitFrames();
    }

    /// Runs idle worker passes until `count` lit frames were sent or `limit` passed. A freshly
    /// started null sink holds its first stream for a second or two before it plays it.
    int RunWorkerUntil(int count, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        int lit = 0;
        while (std::chrono::steady_clock::now() < end && (lit = RunWorker(100ms)) < count) {
        }
        return lit;
    }

    /// Frames in the report log whose block holds a colour byte: the second report of each
    /// frame is the first 64 bytes of the block, groups [light, red, green, blue].
    int LitFrames() {
        std::ifstream log(m_logPath);
        std::string line;
        const std::regex pattern(
            "\"iface\":\"cable\",\"op\":\"set_feature\",\"hex\":\"([0-9a-f]*)\"");
        std::vector<std::string> reports;
        while (std::getline(log, line)) {
            std::smatch match;
            if (std::regex_search(line, match, pattern)) {
                reports.push_back(match[1]);
            }
        }
        int lit = 0;
        for (size_t i = 0; i + 1 < reports.size(); ++i) {
            if (reports[i].rfind("000420", 0) != 0) {
                continue;
            }
            const std::string& block = reports[i + 1];
            for (size_t group = 2; group + 8 <= block.size(); group += 8) {
                if (block.substr(group + 2, 6) != "000000") {
                    ++lit;
                    break;
                }
            }
        }
        return lit;
    }

    bool WaitForCapture(CaptureState state) {
        for (int i = 0; i < 150 && m_music->Analyser().Capture() != state; ++i) {
            std::this_thread::sleep_for(20ms);
        }
        return m_music->Analyser().Capture() == state;
    }

    test::TempEnvironment m_environment;
    TestSoundServer m_server;
    std::string m_logPath;
    std::unique_ptr<DeviceManager> m_devices;
    ProfileDatabase m_database;
    std::shared_ptr<MusicLighting> m_music = std::make_shared<MusicLighting>(nullptr, nullptr);
    std::shared_ptr<KeyboardController> m_controller;
};

TEST_F(MusicCaptureTest, ATonePlayedIntoTheSinkReachesTheKeyboardAsLitFrames) {
    ASSERT_FALSE(m_music->KeyMap().keys.empty()) << "the page load built the key map";
    m_controller->SetCurrentPage(kMusicTab, kFeatureMusic);
    {
        TonePlayer tone(m_server.Address(), m_environment.Root());
        m_music->SetShown(true);
        ASSERT_TRUE(WaitForCapture(CaptureState::kCapturing));
        EXPECT_GE(RunWorkerUntil(10, 8s), 10);
    }
    // The tone ended: the spectrum decays and the frames stop.
    RunWorker(500ms);
    const int afterTone = LitFrames();
    EXPECT_EQ(RunWorker(300ms), afterTone) << "silence sends nothing";
    // Another page: the analyser rests.
    m_music->SetShown(false);
    m_controller->SetCurrentPage(1, kFeatureKeys);
    EXPECT_EQ(RunWorker(200ms), afterTone);
}

TEST_F(MusicCaptureTest, LeavingThePageCorksTheStreamAndReturningResumesLitFrames) {
    m_controller->SetCurrentPage(kMusicTab, kFeatureMusic);
    TonePlayer tone(m_server.Address(), m_environment.Root(), 12);
    m_music->SetShown(true);
    ASSERT_TRUE(WaitForCapture(CaptureState::kCapturing));
    ASSERT_GE(RunWorkerUntil(3, 8s), 3);
    EXPECT_FALSE(m_music->Analyser().CaptureCorked());

    m_music->SetShown(false);
    m_controller->SetCurrentPage(1, kFeatureKeys);
    EXPECT_TRUE(m_music->Analyser().CaptureCorked());
    // Blocks already on their way may still land; after that the server sends nothing.
    std::this_thread::sleep_for(300ms);
    const std::uint64_t blocks = m_music->Analyser().SampleBlocks();
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(m_music->Analyser().SampleBlocks(), blocks) << "the tone plays on, unread";
    EXPECT_EQ(m_music->Analyser().Capture(), CaptureState::kCapturing);

    m_controller->SetCurrentPage(kMusicTab, kFeatureMusic);
    m_music->SetShown(true);
    // The sound kept from before leaving fades within a few frames: later lit frames are new.
    const int resumed = RunWorker(1s);
    EXPECT_GE(RunWorker(500ms), resumed + 5);
    EXPECT_GT(m_music->Analyser().SampleBlocks(), blocks);
    EXPECT_FALSE(m_music->Analyser().CaptureCorked());
}

TEST_F(MusicCaptureTest, AServerKilledMidwayEndsCaptureWithoutStoppingTheProgram) {
    m_controller->SetCurrentPage(kMusicTab, kFeatureMusic);
    TonePlayer tone(m_server.Address(), m_environment.Root());
    m_music->SetShown(true);
    ASSERT_TRUE(WaitForCapture(CaptureState::kCapturing));
    EXPECT_GE(RunWorkerUntil(3, 8s), 3);
    m_server.Kill();
    EXPECT_TRUE(WaitForCapture(CaptureState::kEnded));
    // The spectrum decays and the frames stop; the worker goes on.
    RunWorker(500ms);
    const int after = LitFrames();
    EXPECT_EQ(RunWorker(300ms), after);
    // A restart finds no server and says so at once.
    const auto start = std::chrono::steady_clock::now();
    m_music->Analyser().RestartCapture();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_TRUE(WaitForCapture(CaptureState::kNoServer));
}

/// Waits up to `limit` for the analyser's capture to be in one of `states`.
bool WaitForState(const Visualizer& visualizer, std::initializer_list<CaptureState> states,
                  std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        const CaptureState state = visualizer.Capture();
        for (CaptureState wanted : states) {
            if (state == wanted) {
                return true;
            }
        }
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

// A program started before the sound server (a session whose server comes late, a server
// restarted by the user) finds it while the analyser is active, and finds it again after it
// went away and came back.
TEST(LoopbackRetryTest, AServerStartedLaterIsFoundAndFoundAgainAfterARestart) {
    test::TempEnvironment environment;
    const std::filesystem::path folder = environment.RuntimeDir() / "pulse";
    std::filesystem::create_directories(folder);
    if (FindProgram("pulseaudio").empty()) {
        GTEST_SKIP() << "no pulseaudio to run a test sound server (make deps)";
    }
    environment.SetVariable("PULSE_SERVER", "unix:" + (folder / "native").string());
    Visualizer visualizer;
    visualizer.SetActive(true);
    visualizer.StartAnalyser();
    visualizer.StartThread();
    ASSERT_TRUE(WaitForState(visualizer, {CaptureState::kNoServer}, 5s));

    TestSoundServer server;
    ASSERT_TRUE(server.Start(folder));
    EXPECT_TRUE(WaitForState(visualizer, {CaptureState::kCapturing}, 30s))
        << "the server that came is found";

    server.Kill();
    std::filesystem::remove(folder / "native");
    EXPECT_TRUE(WaitForState(visualizer, {CaptureState::kEnded, CaptureState::kNoServer}, 10s));
    ASSERT_TRUE(server.Start(folder));
    EXPECT_TRUE(WaitForState(visualizer, {CaptureState::kCapturing}, 30s))
        << "the server that came back is found again";
}

TEST(LoopbackCaptureTest, WithoutTheSoundLibraryCaptureSaysThereIsNoServer) {
    test::TempEnvironment environment;
    environment.SetVariable("ZEPHYL_PULSE_LIBRARY",
                            (environment.Root() / "libpulse-gone.so.0").string());
    LoopbackCapture capture([](std::span<const float>) {});
    capture.Restart();
    EXPECT_EQ(capture.State(), CaptureState::kNoServer);
    capture.Stop();
}

/// A controller with the music feature on the virtual keyboard, without a sound server; its
/// analyser is rendered by hand.
struct SilentMusicRig {
    explicit SilentMusicRig(const std::string& scenario,
                            std::shared_ptr<ScreenLight> screen = nullptr) {
        environment.SetVariable("PULSE_SERVER", "unix:" + (environment.Root() / "none").string());
        environment.SetVariable("ZEPHYL_RESOURCE_DIR", std::string(ZEPHYL_RUNTIME_DIR));
        environment.SetVariable("ZEPHYL_VIRTUAL_STATE", std::nullopt);
        SetSoftwareName("Zephyl Keyboard Driver");
        devices = std::make_unique<DeviceManager>(HidLibrary::LoadVirtual(scenario));
        music = std::make_shared<MusicLighting>(nullptr, std::move(screen));
        controller = std::make_shared<KeyboardController>(
            *devices, database, std::make_shared<SettingsStore>("Zephyl Keyboard Driver"),
            std::string(ZEPHYL_RUNTIME_DIR) + "/", DataFolder());
        RegisterMusicFeature(*controller, {music});
        controller->LoadDeviceDescriptions();
        controller->RunCommand(kCommandStart);
        for (int i = 0; i < 32 && controller->QueueLength() > 0; ++i) {
            controller->Work();
        }
        controller->RunCommand(kCommandLoadPages);
    }
    ~SilentMusicRig() {
        controller->Shutdown();
        controller.reset();
        database.CloseDatabase();
    }
    std::string State() {
        auto stateJson = reinterpret_cast<size_t (*)(char*, size_t)>(
            devices->Library().Symbol("zephyl_virtual_state_json"));
        std::string state(stateJson(nullptr, 0) + 1, '\0');
        stateJson(state.data(), state.size());
        return state;
    }

    test::TempEnvironment environment;
    std::unique_ptr<DeviceManager> devices;
    ProfileDatabase database;
    std::shared_ptr<MusicLighting> music;
    std::shared_ptr<KeyboardController> controller;
};

/// The receiver path needs no sound: a non-black back scheme keeps every key coloured.
TEST(MusicReceiverTest, FramesCarryTheSchemesAndHeightsToTheReceiver) {
    SilentMusicRig rig("101:2");
    ASSERT_TRUE(rig.controller->Ready());
    ASSERT_EQ(rig.controller->ConnectionMode(), kModeReceiver);
    rig.music->ApplyLayer(4, 300, 10, 80);
    rig.music->Analyser().RenderFrame();
    rig.controller->SetCurrentPage(kMusicTab, kFeatureMusic);
    rig.controller->Work();
    rig.controller->Work();

    const std::string state = rig.State();
    std::smatch match;
    ASSERT_TRUE(std::regex_search(state, match, std::regex("\"music_frames\": *([0-9]+)")));
    EXPECT_EQ(match[1], "2");
    EXPECT_TRUE(std::regex_search(state, std::regex("\"fore\": *4")));
    EXPECT_TRUE(std::regex_search(state, std::regex("\"back\": *10")));
    EXPECT_TRUE(std::regex_search(state, std::regex("\"back_brightness\": *80")));
}

/// A session where no screen can be read, as under Wayland without an X display.
class NoScreen : public ScreenGrabber {
public:
    bool Grab(ScreenCells&) override { return false; }
};

TEST(MusicScreenSchemeTest, WithoutAScreenTheScreenSchemeShowsTheBackColour) {
    auto screen = std::make_shared<ScreenLight>(std::make_unique<NoScreen>());
    SilentMusicRig rig("101:0", screen);
    ASSERT_TRUE(rig.controller->Ready());
    EXPECT_FALSE(screen->SampleOnce());
    ASSERT_FALSE(screen->Available());
    rig.music->ApplyLayer(kSchemeScreen, 300, 10, 60);
    rig.music->Analyser().RenderFrame();
    MusicKeyFrame seen;
    rig.music->SetObserver(
        [&seen](const MusicKeyMap&, const MusicKeyFrame& frame) { seen = frame; });
    rig.controller->SetCurrentPage(kMusicTab, kFeatureMusic);
    rig.controller->Work();

    auto back = std::make_unique<MusicGrid>();
    FillMusicScheme(*back, 10, 60, 0.0F);
    const MusicKeyMap map = rig.music->KeyMap();
    ASSERT_EQ(seen.colours.size(), map.keys.size());
    int coloured = 0;
    for (size_t k = 0; k < map.keys.size(); ++k) {
        const MusicKey& key = map.keys[k];
        if (key.inGrid) {
            EXPECT_EQ(seen.colours[k], (*back)[MusicCell(key.level, key.gridColumn)]) << key.code;
            coloured += seen.colours[k] > 1 ? 1 : 0;
        }
    }
    EXPECT_GT(coloured, 0);
    std::smatch match;
    const std::string state = rig.State();
    ASSERT_TRUE(std::regex_search(state, match, std::regex("\"streamed_frames\": *([0-9]+)")));
    EXPECT_EQ(match[1], "1") << "the back colour reaches the keyboard";
}

}  // namespace
}  // namespace zephyl
