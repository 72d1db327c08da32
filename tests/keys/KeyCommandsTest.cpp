// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/KeyCommands.h"

#include "app/KeyboardController.h"
#include "app/WorkerCommand.h"
#include "device/DeviceManager.h"
#include "keys/AssignmentKinds.h"
#include "keys/HostActions.h"
#include "platform/SettingsStore.h"
#include "store/ProfileDatabase.h"

#include "FakeKeyboard.h"
#include "KeysTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zephyl {
namespace {

using test::Hex;

constexpr int kKeyA = 0x04;   // key_index 69 in the K100 layout
constexpr int kKeyFn = 0xAF;  // locked against changes on the Fn layer

/// The windowless program on model 101 (K100, with an Fn layer) with the fake keyboard, its
/// worker commands run directly.
struct Program {
    explicit Program(bool receiver, bool notifications = false)
        : keyboard(receiver, notifications),
          devices(HidLibrary::FromTable(test::FakeKeyboard::Table()), keyboard.Clock()) {
        std::filesystem::create_directories(environment.DataHome() / "db");
        controller = std::make_shared<KeyboardController>(
            devices, database, std::make_shared<SettingsStore>("Zephyl Test"),
            std::string(ZEPHYL_SOURCE_DATA_DIR) + "/", environment.DataHome().string() + "/");
        state = &controller->Selection();
        controller->SetView(&view);
        controller->LoadDeviceDescriptions();
        KeysFeatureOptions options;
        options.pause = [this](int ms) { pauses.push_back(ms); };
        RegisterKeysFeature(*controller, options);
        controller->RunCommand(kCommandStart);
        keyboard.m_sent.clear();
    }
    ~Program() { controller->Shutdown(); }

    void Assign(int layer, int key, KeyAssignment record) {
        record.profile = controller->CurrentProfile();
        record.fn_layer = layer;
        record.key_code = key;
        ASSERT_GT(database.SaveKeyAssignment(record), 0);
    }

    test::TempEnvironment environment;
    test::FakeKeyboard keyboard;
    DeviceManager devices;
    ProfileDatabase database;
    std::shared_ptr<KeyboardController> controller;
    std::vector<int> pauses;
    /// Counts the key page's loads the window would show.
    struct PageLoadCounter : NullControllerView {
        void OnPageLoaded(int feature) override { count += feature == kFeatureKeys ? 1 : 0; }
        int count = 0;
    } view;
    int& pageLoads = view.count;
    KeySelection* state = nullptr;  ///< the controller's
};

std::vector<std::string> Commands(const std::vector<std::vector<uint8_t>>& sent) {
    std::vector<std::string> out;
    for (const auto& report : sent) {
        out.push_back(Hex(report, 0, 2));
    }
    return out;
}

TEST(KeyCommandsTest, CableWritesBothLayersThenTheCurrentOne) {
    Program p(false);
    ASSERT_TRUE(p.controller->Ready());
    ASSERT_EQ(p.controller->ConnectionMode(), kModeCable);
    p.Assign(0, kKeyA, KeyRecord('B', "B", false, true, false, false));
    p.Assign(1, kKeyFn, DisableRecord("off"));  // only an import can do this
    p.controller->RunCommand(kCommandWriteKeyLayers);
    const auto& sent = p.keyboard.m_sent;
    ASSERT_EQ(sent.size(), 26u);
    EXPECT_EQ(Hex(sent[1], 0, 2), "04 11");
    EXPECT_EQ(Hex(sent[2 + 69 * 4 / 64], 69 * 4 % 64, 4), "02 01 05 00");
    EXPECT_EQ(Hex(sent[14], 0, 2), "04 27");
    // The Fn layer is written, without the locked key's assignment.
    EXPECT_EQ(Hex(sent[15 + 123 * 4 / 64], 123 * 4 % 64, 4), "00 00 00 00");
    EXPECT_EQ(Hex(sent[25], 0, 2), "04 F0");

    p.keyboard.m_sent.clear();
    p.state->SetCurrentLayer(1);
    p.controller->RunCommand(kCommandWriteKeyLayer);
    ASSERT_EQ(p.keyboard.m_sent.size(), 13u);
    EXPECT_EQ(Hex(p.keyboard.m_sent[1], 0, 2), "04 27");
}

TEST(KeyCommandsTest, ReceiverWritesLayersWithAssignmentsAndSingleKeys) {
    Program p(true);
    ASSERT_EQ(p.controller->ConnectionMode(), kModeReceiver);
    p.Assign(1, kKeyA, ItemRecord(kKindMedia, 7, "Mute"));
    EXPECT_TRUE(p.controller->RunCommand(kCommandWriteKeyLayers).done);
    // Layer 0 has no assignment and still goes out, empty, before the Fn layer: 21 frames
    // each, after the 10 ms pause.
    ASSERT_EQ(p.keyboard.m_sent.size(), 42u);
    EXPECT_EQ(Hex(p.keyboard.m_sent[0], 0, 3), "10 1C 00");
    EXPECT_EQ(Hex(p.keyboard.m_sent[21], 0, 3), "12 1C 00");
    ASSERT_FALSE(p.pauses.empty());
    EXPECT_EQ(p.pauses.front(), 10);

    p.keyboard.m_sent.clear();
    p.state->SetCurrentLayer(0);
    p.state->SetSelectedKey(kKeyA);
    p.controller->RunCommand(kCommandWriteKeyLayer);
    p.state->SetCurrentLayer(1);
    p.controller->RunCommand(kCommandWriteKeyLayer);
    p.state->SetSelectedKey(0);
    p.controller->RunCommand(kCommandWriteKeyLayer);
    ASSERT_EQ(p.keyboard.m_sent.size(), 2u);
    EXPECT_EQ(Hex(p.keyboard.m_sent[0], 0, 7), "03 04 45 02 00 04 00");
    EXPECT_EQ(Hex(p.keyboard.m_sent[1], 0, 7), "0D 04 45 03 E2 00 00");
}

TEST(KeyCommandsTest, MacrosAndThePageLoad) {
    Program p(false);
    p.database.AddMacro("Empty");
    p.controller->SetCurrentProfile(3);
    p.state->SetCurrentLayer(1);
    p.controller->RunCommand(kCommandLoadPages);
    EXPECT_EQ(p.pageLoads, 1);
    EXPECT_EQ(p.controller->CurrentProfile(), 1);
    EXPECT_EQ(p.state->CurrentLayer(), 0);

    p.keyboard.m_sent.clear();
    p.controller->RunCommand(kCommandWriteMacros);
    EXPECT_EQ(Commands(p.keyboard.m_sent),
              (std::vector<std::string>{"04 19", "04 15", "FF FF", "00 00", "00 00", "00 00",
                                        "00 00", "00 00", "00 00", "00 00", "04 02"}));
}

TEST(KeyCommandsTest, WritesTheKeyboardDidNotTakeAreReportedNotDone) {
    struct Case {
        bool receiver;
        int command;
    };
    const Case cases[] = {{false, kCommandWriteKeyLayers},
                          {false, kCommandWriteMacros},
                          {true, kCommandWriteKeyLayers},
                          {true, kCommandWriteMacros}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "receiver " << c.receiver << " command " << c.command);
        Program p(c.receiver);
        EXPECT_TRUE(p.controller->RunCommand(c.command).done);
        p.keyboard.m_refuseAll = true;
        const CommandOutcome refused = p.controller->RunCommand(c.command);
        EXPECT_FALSE(refused.done);
        EXPECT_NE(refused.failure.find("did not take"), std::string::npos) << refused.failure;
    }
}

TEST(KeyCommandsTest, MacrosTooLargeAreRefusedWithTheExcess) {
    Program p(false);
    const int macro = p.database.AddMacro("Long");
    std::vector<MacroStep> steps(340);
    for (MacroStep& step : steps) {
        step.macro_id = macro;
        step.type = 1;
        step.value = 4;
    }
    p.database.AddMacroSteps(steps);
    // 340 steps and one macro are 341 entries; the cable takes 337.
    const CommandOutcome outcome = p.controller->RunCommand(kCommandWriteMacros);
    EXPECT_FALSE(outcome.done);
    EXPECT_NE(outcome.failure.find(" 4 steps too large"), std::string::npos) << outcome.failure;
    EXPECT_TRUE(p.keyboard.m_sent.empty()) << "nothing of it was sent";
}

class Desktop : public HostActionExecutor {
public:
    void RunProgram(const std::string& path) override { calls.push_back("run " + path); }
    void OpenAddress(const std::string& address) override { calls.push_back("open " + address); }
    void PasteText(const std::string& text) override { calls.push_back("paste " + text); }
    void SwitchProfile(int profile) override {
        calls.push_back("profile " + std::to_string(profile));
    }
    std::vector<std::string> calls;
};

TEST(KeyCommandsTest, ReportedKeysRunTheirHostActions) {
    Program p(false, true);
    auto desktop = std::make_shared<Desktop>();
    InstallHostActions(*p.controller, desktop);
    const int paste = p.database.AddHostAction("hi", "", 10);
    const int profile = p.database.AddHostAction("My Config 2", "2", 11);
    std::int64_t now = 0;
    p.controller->SetClock([&now] { return now; });
    for (int id : {paste, profile}) {
        std::vector<uint8_t> report(64, 0);
        report[0] = 0x05;
        report[2] = static_cast<uint8_t>(id);
        p.keyboard.m_notifications.push_back(report);
        now += 1000;
        p.controller->PollNotifications();
    }
    EXPECT_EQ(desktop->calls, (std::vector<std::string>{"paste hi", "profile 2"}));
    EXPECT_EQ(p.controller->CurrentProfile(), 2);
    EXPECT_TRUE(p.keyboard.m_sent.empty());
}

}  // namespace
}  // namespace zephyl
