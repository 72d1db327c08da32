// SPDX-License-Identifier: GPL-2.0-or-later
// The controller against the virtual keyboard: what reaches the keyboard is read back from the
// keyboard's report log and memory.
#include "app/KeyboardController.h"
#include "app/AccessProblem.h"
#include "app/CommandFailures.h"
#include "device/DeviceManager.h"
#include "device/HidLibrary.h"
#include "platform/SettingsStore.h"
#include "store/ConfigValues.h"
#include "store/ProfileDatabase.h"
#include "support/TempEnvironment.h"
#include "app/Environment.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

namespace zephyl {
namespace {

using namespace std::chrono_literals;

/// Records what the controller shows, from whichever thread it calls.
class RecordingView : public NullControllerView {
public:
    void ShowConnectedView(int tab) override { Add("connected " + std::to_string(tab)); }
    void ShowDisconnectedView() override { Add("disconnected"); }
    void SetBatteryLevel(int percent) override { Add("battery " + std::to_string(percent)); }
    void CloseWaitDialog() override { Add("close wait"); }
    void ShowConnectionMode(const ConnectionState& state) override {
        Add("mode " + std::to_string(state.mode) + (state.modelAbsent ? " absent" : ""));
    }
    void ShowCommandFailed(const std::string& reason) override { Add("failed: " + reason); }
    void ShowAccessProblem(const std::string& problem) override { Add("access: " + problem); }
    std::vector<std::string> Calls() {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }
    bool Saw(const std::string& call) {
        auto calls = Calls();
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }

private:
    void Add(const std::string& call) {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(call);
    }
    std::mutex m_mutex;
    std::vector<std::string> m_calls;
};

class ControllerVirtualTest : public ::testing::Test {
protected:
    void Start(const std::string& scenario) {
        m_environment.SetVariable("ZEPHYL_RESOURCE_DIR", std::string(ZEPHYL_RUNTIME_DIR));
        m_environment.SetVariable("ZEPHYL_VIRTUAL_STATE", std::nullopt);
        m_logPath = (m_environment.Root() / "reports.jsonl").string();
        m_environment.SetVariable("ZEPHYL_VIRTUAL_LOG", m_logPath);
        SetSoftwareName("Zephyl Keyboard Driver");
        m_devices = std::make_unique<DeviceManager>(HidLibrary::LoadVirtual(scenario));
        ASSERT_TRUE(m_devices->Library().Loaded());
        m_controller = std::make_shared<KeyboardController>(
            *m_devices, m_database, std::make_shared<SettingsStore>("Zephyl Keyboard Driver"),
            std::string(ZEPHYL_RUNTIME_DIR) + "/", DataFolder());
        m_controller->SetView(&m_view);
        // The polls measure time with this clock: the tests move it, nothing sleeps.
        m_controller->SetClock([this] { return m_now.load(); });
        m_controller->LoadDeviceDescriptions();
    }

    void TearDown() override {
        if (m_controller) {
            m_controller->Shutdown();
        }
        m_controller.reset();
        m_database.CloseDatabase();
    }

    /// Runs the queued commands as the worker would, tick after tick.
    void Drain() {
        for (int i = 0; i < 32 && m_controller->QueueLength() > 0; ++i) {
            m_controller->Work();
        }
    }

    template <typename Function>
    Function Control(const char* name) {
        return reinterpret_cast<Function>(m_devices->Library().Symbol(name));
    }

    std::string State() {
        auto stateJson = Control<size_t (*)(char*, size_t)>("zephyl_virtual_state_json");
        std::string text(stateJson(nullptr, 0) + 1, '\0');
        stateJson(text.data(), text.size());
        text.resize(text.size() - 1);
        return text;
    }

    /// The settings block the keyboard keeps (hex), empty when none was written.
    std::string StoredSettingsBlock() {
        std::smatch match;
        const std::string state = State();
        if (std::regex_search(state, match,
                              std::regex("\"settings\": *\\{\"1\": *\"([0-9a-f]+)\""))) {
            return match[1];
        }
        return {};
    }

    /// Hex of every report of one kind in the log, in order.
    std::vector<std::string> Reports(const std::string& iface, const std::string& op) {
        std::vector<std::string> hex;
        std::ifstream log(m_logPath);
        std::string line;
        const std::regex pattern("\"iface\":\"" + iface + "\",\"op\":\"" + op +
                                 "\",\"hex\":\"([0-9a-f]*)\"");
        while (std::getline(log, line)) {
            std::smatch match;
            if (std::regex_search(line, match, pattern)) {
                hex.push_back(match[1]);
            }
        }
        return hex;
    }

    void StoreAllSettings() {
        ASSERT_TRUE(m_controller->StoreSetting(kConfigDisableWin, 1));
        ASSERT_TRUE(m_controller->StoreSetting(kConfigDisableAltTab, 1));
        ASSERT_TRUE(m_controller->StoreSetting(kConfigDisableAltF4, 1));
        ASSERT_TRUE(m_controller->StoreSetting(kConfigFnSwitch, 1));
        ASSERT_TRUE(m_controller->StoreSetting(kConfigSleepTime, 3));
        ASSERT_TRUE(m_controller->StoreSetting(kConfigKeyResponseTime, 2));
    }

    test::TempEnvironment m_environment;
    std::string m_logPath;
    std::unique_ptr<DeviceManager> m_devices;
    ProfileDatabase m_database;
    RecordingView m_view;
    std::atomic<std::int64_t> m_now{1'000'000};
    std::shared_ptr<KeyboardController> m_controller;
};

const std::string kExpectedBlock = "000101010101030002" + std::string(53 * 2, '0') + "aa55";

TEST_F(ControllerVirtualTest, FirstStartRefreshesOnceAndShowsTheKeyboard) {
    Start("101:0");
    m_controller->PostCommand(kCommandStart);
    m_controller->PostCommand(kCommandStart);
    m_controller->Work();
    EXPECT_TRUE(m_controller->Connected());
    EXPECT_TRUE(m_controller->Ready());
    EXPECT_EQ(m_controller->ConnectionMode(), kModeCable);
    EXPECT_TRUE(m_view.Saw("connected 1"));

    // Pulled out behind the program's back: a second start command must not look again.
    ASSERT_EQ(Control<int (*)(int, int, int)>("zephyl_virtual_set_plugged")(101, 0, 0), 0);
    Drain();
    EXPECT_TRUE(m_controller->Connected());
    m_controller->RunCommand(kCommandRemoval);
    EXPECT_FALSE(m_controller->Connected());
    EXPECT_EQ(m_view.Calls().back(), "disconnected");
}

TEST_F(ControllerVirtualTest, AFirstStartShowsTheModelThatIsPluggedIn) {
    // Only the K68 is plugged in and no model was ever chosen: the window must not show the
    // first model of the list (the K100) as connected while the keyboard is another one.
    Start("102:0");
    m_controller->RunCommand(kCommandStart);
    EXPECT_TRUE(m_controller->Connected());
    EXPECT_EQ(m_controller->SelectedDeviceType(), 102);
    EXPECT_EQ(m_controller->Layout()->keys.size(), 68u);
    EXPECT_EQ(SettingsStore("Zephyl Keyboard Driver").ReadInt("DeviceType"), 102);
}

TEST_F(ControllerVirtualTest, AStoredModelThatIsNotPluggedInGivesWayToOneThatIs) {
    // The K100 was chosen in an earlier run; today only the K68 is plugged in.
    SettingsStore("Zephyl Keyboard Driver").WriteInt("DeviceType", 101);
    Start("102:0");
    m_controller->RunCommand(kCommandStart);
    EXPECT_EQ(m_controller->SelectedDeviceType(), 102);
    EXPECT_TRUE(m_controller->Ready());
    EXPECT_FALSE(m_controller->SelectedModelAbsent());
    EXPECT_EQ(m_controller->ConnectionMode(), kModeCable);
    EXPECT_TRUE(m_view.Saw("mode 0"));
    EXPECT_EQ(SettingsStore("Zephyl Keyboard Driver").ReadInt("DeviceType"), 102);
}

TEST_F(ControllerVirtualTest, AModelPickedWhileNotPluggedInKeepsItsChangesUntilItIs) {
    Start("101:0;102:0");
    ASSERT_EQ(Control<int (*)(int, int, int)>("zephyl_virtual_set_plugged")(101, 0, 0), 0);
    m_controller->RunCommand(kCommandStart);
    ASSERT_EQ(m_controller->SelectedDeviceType(), 102);

    // The user picks the K100 in the model list: its pages, nothing lit, nothing sent.
    m_controller->OnModelChosen(101);
    Drain();
    EXPECT_EQ(m_controller->SelectedDeviceType(), 101);
    EXPECT_TRUE(m_controller->SelectedModelAbsent());
    EXPECT_FALSE(m_controller->Ready());
    EXPECT_EQ(m_controller->ConnectionMode(), kModeNone);
    EXPECT_NE(m_controller->Layout()->keys.size(), 68u) << "the K100's own layout";
    EXPECT_TRUE(m_view.Saw("mode -1 absent"));

    StoreAllSettings();
    m_controller->PostCommand(kCommandSendSettings);
    Drain();
    const std::string kept = FailureMessage(kTextModelNotConnected, 0, "Zephyl K100");
    EXPECT_NE(kept.find("Zephyl K100"), std::string::npos) << kept;
    EXPECT_TRUE(m_view.Saw("failed: " + kept));
    EXPECT_EQ(StoredSettingsBlock(), "") << "nothing reached a keyboard";

    // Plugged in: the change kept for it goes.
    ASSERT_EQ(Control<int (*)(int, int, int)>("zephyl_virtual_set_plugged")(101, 0, 1), 0);
    m_controller->RunCommand(kCommandArrival);
    EXPECT_EQ(m_controller->SelectedDeviceType(), 101);
    EXPECT_FALSE(m_controller->SelectedModelAbsent());
    EXPECT_TRUE(m_controller->Ready());
    Drain();
    EXPECT_EQ(StoredSettingsBlock(), kExpectedBlock);
}

TEST_F(ControllerVirtualTest, AKeyboardThisUserMayNotOpenIsNamedWithTheWayOut) {
    Start(R"({"keyboards": [{"model": 101, "modes": [0], "open_refused": true}]})");
    m_controller->RunCommand(kCommandStart);
    EXPECT_FALSE(m_controller->Connected());
    EXPECT_EQ(m_controller->RefusedDeviceTypes(), std::vector<int>{101});
    const std::string problem = m_controller->AccessProblem();
    EXPECT_EQ(problem, AccessRefusedMessage("Zephyl K100",
                                            FindUdevRule(std::string(ZEPHYL_RUNTIME_DIR) + "/")));
    EXPECT_TRUE(m_view.Saw("access: " + problem));
    // A write says why it cannot be sent, not that no keyboard is there.
    const CommandOutcome outcome = m_controller->RunCommand(kCommandSendSettings);
    EXPECT_FALSE(outcome.done);
    EXPECT_EQ(outcome.failure, problem);
}

TEST_F(ControllerVirtualTest, AKeyboardThatOpensSaysNothingOfAccess) {
    Start(R"({"keyboards": [{"model": 101, "modes": [0], "open_refused": true},
                            {"model": 102, "modes": [0]}]})");
    m_controller->RunCommand(kCommandStart);
    EXPECT_TRUE(m_controller->Connected());
    EXPECT_EQ(m_controller->SelectedDeviceType(), 102);
    EXPECT_EQ(m_controller->RefusedDeviceTypes(), std::vector<int>{101});
    EXPECT_TRUE(m_view.Saw("access: "));
    EXPECT_FALSE(m_view.Saw("access: " + m_controller->AccessProblem()));
}

TEST(ModelToShowTest, StoredModelWhenPluggedInOrJustChosenElseAPluggedInOne) {
    std::vector<KeyboardModel> models(3);
    models[0].deviceType = 101;
    models[1].deviceType = 102;
    models[2].deviceType = 103;
    struct Case {
        int stored;
        int shown;
        std::vector<int> connected;
        int expected;
        bool chosenNow = false;
    };
    const Case cases[] = {
        {102, 101, {102, 103}, 102},   // the stored model is plugged in: it stands
        {102, 102, {103}, 103},        // it is not, another is: the one plugged in
        {102, 101, {101, 103}, 101},   // ... the one shown when it is plugged in
        {102, 101, {}, 102},           // nothing plugged in: the stored model
        {102, 101, {555}, 102},        // ... an unknown keyboard counts as nothing
        {102, 103, {103}, 102, true},  // just picked in the list: shown though not plugged in
        {0, 101, {102}, 102},          // nothing stored: the keyboard plugged in
        {0, 101, {103, 102}, 102},     // several: the first in the list's order
        {0, 101, {101, 102}, 101},     // the model shown is plugged in: it stays
        {0, 101, {}, 101},             // nothing plugged in: the list keeps its selection
        {999, 101, {103}, 103},        // a stored model no longer declared counts as none
        {999, 101, {103}, 103, true},  // ... even when just sent by the list
        {0, 101, {555}, 101},          // an unknown keyboard changes nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.stored << " " << c.shown << " " << c.chosenNow);
        EXPECT_EQ(ModelToShow(models, c.stored, c.shown, c.connected, c.chosenNow), c.expected);
    }
}

TEST_F(ControllerVirtualTest, QueuedCommandsRunOnePerTickInOrder) {
    Start("101:0");
    m_controller->RunCommand(kCommandStart);
    Drain();
    StoreAllSettings();
    std::vector<std::string> seen;
    m_controller->SetCommandHandler(kCommandWriteKeyLayers, [this, &seen](KeyboardController&) {
        seen.push_back("6 with settings block " + StoredSettingsBlock());
    });
    const std::string before = StoredSettingsBlock();
    m_controller->PostCommand(kCommandWriteKeyLayers);
    m_controller->PostCommand(kCommandSendSettings);
    m_controller->Work();
    ASSERT_EQ(seen, std::vector<std::string>{"6 with settings block " + before});
    EXPECT_EQ(m_controller->QueueLength(), 1u);
    EXPECT_TRUE(m_view.Saw("close wait")) << "command 6 closes the wait dialog";
    m_controller->Work();
    EXPECT_EQ(StoredSettingsBlock(), kExpectedBlock);
}

TEST_F(ControllerVirtualTest, SettingsBlockIsByteExactOnTheCable) {
    Start("101:0");
    m_controller->RunCommand(kCommandStart);
    Drain();
    StoreAllSettings();
    ASSERT_TRUE(m_controller->SendSettings());
    const auto sent = Reports("cable", "set_feature");
    ASSERT_GE(sent.size(), 4u);
    const std::vector<std::string> sequence(sent.end() - 4, sent.end());
    EXPECT_EQ(sequence[0], "000418" + std::string(124, '0'));
    EXPECT_EQ(sequence[1], "00041701" + std::string(10, '0') + "01" + std::string(110, '0'));
    EXPECT_EQ(sequence[2], "00" + kExpectedBlock);
    EXPECT_EQ(sequence[3], "000402" + std::string(124, '0'));
    EXPECT_EQ(StoredSettingsBlock(), kExpectedBlock);
}

TEST_F(ControllerVirtualTest, SettingsFrameIsByteExactOnTheReceiver) {
    Start("101:2");
    m_controller->RunCommand(kCommandStart);
    Drain();
    ASSERT_TRUE(m_controller->Ready());
    StoreAllSettings();
    ASSERT_TRUE(m_controller->SendSettings());
    const auto writes = Reports("receiver", "write");
    ASSERT_FALSE(writes.empty());
    std::string frame =
        "00071000000101010101030002" + std::string(10, '0') + "aa55" + std::string(24, '0');
    int sum = 0;
    for (std::size_t i = 0; i < frame.size(); i += 2) {
        sum += std::stoi(frame.substr(i, 2), nullptr, 16);
    }
    char checksum[3];
    std::snprintf(checksum, sizeof checksum, "%02x", sum & 0xFF);
    EXPECT_EQ(writes.back(), frame + checksum);
    EXPECT_EQ(StoredSettingsBlock().substr(0, 18), kExpectedBlock.substr(0, 18));
}

TEST_F(ControllerVirtualTest, EmptySleepTimeIsSentAsZeroAndBluetoothGetsNothing) {
    Start("101:0");
    m_controller->RunCommand(kCommandStart);
    Drain();
    ASSERT_TRUE(m_database.SetConfigValue(kSettingsProfile, kConfigSleepTime, ""));
    ASSERT_TRUE(m_controller->SendSettings());
    EXPECT_EQ(StoredSettingsBlock().substr(12, 2), "00");

    TearDown();
    Start("101:1");
    m_controller->RunCommand(kCommandStart);
    Drain();
    EXPECT_EQ(m_controller->ConnectionMode(), kModeBluetooth);
    const auto before =
        Reports("cable", "set_feature").size() + Reports("receiver", "write").size();
    EXPECT_FALSE(m_controller->SendSettings());
    EXPECT_EQ(Reports("cable", "set_feature").size() + Reports("receiver", "write").size(), before);
}

TEST_F(ControllerVirtualTest, AsleepKeyboardKeepsCommandsUntilItWakes) {
    Start(R"({"keyboards": [{"model": 101, "modes": [2], "asleep": true}]})");
    m_controller->RunCommand(kCommandStart);
    EXPECT_TRUE(m_controller->Connected());
    EXPECT_FALSE(m_controller->Ready());
    EXPECT_TRUE(m_view.Saw("disconnected"));

    StoreAllSettings();
    m_controller->PostCommand(kCommandSendSettings);
    m_controller->Work();
    EXPECT_EQ(m_controller->QueueLength(), 0u) << "taken and dropped";
    EXPECT_EQ(StoredSettingsBlock(), "");
    const size_t callsBefore = m_view.Calls().size();
    m_controller->PostCommand(kCommandWriteKeyLayers);
    m_controller->Work();
    const std::vector<std::string> calls = m_view.Calls();
    EXPECT_NE(std::find(calls.begin() + std::ptrdiff_t(callsBefore), calls.end(), "close wait"),
              calls.end())
        << "a dropped command closes its wait dialog";
    EXPECT_EQ(calls.back(), "failed: " + FailureMessage(kTextNoKeyboardReady))
        << "and says it is kept";

    ASSERT_EQ(Control<int (*)(int, int)>("zephyl_virtual_set_asleep")(101, 0), 0);
    m_controller->PollNotifications();
    EXPECT_TRUE(m_controller->Ready());
    EXPECT_TRUE(m_view.Saw("connected 1"));
    Drain();  // loads the pages, then sends what was kept while it slept
    EXPECT_EQ(StoredSettingsBlock().substr(0, 18), kExpectedBlock.substr(0, 18));
    ASSERT_TRUE(m_controller->StoreSetting(kConfigSleepTime, 1));
    m_controller->PostCommand(kCommandSendSettings);
    Drain();
    EXPECT_EQ(StoredSettingsBlock().substr(12, 2), "01") << "and later changes as ever";

    ASSERT_EQ(Control<int (*)(int, int)>("zephyl_virtual_set_asleep")(101, 1), 0);
    m_now += KeyboardController::kNotificationPollMs + 10;
    m_controller->PollNotifications();
    EXPECT_FALSE(m_controller->Ready());
    EXPECT_EQ(m_view.Calls().back(), "disconnected");
}

TEST_F(ControllerVirtualTest, BatteryShowsAtMostHundredAndIgnoresZero) {
    Start("101:2");
    auto setBattery = Control<int (*)(int, int)>("zephyl_virtual_set_battery");
    ASSERT_EQ(setBattery(101, 0xC8), 0);
    m_controller->RunCommand(kCommandStart);
    EXPECT_EQ(m_controller->BatteryLevel(), 100);
    ASSERT_EQ(setBattery(101, 42), 0);
    m_controller->PollBattery(false);
    EXPECT_EQ(m_controller->BatteryLevel(), 100) << "unforced polls wait 15 s";
    m_controller->PollBattery(true);
    EXPECT_EQ(m_controller->BatteryLevel(), 42) << "a forced poll asks at once";
    ASSERT_EQ(setBattery(101, 0), 0);
    m_controller->PollBattery(true);
    EXPECT_EQ(m_controller->BatteryLevel(), 42) << "no level keeps the one shown";
    EXPECT_EQ(m_view.Calls().back(), "battery 42");
}

TEST_F(ControllerVirtualTest, StopDuringACommandNeverStrandsTheWorker) {
    Start("101:0");
    std::atomic<bool> entered{false};
    std::atomic<bool> released{false};
    std::atomic<bool> finished{false};
    // The command outlasts the bounded stop: it ends only when the test lets it.
    m_controller->SetCommandHandler(
        kCommandWriteMacros, [&entered, &released, &finished](KeyboardController& controller) {
            entered = true;
            while (!released.load()) {
                std::this_thread::sleep_for(5ms);
            }
            // Still a live controller, though the window is gone.
            finished = controller.Connected();
        });
    m_controller->Start();
    for (int i = 0; i < 200 && !m_controller->Ready(); ++i) {
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_TRUE(m_controller->Ready());
    m_controller->PostCommand(kCommandWriteMacros);
    while (!entered.load()) {
        std::this_thread::sleep_for(5ms);
    }
    m_controller->Shutdown();
    EXPECT_FALSE(finished.load()) << "the stop gave up waiting instead of waiting for the command";
    std::weak_ptr<KeyboardController> watch = m_controller;
    m_controller.reset();
    EXPECT_FALSE(watch.expired()) << "the worker still holds the controller";
    released = true;
    while (!watch.expired()) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_TRUE(finished.load());
    EXPECT_FALSE(m_view.Saw("close wait")) << "the window was detached before the command ended";
}

TEST_F(ControllerVirtualTest, IdleStepRunsOnlyOnIdlePassesOfItsPage) {
    Start("101:0");
    m_controller->RunCommand(kCommandStart);
    Drain();
    int steps = 0;
    m_controller->SetIdleStep(kFeatureCustomLight, [&steps](KeyboardController&) { ++steps; });

    m_controller->SetCurrentPage(6, kFeatureCustomLight);
    m_controller->Work();
    EXPECT_EQ(steps, 1) << "an idle pass on its page runs the step";
    m_controller->SetCurrentPage(7, kFeatureMusic);
    m_controller->Work();
    EXPECT_EQ(steps, 1) << "another page's idle pass does not";
    m_controller->SetCurrentPage(6, kFeatureCustomLight);
    m_controller->PostCommand(kCommandSendSettings);
    m_controller->Work();
    EXPECT_EQ(steps, 1) << "a pass with a command runs the command instead";
    EXPECT_EQ(m_controller->QueueLength(), 0u);

    ASSERT_EQ(Control<int (*)(int, int, int)>("zephyl_virtual_set_plugged")(101, 0, 0), 0);
    m_controller->RunCommand(kCommandRemoval);
    m_controller->Work();
    EXPECT_EQ(steps, 1) << "nothing streams without a keyboard";
}

TEST_F(ControllerVirtualTest, LongIdleStepEndsWhenACommandIsPosted) {
    Start("101:0");
    m_controller->RunCommand(kCommandStart);
    Drain();
    std::atomic<bool> streaming{false};
    m_controller->SetIdleStep(kFeatureCustomLight, [&streaming](KeyboardController& controller) {
        streaming = true;
        while (!controller.CommandWaiting()) {
            std::this_thread::sleep_for(1ms);
        }
    });
    m_controller->SetCurrentPage(6, kFeatureCustomLight);
    std::thread window([this, &streaming] {
        while (!streaming.load()) {
            std::this_thread::sleep_for(1ms);
        }
        m_controller->PostCommand(kCommandSendSettings);
    });
    m_controller->Work();  // returns once the window posted
    window.join();
    EXPECT_EQ(m_controller->QueueLength(), 1u);
    m_controller->Work();
    EXPECT_EQ(m_controller->QueueLength(), 0u);
}

TEST_F(ControllerVirtualTest, BackgroundStepRunsOnIdlePassesOfEveryPage) {
    Start("101:0");
    m_controller->RunCommand(kCommandStart);
    Drain();
    int pageSteps = 0;
    int backgroundSteps = 0;
    m_controller->SetIdleStep(kFeatureCustomLight, [&](KeyboardController&) { ++pageSteps; });
    m_controller->SetBackgroundStep("test", [&](KeyboardController&) { ++backgroundSteps; });

    struct Pass {
        int page;
        int feature;
        bool commandWaits;
        int pageSteps;
        int backgroundSteps;
    };
    const Pass passes[] = {
        {0, 0, false, 0, 1},                    // the home page
        {7, kFeatureMusic, false, 0, 2},        // a page of another feature
        {6, kFeatureCustomLight, false, 1, 3},  // after the page's own step
        {6, kFeatureCustomLight, true, 1, 3},   // a command runs instead
    };
    for (const Pass& pass : passes) {
        m_controller->SetCurrentPage(pass.page, pass.feature);
        if (pass.commandWaits) {
            m_controller->PostCommand(kCommandSendSettings);
        }
        m_controller->Work();
        EXPECT_EQ(pageSteps, pass.pageSteps) << "page " << pass.page;
        EXPECT_EQ(backgroundSteps, pass.backgroundSteps) << "page " << pass.page;
    }

    // A page step that ends because a command was posted leaves the background step out too.
    m_controller->SetIdleStep(kFeatureCustomLight, [this](KeyboardController&) {
        m_controller->PostCommand(kCommandSendSettings);
    });
    m_controller->Work();
    EXPECT_EQ(backgroundSteps, 3);
    Drain();

    m_controller->SetBackgroundStep("test", nullptr);
    m_controller->SetCurrentPage(0, 0);
    m_controller->Work();
    EXPECT_EQ(backgroundSteps, 3) << "an empty step removes it";
}

TEST_F(ControllerVirtualTest, RequestsThatReadTheStoreWhenTheyRunAreQueuedOnce) {
    Start("101:0");
    m_controller->RunCommand(kCommandStart);
    Drain();
    StoreAllSettings();
    // Dragging a setting's control asks for a write at every step: one write sends the last.
    for (int i = 0; i < 3; ++i) {
        m_controller->PostCommand(kCommandSendSettings);
    }
    EXPECT_EQ(m_controller->QueueLength(), 1u);
    // A single-key write counts each time: it writes the key selected when it runs.
    m_controller->PostCommand(kCommandWriteKeyLayer);
    m_controller->PostCommand(kCommandWriteKeyLayer);
    EXPECT_EQ(m_controller->QueueLength(), 3u);
    // Once taken, a new request queues again: the store may have changed since.
    m_controller->Work();
    m_controller->PostCommand(kCommandSendSettings);
    EXPECT_EQ(m_controller->QueueLength(), 3u);
    Drain();
    const auto sent = Reports("cable", "set_feature");
    const auto headers = std::count_if(sent.begin(), sent.end(), [](const std::string& hex) {
        return hex.rfind("00041701", 0) == 0;
    });
    EXPECT_EQ(headers, 2) << "the settings block went out once per queued request";
    EXPECT_EQ(StoredSettingsBlock(), kExpectedBlock);
}

TEST_F(ControllerVirtualTest, ResetsOnTheReceiverAreTheKeyboardsOwn) {
    Start("101:2");
    m_controller->RunCommand(kCommandStart);
    Drain();
    KeyAssignment assignment;
    assignment.profile = m_controller->CurrentProfile();
    assignment.key_code = 4;
    assignment.macro_type = 2;
    assignment.macro_value = 5;
    ASSERT_GT(m_database.SaveKeyAssignment(assignment), 0);

    EXPECT_EQ(m_controller->ResetKeyAssignments(), kCommandResetKeysReceiver);
    std::vector<KeyAssignment> left;
    EXPECT_EQ(m_database.ListKeyAssignments(assignment.profile, 0, left), 0);
    Drain();
    EXPECT_TRUE(std::regex_search(State(), std::regex("\"key_resets\": *1"))) << State();
    EXPECT_TRUE(m_view.Saw("close wait"));

    ASSERT_TRUE(m_controller->StoreSetting(kConfigSleepTime, 0));
    EXPECT_TRUE(m_controller->RestoreDefaults(1049));
    EXPECT_EQ(m_controller->Settings().ReadInt("LCID"), 1049);
    EXPECT_EQ(m_controller->ReadSettings().sleepTime, 2) << "the database starts over";
    Drain();
    EXPECT_TRUE(std::regex_search(State(), std::regex("\"restores\": *1"))) << State();
    SetCurrentLanguageId(1033);
}

TEST_F(ControllerVirtualTest, RestoreDefaultsOnTheCableResendsTheSettings) {
    Start("101:0");
    m_controller->RunCommand(kCommandStart);
    Drain();
    StoreAllSettings();
    ASSERT_TRUE(m_controller->SendSettings());
    EXPECT_TRUE(m_controller->RestoreDefaults(1033));
    Drain();
    EXPECT_EQ(StoredSettingsBlock().substr(0, 18), "000100000000020002");
    EXPECT_EQ(m_controller->ResetKeyAssignments(), kCommandWriteKeyLayers);
}

TEST_F(ControllerVirtualTest, FirmwareToolRunsWhileTheWorkerWaitsThenDevicesReopen) {
    // A resource folder of our own, with a firmware tool that leaves a mark.
    const auto resources = m_environment.Root() / "resources";
    std::filesystem::copy(ZEPHYL_RUNTIME_DIR, resources, std::filesystem::copy_options::recursive);
    const auto mark = m_environment.Root() / "tool-ran";
    const auto tool = test::WriteFile(resources / "firmware" / "FirmwareUpdateTool-K100",
                                      "#!/bin/sh\nsleep 0.2\ntouch '" + mark.string() + "'\n");
    std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
    Start(R"({"keyboards": [{"model": 101, "modes": [0], "release": "0x0105"}]})");
    m_controller = std::make_shared<KeyboardController>(
        *m_devices, m_database, std::make_shared<SettingsStore>("Zephyl Keyboard Driver"),
        resources.string() + "/", DataFolder());
    m_controller->LoadDeviceDescriptions();
    m_controller->RunCommand(kCommandStart);
    Drain();
    ASSERT_EQ(m_controller->Layout()->firmwareFile, "FirmwareUpdateTool-K100");

    ASSERT_EQ(m_controller->FirmwareUpdate(), KeyboardController::FirmwareUpdateResult::kStarted);
    EXPECT_EQ(m_devices->CommandEntryCount(), 0u) << "interfaces are closed for the tool";
    m_controller->Work();  // waits for the tool
    EXPECT_TRUE(std::filesystem::exists(mark));
    EXPECT_EQ(m_devices->CommandEntryCount(), 1u) << "and reopened after it";

    std::filesystem::remove(tool);
    EXPECT_EQ(m_controller->FirmwareUpdate(), KeyboardController::FirmwareUpdateResult::kNoTool);
}

TEST_F(ControllerVirtualTest, FirmwareAsNewAsTheLayoutsIsNotOffered) {
    Start(R"({"keyboards": [{"model": 101, "modes": [0], "release": "0x0106"}]})");
    m_controller->RunCommand(kCommandStart);
    Drain();
    EXPECT_EQ(m_controller->FirmwareUpdate(), KeyboardController::FirmwareUpdateResult::kNotNewer);
    EXPECT_EQ(m_devices->CommandEntryCount(), 1u) << "nothing was closed";
}

TEST_F(ControllerVirtualTest, PluggingTheReceiverInIsNoticedAndApplied) {
    Start("101:0");
    ASSERT_TRUE(m_controller->StartDeviceNotifications());
    m_controller->RunCommand(kCommandStart);
    Drain();
    auto setPlugged = Control<int (*)(int, int, int)>("zephyl_virtual_set_plugged");
    ASSERT_EQ(setPlugged(101, 0, 0), 0);
    for (int i = 0; i < 200 && m_controller->QueueLength() == 0; ++i) {
        std::this_thread::sleep_for(10ms);
    }
    Drain();
    EXPECT_FALSE(m_controller->Connected());

    ASSERT_EQ(setPlugged(101, 2, 1), 0);
    for (int i = 0; i < 200 && m_controller->QueueLength() == 0; ++i) {
        std::this_thread::sleep_for(10ms);
    }
    Drain();
    EXPECT_TRUE(m_controller->Connected());
    EXPECT_EQ(m_controller->ConnectionMode(), kModeReceiver);
    const auto modes = m_controller->Modes();
    EXPECT_TRUE(std::any_of(modes.begin(), modes.end(), [](const KeyboardMode& mode) {
        return mode.mode == kModeReceiver && mode.connected;
    }));
}

}  // namespace
}  // namespace zephyl
