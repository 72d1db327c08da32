// SPDX-License-Identifier: GPL-2.0-or-later
// Every command family's reports as the virtual keyboard logged them, compared byte for byte with
// the golden traces in traces/. Set ZEPHYL_RECORD_TRACES=1 to write the traces anew from the log
// (then read the diff before keeping them).
#include "catalogue/DeviceCatalogue.h"
#include "device/DeviceManager.h"
#include "protocol/KeyTable.h"
#include "protocol/MacroImage.h"
#include "protocol/SettingsReports.h"
#include "protocol/StatusReports.h"
#include "support/TempEnvironment.h"
#include "support/Traces.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace zephyl {
namespace {

using LoadScenarioFunction = int (*)(const char*);
using NextChangeFunction = int (*)(char*, size_t, int*);

class CommandTraceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_environment = new test::TempEnvironment;
        s_logPath = (s_environment->Root() / "reports.jsonl").string();
        s_environment->SetVariable("ZEPHYL_RESOURCE_DIR", ZEPHYL_SOURCE_DATA_DIR "/");
        s_environment->SetVariable("ZEPHYL_VIRTUAL_LOG", s_logPath);
        s_environment->SetVariable("ZEPHYL_VIRTUAL_STATE", std::nullopt);
        s_environment->SetVariable("ZEPHYL_VIRTUAL_KEYBOARD", "101:0");
        s_library = HidLibrary::LoadVirtual();
    }
    static void TearDownTestSuite() {
        s_library.reset();
        delete s_environment;
        s_environment = nullptr;
    }

    void SetUp() override {
        if (!s_library->Loaded()) {
            GTEST_SKIP() << "libzephyl-virtual-hid.so is not built beside the test";
        }
        auto load = reinterpret_cast<LoadScenarioFunction>(
            s_library->Symbol("zephyl_virtual_load_scenario"));
        auto next =
            reinterpret_cast<NextChangeFunction>(s_library->Symbol("zephyl_virtual_next_change"));
        ASSERT_TRUE(load && next);
        m_loadScenario = load;
        m_nextChange = next;
    }

    /// A manager on a keyboard of model 101 connected by `scenario`'s modes.
    std::unique_ptr<DeviceManager> Connect(const char* scenario) {
        EXPECT_EQ(m_loadScenario(scenario), 0) << scenario;
        char path[1024];
        int arrived = 0;
        while (m_nextChange(path, sizeof path, &arrived) == 1) {
        }
        auto manager = std::make_unique<DeviceManager>(s_library);
        manager->AddKnownDevices(
            LoadDeviceDescriptions(ZEPHYL_SOURCE_DATA_DIR "/", "skins/default/", 0).knownDevices);
        manager->Reopen();
        manager->SetSelectedDeviceType(101);
        return manager;
    }

    /// The reports the host sent while `exchange` ran, as "iface op hex" lines.
    static std::vector<std::string> Record(const std::function<void()>& exchange) {
        std::streamoff mark = 0;
        if (std::ifstream in(s_logPath, std::ios::ate); in) {
            mark = in.tellg();
        }
        exchange();
        std::ifstream in(s_logPath);
        in.seekg(mark);
        return test::LoggedReports(in, true);
    }

    /// Compares with the golden trace of that name, or writes it when recording.
    static void ExpectTrace(const std::string& name, const std::string& title,
                            const std::vector<std::string>& sent) {
        test::ExpectTrace(std::string(ZEPHYL_DEVICE_TRACE_DIR "/") + name, title, sent);
    }

    static KeyboardSettings ExampleSettings() {
        KeyboardSettings settings;
        settings.disableWin = settings.disableAltTab = settings.disableAltF4 = true;
        settings.fnSwitch = 1;
        settings.sleepTime = 3;
        settings.keyResponseTime = 2;
        return settings;
    }

    static KeyTable ExampleTable(int layer) {
        std::vector<PlacedKeySlot> slots;
        if (layer == 0) {
            slots = {{1, CombinationKeySlot(0x04, 0x05, 0)}, {3, ConsumerKeySlot(0xCD, 0)}};
        } else {
            slots = {{2, DisabledKeySlot()}, {143, MacroKeySlot(0, 1, 3)}};
        }
        return BuildKeyTableBlock(slots);
    }

    static std::vector<std::uint8_t> ExampleMacroBody() {
        const std::vector<MacroImageSteps> macros = {
            {{MacroAction::kKeyDown, 0x04, 0}, {MacroAction::kKeyUp, 0x04, 25}}, {}};
        return EncodeMacroImageBody(macros);
    }

    static inline test::TempEnvironment* s_environment = nullptr;
    static inline std::string s_logPath;
    static inline std::shared_ptr<HidLibrary> s_library;
    LoadScenarioFunction m_loadScenario = nullptr;
    NextChangeFunction m_nextChange = nullptr;
};

TEST_F(CommandTraceTest, CableWriteSequences) {
    auto manager = Connect("101:0");
    std::vector<int> pauses;
    const auto record = [&pauses](int ms) { pauses.push_back(ms); };

    ExpectTrace("settings_cable.txt", "Settings block over the cable: begin, header, block, end.",
                Record([&] {
                    EXPECT_TRUE(manager->SendCableBlock(kDataSettings, kSettingsArgumentKeyboard,
                                                        BuildSettingsBlock(ExampleSettings())));
                }));

    CableBlockOptions keyTable;
    keyTable.refresh = CableBlockOptions::Refresh::kConfirmed;
    ExpectTrace("key_table_cable.txt",
                "Key tables of both layers over the cable, each followed by the refresh.",
                Record([&] {
                    for (int layer : {0, 1}) {
                        EXPECT_TRUE(manager->SendCableBlock(KeyTableDataType(layer), 0,
                                                            ExampleTable(layer), keyTable));
                    }
                }));

    CableBlockOptions macro;
    macro.macroBegin = true;
    macro.pauseBeforeBlock = 30;
    macro.pauseAfterBlock = 30;
    macro.pause = record;
    ExpectTrace("macro_image_cable.txt",
                "Macro image over the cable: the macro begin, header of eight packets, image, end.",
                Record([&] {
                    EXPECT_TRUE(manager->SendCableBlock(
                        kDataMacroImage, 0, CableMacroImage(ExampleMacroBody()), macro));
                }));
    EXPECT_EQ(pauses, (std::vector<int>{30, 30}));
}

TEST_F(CommandTraceTest, ReceiverFrames) {
    auto manager = Connect("101:2");
    std::vector<int> pauses;
    const auto record = [&pauses](int ms) { pauses.push_back(ms); };

    ExpectTrace(
        "settings_receiver.txt", "Settings record over the receiver.", Record([&] {
            EXPECT_TRUE(manager->SendReceiverFrame(BuildSettingsReceiverFrame(ExampleSettings())));
        }));

    ExpectTrace("key_table_receiver.txt",
                "Key tables of both layers over the receiver, 21 frames each.", Record([&] {
                    for (int layer : {0, 1}) {
                        std::vector<ReceiverFrame> frames =
                            BuildKeyTableFrames(layer, ExampleTable(layer));
                        EXPECT_TRUE(manager->SendReceiverFrames(frames, 2, record));
                    }
                }));
    EXPECT_EQ(pauses, std::vector<int>(40, 2));

    ExpectTrace("macro_image_receiver.txt", "Macro image over the receiver in 28-byte chunks.",
                Record([&] {
                    const std::vector<std::uint8_t> body = ExampleMacroBody();
                    std::vector<ReceiverFrame> frames =
                        BuildMacroFrames(ReceiverMacroImage(body), body.size());
                    EXPECT_TRUE(manager->SendReceiverFrames(frames, 2, nullptr));
                }));

    ExpectTrace("resets_receiver.txt",
                "Receiver resets: the key assignments, then the keyboard's defaults.", Record([&] {
                    EXPECT_TRUE(manager->SendReceiverFrame(BuildResetKeysFrame()));
                    EXPECT_TRUE(manager->SendReceiverFrame(BuildRestoreDefaultsFrame()));
                }));

    ExpectTrace("battery_receiver.txt", "Battery query over the receiver.", Record([&] {
                    ReceiverFrame query = BuildBatteryQuery();
                    ASSERT_TRUE(manager->Query(query));
                    EXPECT_TRUE(BatteryLevelFromAnswer(query).has_value());
                }));
}

}  // namespace
}  // namespace zephyl
