// SPDX-License-Identifier: GPL-2.0-or-later
// The custom lighting stream against the virtual keyboard: frames on idle worker passes while
// the page is shown on the cable, read back from the keyboard's report log and memory.
#include "app/Environment.h"
#include "app/KeyboardController.h"
#include "device/DeviceManager.h"
#include "device/HidLibrary.h"
#include "lighting/CustomLightEngine.h"
#include "lighting/CustomLightFeature.h"
#include "lighting/CustomLightStream.h"
#include "platform/SettingsStore.h"
#include "store/ProfileDatabase.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>

namespace zephyl {
namespace {

constexpr int kCustomLightTab = 6;

class CustomLightStreamTest : public ::testing::Test {
protected:
    void Start(const std::string& scenario, int model = 0) {
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
        RegisterCustomLightingFeature(*m_controller, {m_engine});
        m_controller->LoadDeviceDescriptions();
        m_controller->RunCommand(kCommandStart);
        if (model != 0) {
            m_controller->OnModelChosen(model);
        }
        for (int i = 0; i < 32 && m_controller->QueueLength() > 0; ++i) {
            m_controller->Work();
        }
        ASSERT_TRUE(m_controller->Ready());
        std::ofstream(m_logPath, std::ios::trunc).flush();
    }

    void TearDown() override {
        if (m_controller) {
            m_controller->Shutdown();
        }
        m_controller.reset();
        m_database.CloseDatabase();
    }

    std::vector<std::string> CableReports() {
        std::vector<std::string> hex;
        std::ifstream log(m_logPath);
        std::string line;
        const std::regex pattern(
            "\"iface\":\"cable\",\"op\":\"set_feature\",\"hex\":\"([0-9a-f]*)\"");
        while (std::getline(log, line)) {
            std::smatch match;
            if (std::regex_search(line, match, pattern)) {
                hex.push_back(match[1]);
            }
        }
        return hex;
    }

    std::string Memory(const std::string& name) {
        auto stateJson = reinterpret_cast<size_t (*)(char*, size_t)>(
            m_devices->Library().Symbol("zephyl_virtual_state_json"));
        std::string text(stateJson(nullptr, 0) + 1, '\0');
        stateJson(text.data(), text.size());
        std::smatch match;
        if (std::regex_search(text, match, std::regex("\"" + name + "\": *\"?([0-9a-f]*)\"?"))) {
            return match[1];
        }
        return {};
    }

    test::TempEnvironment m_environment;
    std::string m_logPath;
    std::unique_ptr<DeviceManager> m_devices;
    ProfileDatabase m_database;
    std::shared_ptr<CustomLightEngine> m_engine = std::make_shared<CustomLightEngine>();
    std::shared_ptr<KeyboardController> m_controller;
};

TEST_F(CustomLightStreamTest, PerKeyFramesStreamWhileThePageIsShownAndNoCommandWaits) {
    Start("101:0");
    EXPECT_EQ(CustomLightEngineOf(*m_controller), m_engine);
    const auto layout = m_controller->Layout();
    ASSERT_EQ(m_engine->KeyCount(), layout->keys.size()) << "the page load gave it the keys";
    ASSERT_GE(layout->keys.size(), 2u);
    const int first[] = {layout->keys[0].code};
    m_engine->SetKeyLightMode(first, 1);
    m_engine->SetCheckKeyColor(first, 0x0080FF, 0);

    m_controller->Work();  // another page shown: nothing streams
    EXPECT_EQ(Memory("streamed_frames"), "0");

    m_controller->SetCurrentPage(kCustomLightTab, kFeatureCustomLight);
    m_controller->Work();
    m_controller->Work();
    EXPECT_EQ(Memory("streamed_frames"), "2");
    const std::vector<std::string> sent = CableReports();
    ASSERT_EQ(sent.size(), 2u * 10u) << "frame command, 8 packets, close";
    EXPECT_EQ(sent[0].substr(0, 18), "000420000000000000");
    EXPECT_EQ(sent[0].substr(18, 2), "08");
    EXPECT_EQ(sent[9].substr(0, 6), "000402");

    // The first key lit full in its colour, the second dark with its light index only.
    char expected[32];
    std::snprintf(expected, sizeof expected, "%02xfe7f00%02x000000",
                  layout->keys[0].lightIndex & 0xFF, layout->keys[1].lightIndex & 0xFF);
    const std::string frame = Memory("last_frame");
    ASSERT_EQ(frame.size(), 512u * 2);
    EXPECT_EQ(frame.substr(0, 16), expected);
    EXPECT_EQ(sent[1].substr(2, 16), expected);

    // A queued command occupies the pass; streaming resumes after it.
    m_controller->PostCommand(kCommandSendSettings);
    m_controller->Work();
    EXPECT_EQ(Memory("streamed_frames"), "2");
    m_controller->Work();
    EXPECT_EQ(Memory("streamed_frames"), "3");
    m_controller->SetCurrentPage(1, kFeatureKeys);
    m_controller->Work();
    EXPECT_EQ(Memory("streamed_frames"), "3");
}

TEST_F(CustomLightStreamTest, SingleColourKeyboardsGetThreePacketsIndexedByLight) {
    Start("103:0", 103);
    const auto layout = m_controller->Layout();
    ASSERT_FALSE(layout->perKeyColour);
    ASSERT_FALSE(layout->keys.empty());
    const LayoutKey& key = layout->keys.back();
    const int code[] = {key.code};
    m_engine->SetKeyLightMode(code, 1);
    m_controller->SetCurrentPage(kCustomLightTab, kFeatureCustomLight);
    m_controller->Work();
    const std::vector<std::string> sent = CableReports();
    ASSERT_EQ(sent.size(), 5u);
    EXPECT_EQ(sent[0].substr(18, 2), "03");
    const std::string frame = Memory("last_frame");
    ASSERT_EQ(frame.size(), 192u * 2);
    for (size_t light = 0; light < 192; ++light) {
        EXPECT_EQ(frame.substr(light * 2, 2),
                  static_cast<int>(light) == key.lightIndex ? "ff" : "00")
            << light;
    }
}

TEST(CustomLightStreamOutcomeTest, AStreamFailsWhenMoreFramesWereLostThanArrived) {
    const struct {
        int sent;
        int failed;
        bool mostlyFailed;
    } cases[] = {{25, 0, false}, {20, 5, false}, {10, 10, false},
                 {10, 11, true}, {1, 84, true},  {0, 3, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.sent) + " sent, " + std::to_string(c.failed) + " failed");
        EXPECT_EQ(StreamMostlyFailed(c.sent, c.failed), c.mostlyFailed);
    }
}

}  // namespace
}  // namespace zephyl
