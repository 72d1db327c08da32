// SPDX-License-Identifier: GPL-2.0-or-later
#include "catalogue/KeyboardLayout.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

namespace zephyl {
namespace {

constexpr const char* kFullLayout =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<device.info>\r\n"
    "<menu macro=\"1\" light_mode=\"1\" custom_light=\"1\" sidelight=\"1\" music=\"true\"/>\r\n"
    "<menu_wireless macro=\"1\"/>\r\n"
    "<function fn_layer=\"1\" sleep_time=\"1\" key_respondtime=\"0\"/>\r\n"
    "<firmware version=\"1.2\" file=\"fw.zip\" url=\"https://fw\"/>\r\n"
    "<cmd_delaytime value=\"20\"/>\r\n"
    "<screen gif_headlength=\"8\" gif_maxframes=\"100\" gif_count=\"3\" width=\"160\" "
    "height=\"80\"/>\r\n"
    "<light rgb_keyboard=\"2\" default_mode=\"3\" default_brightness=\"4\" default_speed=\"2\" "
    "brightness_max=\"5\" speed_max=\"4\"/>\r\n"
    "<Keyboard bk_color=\"202020\" xpos=\"10\" ypos=\"20\" width=\"900\" height=\"300\" "
    "image=\"k.png\" row_count=\"6\" col_count=\"21\">\r\n"
    "<KeyItems>\r\n"
    "<key code=\"29\" name=\"Esc\" key_index=\"1\" light_index=\"1\" rect_left=\"5\" "
    "rect_top=\"6\" "
    "rect_width=\"40\" rect_height=\"41\" row_col=\"0,0\"/>\r\n"
    "<key code=\"AF\" name=\"Fn\" key_index=\"90\" light_index=\"91\" fnlayer_disable=\"1\" "
    "row_col=\"5,13\"/>\r\n"
    "<key code=\"4\" name=\"A\" key_index=\"0\" light_index=\"33\" row_col=\"3,12\"/>\r\n"
    "<key code=\"5\" name=\"B\" key_index=\"7\" light_index=\"8\" row_col=\"9,40\"/>\r\n"
    "</KeyItems>\r\n"
    "</Keyboard>\r\n"
    "</device.info>\r\n";

class RecordingHooks : public LayoutHooks {
public:
    void OpenModelDatabase(const std::string& name) override { opened.push_back(name); }
    void SetPacingDelay(int ms) override { delays.push_back(ms); }
    std::vector<std::string> opened;
    std::vector<int> delays;
};

class KeyboardLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        KeyboardModel model;
        model.name = "K100";
        model.deviceType = 101;
        model.layoutName = "k100";
        model.disconnectedPicture = "/skin/device/off.png";
        m_models.push_back(model);
        model.name = "Other";
        model.deviceType = 102;
        model.layoutName = "other";
        m_models.push_back(model);
    }
    std::string Resources() const { return m_environment.Root().string() + "/"; }
    void WriteLayout(const std::string& name, const std::string& xml) {
        test::WriteFile(m_environment.Root() / "layouts" / (name + ".xml"), xml);
    }

    test::TempEnvironment m_environment;
    std::vector<KeyboardModel> m_models;
    RecordingHooks m_hooks;
};

TEST_F(KeyboardLayoutTest, ReadsEveryField) {
    WriteLayout("k100", kFullLayout);
    KeyboardLayout layout;
    ASSERT_TRUE(LoadLayout(layout, 101, m_models, Resources(), "/skin/", &m_hooks));

    EXPECT_EQ(layout.modelName, "K100");
    EXPECT_EQ(m_hooks.opened, std::vector<std::string>{"K100"});
    EXPECT_EQ(m_hooks.delays, std::vector<int>{20});
    EXPECT_EQ(layout.cableFeatures, 0x41 | 0x02 | 0x04 | 0x08 | 0x100)
        << "music=\"true\" is not exactly 1";
    EXPECT_EQ(layout.wirelessFeatures, 0x43);
    EXPECT_TRUE(layout.secondFnLayer);
    EXPECT_TRUE(layout.sleepTimeSetting);
    EXPECT_FALSE(layout.responseTimeSetting);
    EXPECT_EQ(layout.firmwareVersion, "1.2");
    EXPECT_EQ(layout.firmwareUrl, "https://fw");
    EXPECT_EQ(layout.commandDelayMs, 20);
    EXPECT_EQ(layout.screenFrameCount, 3);
    EXPECT_EQ(layout.screenWidth, 160);
    EXPECT_FALSE(layout.perKeyColour) << "rgb_keyboard=2 is not per-key colour";
    EXPECT_EQ(layout.brightnessMax, 5);
    EXPECT_EQ(layout.keyboardColour, 0x202020u);
    EXPECT_EQ(layout.keyboardRect, (Rect{10, 20, 910, 320}));
    EXPECT_EQ(layout.keyboardPicture, "/skin/keyboard/k.png");
    EXPECT_EQ(layout.matrixRows, 6);

    EXPECT_EQ(layout.keyIndexMap, (std::map<int, int>{{0x29, 1}, {0xAF, 90}, {5, 7}}))
        << "a key with index 0 stays out of both maps";
    EXPECT_EQ(layout.lightIndexMap.count(4), 0u);
    EXPECT_EQ(layout.fnLockedKeys, (std::map<int, int>{{0xAF, 1}}));
    EXPECT_EQ(layout.keyMatrix[0], 0x29);
    EXPECT_EQ(layout.keyMatrix[108], 0x04) << "row 3, column 12";
    EXPECT_EQ(layout.keyMatrix[5 * 32 + 13], 0xAF);
    EXPECT_EQ(layout.workMap[3 + 8 * 12], 0x04);
    EXPECT_EQ(layout.keyMatrix[1], kNoKey);
    ASSERT_EQ(layout.keys.size(), 4u);
    EXPECT_EQ(layout.keys[0].rect, (Rect{5, 6, 45, 47}));
    // 9,40 lies outside the matrix: drawn and indexed, never written past the tables.
    EXPECT_EQ(layout.keys[3].row, 9);
    int written = 0;
    for (auto code : layout.keyMatrix) {
        written += code != kNoKey;
    }
    EXPECT_EQ(written, 3);
}

TEST_F(KeyboardLayoutTest, AbsentElementsInheritThePreviousModel) {
    WriteLayout("k100", kFullLayout);
    WriteLayout("other", "<device.info><function/></device.info>");
    KeyboardLayout layout;
    ASSERT_TRUE(LoadLayout(layout, 101, m_models, Resources(), "/skin/"));
    ASSERT_TRUE(LoadLayout(layout, 102, m_models, Resources(), "/skin/"));
    EXPECT_EQ(layout.modelName, "Other");
    EXPECT_EQ(layout.cableFeatures, 0x41 | 0x02 | 0x04 | 0x08 | 0x100) << "menu absent";
    EXPECT_FALSE(layout.secondFnLayer) << "function present with no flags";
    EXPECT_EQ(layout.commandDelayMs, 20);
    EXPECT_EQ(layout.firmwareUrl, "") << "the URL is cleared at every load";
    EXPECT_TRUE(layout.keys.empty()) << "key maps are emptied even without a Keyboard element";
    EXPECT_EQ(layout.keyMatrix[0], kNoKey);
}

TEST_F(KeyboardLayoutTest, FirstLoadDefaultsAndMissingFiles) {
    KeyboardLayout layout;
    EXPECT_EQ(layout.cableFeatures, 0x7F);
    EXPECT_EQ(layout.commandDelayMs, 10);
    EXPECT_FALSE(LoadLayout(layout, 101, m_models, Resources(), "/skin/", &m_hooks)) << "no file";
    EXPECT_EQ(layout.modelName, "K100") << "name shown and database opened all the same";
    EXPECT_FALSE(LoadLayout(layout, 555, m_models, Resources(), "/skin/", &m_hooks))
        << "undeclared model";
    EXPECT_EQ(layout.modelName, "");
    EXPECT_EQ(m_hooks.opened, (std::vector<std::string>{"K100", ""}));
    EXPECT_TRUE(m_hooks.delays.empty());
    WriteLayout("k100", "<layout><menu macro=\"1\"/></layout>");
    EXPECT_FALSE(LoadLayout(layout, 101, m_models, Resources(), "/skin/")) << "wrong root";
    EXPECT_EQ(layout.cableFeatures, 0x7F);
}

TEST(RowColumnTest, Table) {
    const std::pair<const char*, std::pair<int, int>> cases[] = {
        {"2,7", {2, 7}}, {"4,13", {4, 13}}, {"3,12", {3, 12}}, {"0,0", {0, 0}},
        {"7", {7, 7}},   {"", {0, 0}},      {"x,y", {0, 0}},   {"9,40", {9, 40}},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(ParseRowColumn(text), expected) << text;
    }
}

}  // namespace
}  // namespace zephyl
