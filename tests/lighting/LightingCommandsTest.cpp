// SPDX-License-Identifier: GPL-2.0-or-later
// The lighting commands against the virtual keyboard: the effect table, the side light, user
// lighting and the live colours, read back from the keyboard's report log and memory.
#include "app/Environment.h"
#include "app/KeyboardController.h"
#include "device/DeviceManager.h"
#include "device/HidLibrary.h"
#include "lighting/LightModes.h"
#include "lighting/LightingCommands.h"
#include "lighting/LightingFeature.h"
#include "lighting/UserLight.h"
#include "platform/SettingsStore.h"
#include "store/ConfigValues.h"
#include "store/ProfileDatabase.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>

namespace zephyl {
namespace {

class LightingCommandsTest : public ::testing::Test {
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
        RegisterLightingFeature(*m_controller, {[](int) {}});
        m_controller->LoadDeviceDescriptions();
        m_controller->OnModelChosen(std::stoi(scenario.substr(0, scenario.find(':'))));
        m_controller->RunCommand(kCommandStart);
        for (int i = 0; i < 32 && m_controller->QueueLength() > 0; ++i) {
            m_controller->Work();
        }
        ASSERT_TRUE(m_controller->Connected());
        std::ofstream(m_logPath, std::ios::trunc).flush();
    }

    void TearDown() override {
        if (m_controller) {
            m_controller->Shutdown();
        }
        m_controller.reset();
        m_database.CloseDatabase();
    }

    /// Hex of every report of one interface and operation in the log, in order.
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

    std::string State() {
        auto stateJson = reinterpret_cast<size_t (*)(char*, size_t)>(
            m_devices->Library().Symbol("zephyl_virtual_state_json"));
        std::string text(stateJson(nullptr, 0) + 1, '\0');
        stateJson(text.data(), text.size());
        text.resize(text.size() - 1);
        return text;
    }

    std::string Memory(const std::string& name) {
        std::smatch match;
        const std::string state = State();
        if (std::regex_search(state, match,
                              std::regex("\"" + name + "\": *(\"[0-9a-f]*\"|[0-9]+)"))) {
            std::string value = match[1];
            if (value.front() == '"') {
                value = value.substr(1, value.size() - 2);
            }
            return value;
        }
        return {};
    }

    /// The cable data packets between a header of `type` and its end report.
    std::vector<std::string> CableBlock(uint8_t type) {
        const std::vector<std::string> sent = Reports("cable", "set_feature");
        char header[8];
        std::snprintf(header, sizeof header, "0004%02x", type);
        std::vector<std::string> block;
        for (size_t i = 0; i < sent.size(); ++i) {
            if (sent[i].rfind(header, 0) == 0) {
                block.clear();
                for (size_t j = i + 1; j < sent.size() && sent[j].rfind("000402", 0) != 0; ++j) {
                    block.push_back(sent[j]);
                }
            }
        }
        return block;
    }

    int SetWithKeys(const KeyColourList& keys) {
        const int id = m_database.AddUserLight(kSettingsProfile, NewUserLightName(0));
        StoreUserLightKeys(m_database, id, keys);
        LightingStateOf(*m_controller)->SelectUserLight(id);
        return id;
    }

    test::TempEnvironment m_environment;
    std::string m_logPath;
    std::unique_ptr<DeviceManager> m_devices;
    ProfileDatabase m_database;
    NullControllerView m_view;
    std::shared_ptr<KeyboardController> m_controller;
};

TEST_F(LightingCommandsTest, PageLoadSeedsTheTwentyEffectsOnce) {
    Start("101:0");
    m_controller->RunCommand(kCommandLoadPages);
    std::vector<LightEffect> effects;
    ASSERT_EQ(m_database.ListLightEffects(kSettingsProfile, effects), kEffectCount);
    const KeyboardLayout& layout = *m_controller->Layout();
    int active = 0;
    for (size_t i = 0; i < effects.size(); ++i) {
        EXPECT_EQ(effects[i].name, std::to_string(521 + i));
        EXPECT_EQ(effects[i].mode, kEffectTable[i].mode);
        EXPECT_EQ(effects[i].config_func, kEffectTable[i].configFunc);
        EXPECT_EQ(effects[i].brightness, layout.defaultBrightness);
        EXPECT_EQ(effects[i].speed, layout.defaultSpeed);
        EXPECT_EQ(effects[i].colorful, 1);
        EXPECT_EQ(effects[i].color_value, 0xFF);
        active += effects[i].status;
    }
    EXPECT_EQ(active, 1);
    EXPECT_EQ(m_database.GetActiveLightEffect(kSettingsProfile), layout.defaultMode);
    EXPECT_EQ(effects.back().mode, 0) << "effect 0 comes last";

    m_controller->RunCommand(kCommandLoadPages);
    EXPECT_EQ(m_database.CountLightEffects(), kEffectCount);
}

/// The same command on the cable and on the receiver: the keyboard must end with the same memory.
class LightingTransportTest : public LightingCommandsTest,
                              public ::testing::WithParamInterface<const char*> {};

INSTANTIATE_TEST_SUITE_P(Connections, LightingTransportTest, ::testing::Values("101:0", "101:2"));

TEST_P(LightingTransportTest, ActiveEffectReachesTheKeyboard) {
    Start(GetParam());
    SeedLightEffects(m_database, *m_controller->Layout());
    LightEffect effect;
    ASSERT_TRUE(m_database.GetLightEffect(11, effect));
    effect.colorful = 0;
    effect.color_value = 0x332211;
    effect.brightness = 2;
    effect.speed = 1;
    effect.direction = kDirectionRight;
    m_database.UpdateLightEffect(11, effect);
    m_database.SetActiveLightEffect(11);
    m_controller->RunCommand(kCommandSendLightEffect);
    EXPECT_EQ(Memory("lighting"), "0b11223300000000000201010000aa55");

    // Effect 0 sends its mode and the trailer, whatever its row holds.
    ASSERT_TRUE(m_database.GetLightEffect(0, effect));
    effect.color_value = 0x332211;
    effect.brightness = 3;
    m_database.UpdateLightEffect(0, effect);
    m_database.SetActiveLightEffect(0);
    m_controller->RunCommand(kCommandSendLightEffect);
    EXPECT_EQ(Memory("lighting"), std::string(28, '0') + "aa55");
}

TEST_P(LightingTransportTest, StoredSideLightIsSentAsItsItemValue) {
    Start(GetParam());
    const std::pair<const char*, int> cases[] = {{"1", 0x20}, {"10", 0x29}, {"4", 0x23}};
    for (const auto& [stored, sent] : cases) {
        SCOPED_TRACE(stored);
        m_database.SetConfigValue(kSettingsProfile, kConfigLightMode, stored);
        m_controller->RunCommand(kCommandSendSideLight);
        EXPECT_EQ(Memory("side_light"), std::to_string(sent));
    }
    // The effect record is untouched: the keyboard tells the two apart by the first byte.
    EXPECT_NE(Memory("lighting").substr(0, 2), "29");
}

TEST_F(LightingCommandsTest, FirstUserLightSetWritesTheModeThenOnlyTheTrailer) {
    Start("101:0");
    SetWithKeys({});
    m_controller->RunCommand(kCommandWriteUserLight);
    const std::vector<std::string> mode = CableBlock(0x13);
    ASSERT_EQ(mode.size(), 1u);
    const int brightness = m_controller->Layout()->defaultBrightness;
    char brightnessHex[3];
    std::snprintf(brightnessHex, sizeof brightnessHex, "%02x", brightness);
    EXPECT_EQ(mode[0], "0080" + std::string(16, '0') + brightnessHex + std::string(8, '0') +
                           "aa55" + std::string(96, '0'));
    const std::vector<std::string> colours = CableBlock(0x23);
    ASSERT_EQ(colours.size(), 9u);
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(colours[i], std::string(130, '0')) << i;
    }
    EXPECT_EQ(colours[8], std::string(126, '0') + "aa55");
    // Mode write before colour write, and the keyboard shows user lighting.
    const std::vector<std::string> sent = Reports("cable", "set_feature");
    const auto modeAt = std::find_if(
        sent.begin(), sent.end(), [](const std::string& r) { return r.rfind("000413", 0) == 0; });
    const auto coloursAt = std::find_if(
        sent.begin(), sent.end(), [](const std::string& r) { return r.rfind("000423", 0) == 0; });
    EXPECT_LT(modeAt, coloursAt);
    EXPECT_EQ(Memory("lighting").substr(0, 2), "80");
    EXPECT_EQ(Memory("user_colors"), std::string(1148, '0') + "aa55");
}

struct UserLightCase {
    const char* scenario;
    size_t packets;  ///< cable data packets, or receiver frames of command 0x14
    const char* lastFrameStart;
};

class UserLightKindTest : public LightingCommandsTest,
                          public ::testing::WithParamInterface<UserLightCase> {};

INSTANTIATE_TEST_SUITE_P(Keyboards, UserLightKindTest,
                         ::testing::Values(UserLightCase{"101:0", 9, ""},
                                           UserLightCase{"103:0", 3, ""},
                                           UserLightCase{"101:2", 21, "00141014"}));

TEST_P(UserLightKindTest, ColoursReachTheKeyboard) {
    const UserLightCase& c = GetParam();
    Start(c.scenario);
    const KeyboardLayout& layout = *m_controller->Layout();
    ASSERT_FALSE(layout.keys.empty());
    const int code = layout.keys.front().code;
    const int light = layout.lightIndexMap.at(code);
    SetWithKeys({{code, 0x332211}});
    m_controller->RunCommand(kCommandWriteUserLight);
    const std::string stored = Memory("user_colors");
    if (layout.perKeyColour) {
        ASSERT_EQ(stored.size(), 1152u);
        char group[9];
        std::snprintf(group, sizeof group, "%02x112233", light);
        EXPECT_EQ(stored.substr(size_t(light) * 8, 8), group);
    } else {
        ASSERT_EQ(stored.size(), 384u);
        EXPECT_EQ(stored.substr(size_t(light) * 2, 2), "ff");
    }
    if (std::string(c.scenario).back() == '2') {
        std::vector<std::string> frames;
        for (const std::string& frame : Reports("receiver", "write")) {
            if (frame.rfind("0014", 0) == 0) {
                frames.push_back(frame);
            }
        }
        ASSERT_EQ(frames.size(), c.packets);
        EXPECT_EQ(frames.back().substr(0, 8), c.lastFrameStart);
    } else {
        EXPECT_EQ(CableBlock(0x23).size(), c.packets);
    }
}

TEST_F(LightingCommandsTest, NothingIsSentOverBluetooth) {
    Start("101:1");
    SeedLightEffects(m_database, *m_controller->Layout());
    SetWithKeys({});
    for (int command : {kCommandSendLightEffect, kCommandSendSideLight, kCommandWriteUserLight}) {
        m_controller->RunCommand(command);
    }
    EXPECT_TRUE(Reports("cable", "set_feature").empty());
    EXPECT_TRUE(Reports("receiver", "write").empty());
}

class LiveColoursTest : public LightingCommandsTest,
                        public ::testing::WithParamInterface<const char*> {};

INSTANTIATE_TEST_SUITE_P(Keyboards, LiveColoursTest, ::testing::Values("101:0", "103:0"));

TEST_P(LiveColoursTest, FollowTheKeyboard) {
    Start(GetParam());
    const KeyboardLayout& layout = *m_controller->Layout();
    const int lit = layout.keys.front().code;
    const int dark = layout.keys.back().code;
    SetWithKeys({{lit, 0x332211}});
    m_controller->RunCommand(kCommandWriteUserLight);
    const auto colours = ReadLiveColours(*m_controller);
    std::map<int, std::uint32_t> byKey(colours.begin(), colours.end());
    EXPECT_EQ(byKey.size(), layout.lightIndexMap.size());
    EXPECT_EQ(byKey[lit], layout.perKeyColour ? 0x332211u : 0xFEFEFEu);
    EXPECT_EQ(byKey[dark], 0u);
    // The read is closed with an end report, as every block exchange is.
    EXPECT_EQ(Reports("cable", "set_feature").back().substr(0, 6), "000402");
}

}  // namespace
}  // namespace zephyl
