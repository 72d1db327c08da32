// SPDX-License-Identifier: GPL-2.0-or-later
// The keyboard as an SDK controller, against the virtual keyboard: what the clients set must
// reach its report log as stream frames, and a chosen effect as the effect command.
#include "sdkserver/SdkKeyboard.h"

#include "app/Environment.h"
#include "app/KeyboardController.h"
#include "core/Core.h"
#include "device/DeviceManager.h"
#include "device/HidLibrary.h"
#include "lighting/LightModes.h"
#include "platform/SettingsStore.h"
#include "store/ConfigValues.h"
#include "store/ProfileDatabase.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>

namespace zephyl {
namespace {

class SdkKeyboardTest : public ::testing::Test {
protected:
    void Start(const std::string& scenario) {
        m_environment.SetVariable("ZEPHYL_RESOURCE_DIR", std::string(ZEPHYL_RUNTIME_DIR));
        m_environment.SetVariable("ZEPHYL_VIRTUAL_STATE", std::nullopt);
        m_logPath = (m_environment.Root() / "reports.jsonl").string();
        m_environment.SetVariable("ZEPHYL_VIRTUAL_LOG", m_logPath);
        SetSoftwareName("Zephyl Keyboard Driver");
        m_devices = std::make_unique<DeviceManager>(HidLibrary::LoadVirtual(scenario));
        ASSERT_TRUE(m_devices->Library().Loaded());
        m_controller = BuildCore(*m_devices, m_database,
                                 std::make_shared<SettingsStore>("Zephyl Keyboard Driver"),
                                 std::string(ZEPHYL_RUNTIME_DIR) + "/", DataFolder());
        m_controller->LoadDeviceDescriptions();
        m_controller->RunCommand(kCommandStart);
        for (int i = 0; i < 32 && m_controller->QueueLength() > 0; ++i) {
            m_controller->Work();
        }
        m_keyboard = SdkKeyboardOf(*m_controller);
        ASSERT_TRUE(m_keyboard);
    }

    void TearDown() override {
        if (m_controller) {
            m_controller->Shutdown();
        }
        m_controller.reset();
        m_database.CloseDatabase();
    }

    /// The per-light blocks of every stream frame in the log (frame command 04 20 to the
    /// closing 04 02), as [light, red, green, blue] groups joined from their reports.
    std::vector<std::vector<std::uint8_t>> Frames() {
        std::vector<std::vector<std::uint8_t>> frames;
        std::ifstream log(m_logPath);
        std::string line;
        const std::regex pattern(
            "\"iface\":\"cable\",\"op\":\"set_feature\",\"hex\":\"([0-9a-f]*)\"");
        bool inFrame = false;
        while (std::getline(log, line)) {
            std::smatch match;
            if (!std::regex_search(line, match, pattern)) {
                continue;
            }
            std::vector<std::uint8_t> bytes;
            const std::string hex = match[1];
            for (size_t i = 0; i + 1 < hex.size(); i += 2) {
                bytes.push_back(std::uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
            }
            if (bytes.size() > 2 && bytes[1] == 0x04 && bytes[2] == 0x20) {
                inFrame = true;
                frames.emplace_back();
            } else if (bytes.size() > 2 && bytes[1] == 0x04 && bytes[2] == 0x02) {
                inFrame = false;
            } else if (inFrame) {
                frames.back().insert(frames.back().end(), bytes.begin() + 1, bytes.end());
            }
        }
        return frames;
    }

    /// The colour a frame gives `light` (0x00BBGGRR), nothing when the light is not in it.
    static std::optional<std::uint32_t> FrameColour(const std::vector<std::uint8_t>& frame,
                                                    int light) {
        for (size_t i = 0; i + 3 < frame.size(); i += 4) {
            if (frame[i] == light && (frame[i + 1] | frame[i + 2] | frame[i + 3])) {
                return frame[i + 1] | frame[i + 2] << 8 | frame[i + 3] << 16;
            }
        }
        return std::nullopt;
    }

    test::TempEnvironment m_environment;
    std::string m_logPath;
    ProfileDatabase m_database;
    std::unique_ptr<DeviceManager> m_devices;
    std::shared_ptr<KeyboardController> m_controller;
    std::shared_ptr<SdkKeyboard> m_keyboard;
};

TEST_F(SdkKeyboardTest, KeysAreTheLedsOfOneMatrixZone) {
    Start("101:0");
    ASSERT_EQ(m_keyboard->ControllerCount(), 1u);
    const auto controller = m_keyboard->Describe(0);
    ASSERT_TRUE(controller);
    EXPECT_FALSE(m_keyboard->Describe(1));
    const KeyboardLayout& layout = *m_controller->Layout();
    EXPECT_EQ(controller->type, kSdkDeviceTypeKeyboard);
    EXPECT_EQ(controller->name, layout.modelName);
    ASSERT_EQ(controller->leds.size(), layout.keys.size());
    ASSERT_EQ(controller->colours.size(), layout.keys.size());
    ASSERT_EQ(controller->zones.size(), 1u);
    const SdkZone& zone = controller->zones[0];
    ASSERT_EQ(zone.matrix.size(), size_t(layout.matrixRows) * size_t(layout.matrixColumns));
    for (size_t led = 0; led < layout.keys.size(); ++led) {
        const LayoutKey& key = layout.keys[led];
        EXPECT_EQ(controller->leds[led].name, key.name);
        EXPECT_EQ(zone.matrix[size_t(key.row) * zone.matrixWidth + size_t(key.column)], led)
            << key.name << " sits at its row and column";
    }
    ASSERT_EQ(controller->modes.size(), size_t(kEffectCount) + 1);
    EXPECT_EQ(controller->modes[0].name, "Direct");
    EXPECT_EQ(controller->modes[0].colourMode, kSdkColourModePerLed);
}

TEST_F(SdkKeyboardTest, ColoursOfSeveralClientsMergeIntoOneFrame) {
    Start("101:0");
    const KeyboardLayout& layout = *m_controller->Layout();
    ASSERT_GE(layout.keys.size(), 3u);
    m_controller->Work();
    EXPECT_TRUE(Frames().empty()) << "nothing streams before a client sets colours";

    // Two clients: the second overwrites key 1 only, the last writer of each key wins.
    const SdkColour first[] = {0x0000FF, 0x00FF00, 0xFF0000};
    const SdkColour second[] = {0x808080};
    m_keyboard->SetColours(0, 0, first);
    m_keyboard->SetColours(0, 1, second);
    m_controller->Work();
    auto frames = Frames();
    ASSERT_EQ(frames.size(), 1u);
    // Colours travel at full level: each channel × 255 / 256.
    const std::uint32_t expected[] = {0x0000FE, 0x7F7F7F, 0xFE0000};
    for (size_t led = 0; led < 3; ++led) {
        EXPECT_EQ(FrameColour(frames[0], layout.keys[led].lightIndex), expected[led])
            << layout.keys[led].name;
    }
    EXPECT_FALSE(FrameColour(frames[0], layout.keys[3].lightIndex)) << "unset keys stay dark";

    m_controller->Work();
    EXPECT_EQ(Frames().size(), 1u) << "unchanged colours are not sent again";
    const SdkColour single[] = {0x00FF00};
    m_keyboard->SetColours(0, 2, single);
    m_controller->Work();
    frames = Frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(FrameColour(frames[1], layout.keys[2].lightIndex), 0x00FE00u);
    EXPECT_EQ(FrameColour(frames[1], layout.keys[0].lightIndex), 0x0000FEu);
    EXPECT_EQ(m_keyboard->FramesSent(), 2u);
}

TEST_F(SdkKeyboardTest, AnEffectModeIsStoredAndSentInsteadOfTheStream) {
    Start("101:0");
    const SdkColour colours[] = {0x0000FF};
    m_keyboard->SetColours(0, 0, colours);
    m_controller->Work();
    ASSERT_EQ(Frames().size(), 1u);

    const EffectRow& row = kEffectTable[1];
    SdkMode mode = m_keyboard->Describe(0)->modes[2];
    mode.speed = 1;
    mode.colourMode = kSdkColourModeModeSpecific;
    mode.colours = {0x00A5FF};
    m_keyboard->UpdateMode(0, 2, mode, 4);
    EXPECT_FALSE(m_keyboard->DirectMode());
    EXPECT_EQ(m_database.GetActiveLightEffect(kSettingsProfile), row.mode);
    LightEffect stored;
    ASSERT_TRUE(m_database.GetLightEffect(row.mode, stored));
    EXPECT_EQ(stored.speed, 1);
    EXPECT_EQ(stored.colorful, 0);
    EXPECT_EQ(stored.color_value, 0x00A5FF);
    EXPECT_EQ(m_keyboard->Describe(0)->activeMode, 2);
    ASSERT_EQ(m_controller->QueueLength(), 1u) << "the effect command waits for the worker";
    EXPECT_TRUE(m_controller->RunQueuedCommands().done);

    m_keyboard->SetColours(0, 0, colours);
    m_controller->Work();
    EXPECT_EQ(Frames().size(), 2u) << "colours bring Direct back";
    EXPECT_TRUE(m_keyboard->DirectMode());
}

TEST_F(SdkKeyboardTest, TheReceiverTakesEffectsButNoStream) {
    Start("101:2");
    ASSERT_EQ(m_keyboard->ControllerCount(), 1u);
    const SdkColour colours[] = {0x0000FF};
    m_keyboard->SetColours(0, 0, colours);
    m_controller->Work();
    EXPECT_EQ(m_keyboard->FramesSent(), 0u);
    m_keyboard->UpdateMode(0, 3, m_keyboard->Describe(0)->modes[3], 4);
    EXPECT_EQ(m_database.GetActiveLightEffect(kSettingsProfile), kEffectTable[2].mode);
    EXPECT_TRUE(m_controller->RunQueuedCommands().done);
}

}  // namespace
}  // namespace zephyl
