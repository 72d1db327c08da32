// SPDX-License-Identifier: GPL-2.0-or-later
// The values of the lighting page and the user lighting sets, without a keyboard.
#include "catalogue/KeyboardLayout.h"
#include "lighting/LightModes.h"
#include "lighting/UserLight.h"
#include "store/ConfigValues.h"
#include "store/ProfileDatabase.h"
#include "support/MalformedFiles.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace zephyl {
namespace {

TEST(LightModesTest, ConfigFuncDecidesTheControlsShown) {
    struct Case {
        int configFunc;
        bool brightness, speed, leftRight, upDown, rgbEditor, colour;
    };
    const Case cases[] = {
        {0x3B, true, true, false, true, true, true},
        {0x37, true, true, true, false, true, true},
        {0x31, true, false, false, false, true, true},
        {0x03, true, true, false, false, false, false},
        {0x00, false, false, false, false, false, false},
        {0x0C, false, false, true, false, false, false},  // both named: sideways wins
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.configFunc);
        const EffectControls shown = ControlsOf(c.configFunc);
        EXPECT_EQ(shown.brightness, c.brightness);
        EXPECT_EQ(shown.speed, c.speed);
        EXPECT_EQ(shown.leftRight, c.leftRight);
        EXPECT_EQ(shown.upDown, c.upDown);
        EXPECT_EQ(shown.rgbEditor, c.rgbEditor);
        EXPECT_EQ(shown.colour, c.colour);
    }
}

TEST(LightModesTest, NumberFieldsAreClampedAsTyped) {
    const std::pair<const char*, int> cases[] = {
        {"300", 255}, {"-4", 0},  {"255", 255}, {"0", 0},
        {"17", 17},   {"abc", 0}, {"", 0},      {"99999999999999999999", 255}};
    for (const auto& [typed, value] : cases) {
        EXPECT_EQ(ClampComponent(typed), value) << typed;
    }
    EXPECT_EQ(ComposeColour(0x11, 0x22, 0x133), 0x332211u);
}

TEST(LightModesTest, SideLightItemsAndStoredValues) {
    EXPECT_EQ(StoredSideLight(32), "1");
    EXPECT_EQ(StoredSideLight(41), "10");
    EXPECT_EQ(StoredSideLight(31), std::nullopt);
    EXPECT_EQ(StoredSideLight(42), std::nullopt);
    EXPECT_EQ(SideLightItem("1"), 32);
    EXPECT_EQ(SideLightItem("10"), 41);
    EXPECT_EQ(SideLightItem("11"), 32) << "an unreadable value shows the first mode";
    EXPECT_EQ(SideLightItem(""), 32);
}

TEST(LightModesTest, EditorShowsRedWhileMulticolour) {
    LightEffect effect;
    effect.color_value = 0x00FF00;
    effect.colorful = 1;
    EXPECT_EQ(EditorColour(effect), 0x0000FFu);
    effect.colorful = 0;
    EXPECT_EQ(EditorColour(effect), 0x00FF00u);
}

TEST(LightModesTest, HexColoursAreWrittenRedFirst) {
    EXPECT_EQ(ParseHexColour("112233"), 0x332211u);
    EXPECT_EQ(ParseHexColour("#A0b0C0"), 0xC0B0A0u);
    EXPECT_EQ(ParseHexColour("12345"), std::nullopt);
    EXPECT_EQ(ParseHexColour("12345G"), std::nullopt);
    EXPECT_EQ(HexColour(0x332211), "112233");
}

class UserLightTest : public ::testing::Test {
protected:
    UserLightTest() {
        std::filesystem::create_directories(Folder() + "db");
        if (!m_database.OpenModelDatabase(Folder(), "K1")) {
            throw std::runtime_error("cannot create the test database");
        }
    }
    std::string Folder() const { return (m_environment.DataHome() / "data").string() + "/"; }

    test::TempEnvironment m_environment;
    ProfileDatabase m_database;
};

TEST_F(UserLightTest, ExportedSetImportsAsANewSetWithItsKeys) {
    const int id = m_database.AddUserLight(kSettingsProfile, "Custom Light 3");
    StoreUserLightKeys(m_database, id, {{4, 0x332211}, {30, 0xFFFFFF}});
    const std::string shown = UserLightDisplayName("Custom Light 3");
    EXPECT_EQ(shown, "Custom Light 3");
    EXPECT_EQ(UserLightDisplayName("Office/Desk"), "Office/Desk");

    const std::string first = ExportUserLight(m_database, id, "Office/Desk", Folder(), 1234);
    ASSERT_EQ(first, Folder() + "Office_Desk-1234.xml") << "the name stays in its folder";
    const std::string second = ExportUserLight(m_database, id, "Office/Desk", Folder(), 1235);
    EXPECT_NE(first, second);
    EXPECT_TRUE(std::filesystem::exists(second));

    const UserLightImport imported = ImportUserLight(m_database, first);
    ASSERT_TRUE(imported.read);
    ASSERT_GT(imported.id, id);
    EXPECT_EQ(imported.name, "Office/Desk");
    const std::vector<KeyColour> keys = UserLightColours(m_database, imported.id);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].keyCode, 4);
    EXPECT_EQ(keys[0].colour, 0x332211);
    EXPECT_EQ(keys[1].keyCode, 30);
    EXPECT_EQ(keys[1].colour, 0xFFFFFF);

    const std::string other = Folder() + "other.xml";
    std::ofstream(other) << "<?xml version=\"1.0\"?><profile/>";
    EXPECT_FALSE(ImportUserLight(m_database, other).read);
    EXPECT_EQ(m_database.CountUserLights(), 2);
}

// Capped as key and macro files are; a refused file adds no set and no key rows.
TEST_F(UserLightTest, OversizedOrNonRegularSetFilesStoreNothing) {
    const auto items = [](int count) {
        std::string text = "<userlight><lightinfo name=\"Big\"/><keyinfo>";
        for (int i = 0; i < count; ++i) {
            text += "<item key_code=\"" + std::to_string(4 + i % 200) + "\" key_rgb=\"255\"/>";
        }
        return text + "</keyinfo></userlight>";
    };
    std::ofstream(Folder() + "many.xml") << items(101);
    std::ofstream(Folder() + "enough.xml") << items(100);
    std::ofstream(Folder() + "huge.xml") << "<";
    std::filesystem::resize_file(Folder() + "huge.xml", kExchangeFileLimit + 1);
    const test::TestFifo fifo(Folder() + "fifo.xml");
    const struct {
        std::string path;
        int message;
    } refused[] = {{Folder() + "many.xml", kTextSetFileTooManyKeys},
                   {Folder() + "huge.xml", kTextSetFileTooLarge},
                   {fifo.Path(), kTextSetFileNotRegular},
                   {Folder(), kTextSetFileNotRegular},
                   {"/dev/zero", kTextSetFileNotRegular}};
    for (const auto& c : refused) {
        SCOPED_TRACE(c.path);
        const UserLightImport result = ImportUserLight(m_database, c.path, 100);
        EXPECT_EQ(result.id, 0);
        EXPECT_EQ(result.messageText, c.message);
    }
    EXPECT_EQ(ImportUserLight(m_database, Folder() + "many.xml", 100).messageCount, 100);
    EXPECT_EQ(m_database.CountUserLights(), 0);
    const UserLightImport taken = ImportUserLight(m_database, Folder() + "enough.xml", 100);
    ASSERT_GT(taken.id, 0);
    EXPECT_EQ(UserLightColours(m_database, taken.id).size(), 100u);
}

TEST_F(UserLightTest, DeletingASetRemovesItsKeyRows) {
    const int kept = m_database.AddUserLight(kSettingsProfile, "kept");
    const int gone = m_database.AddUserLight(kSettingsProfile, "gone");
    StoreUserLightKeys(m_database, kept, {{4, 1}});
    StoreUserLightKeys(m_database, gone, {{4, 2}, {5, 3}});
    ASSERT_TRUE(DeleteUserLightSet(m_database, gone));
    EXPECT_TRUE(UserLightColours(m_database, gone).empty());
    EXPECT_EQ(UserLightColours(m_database, kept).size(), 1u);
    // Storing again replaces the rows instead of adding to them.
    StoreUserLightKeys(m_database, kept, {{4, 7}, {5, 8}});
    EXPECT_EQ(UserLightColours(m_database, kept).size(), 2u);
}

TEST_F(UserLightTest, SeedingFillsAnEmptyTableOnce) {
    KeyboardLayout layout;
    layout.defaultMode = 6;
    layout.defaultBrightness = 4;
    layout.defaultSpeed = 3;
    EXPECT_EQ(SeedLightEffects(m_database, layout), kEffectCount);
    EXPECT_EQ(SeedLightEffects(m_database, layout), 0);
    EXPECT_EQ(m_database.CountLightEffects(), kEffectCount);
    EXPECT_EQ(m_database.GetActiveLightEffect(kSettingsProfile), 6);
}

}  // namespace
}  // namespace zephyl
