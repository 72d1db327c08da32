// SPDX-License-Identifier: GPL-2.0-or-later
// Custom lighting sets in a fresh database: the list, the set operations, applying effects and
// the exchange files.
#include "app/Environment.h"
#include "catalogue/KeyboardLayout.h"
#include "lighting/CustomLightEngine.h"
#include "lighting/CustomLightExchange.h"
#include "lighting/CustomLightSets.h"
#include "platform/Paths.h"
#include "store/ConfigValues.h"
#include "store/ProfileDatabase.h"
#include "support/MalformedFiles.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace zephyl {
namespace {

std::string Texts(int entry) {
    return entry == kTextCustomLightName ? "Lumière" : "text " + std::to_string(entry);
}

class CustomLightSetsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(DataFolder() + "db");
        ASSERT_TRUE(m_database.OpenModelDatabase(DataFolder(), "K1"));
        std::vector<LayoutKey> keys(4);
        const int codes[] = {4, 7, 22, 26};
        for (int i = 0; i < 4; ++i) {
            keys[i].code = codes[i];
            keys[i].lightIndex = i;
            keys[i].rect = {i * 60, 0, i * 60 + 50, 50};
        }
        m_engine.SetKeys(keys);
    }
    void TearDown() override { m_database.CloseDatabase(); }

    std::vector<CustomLightKey> Rows(int id) {
        std::vector<CustomLightKey> rows;
        m_database.ListCustomLightKeys(id, rows);
        return rows;
    }

    std::string Path(const std::string& name) { return (m_environment.Root() / name).string(); }

    test::TempEnvironment m_environment;
    ProfileDatabase m_database;
    CustomLightEngine m_engine;
    CustomLightSets m_sets{m_database, Texts};
};

TEST_F(CustomLightSetsTest, FirstFillingMakesOneSetAndDefaultNamesFollowTheLanguage) {
    const auto entries = m_sets.Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].shownName, "Lumière 1");
    EXPECT_EQ(m_sets.Entries().size(), 1u) << "a second filling makes no other set";

    const struct {
        std::string stored;
        std::string shown;
    } names[] = {{"Real-time Lighting 3", "Lumière 3"},
                 {"实时灯效 2", "Lumière 2"},
                 {"Подсветка в наст. времени 5", "Lumière 5"},
                 {"My lighting", "My lighting"}};
    for (const auto& name : names) {
        EXPECT_EQ(m_sets.ShownName(name.stored), name.shown) << name.stored;
    }
}

TEST_F(CustomLightSetsTest, NewRenameSpeedAndDeleteAreStored) {
    const CustomLightSetEntry added = m_sets.AddSet(2);
    ASSERT_GT(added.id, 0);
    EXPECT_EQ(added.storedName, "Lumière 2");
    EXPECT_EQ(m_sets.Speed(added.id), 15);
    EXPECT_TRUE(m_sets.StoreSpeed(added.id, 6));
    EXPECT_EQ(m_sets.Speed(added.id), 6);
    EXPECT_EQ(m_sets.Speed(9999), 15) << "a set without a row has speed 15";

    ASSERT_TRUE(m_sets.RenameSet(added.id, "Evening"));
    std::vector<CustomLight> stored;
    m_database.ListCustomLights(kSettingsProfile, stored);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].name, "Evening");

    const int keys[] = {4, 7};
    m_sets.ApplyEffect(m_engine, added.id, keys, kCustomLightWave, 0xFF, 0);
    ASSERT_EQ(Rows(added.id).size(), 2u);
    EXPECT_TRUE(m_sets.DeleteSet(added.id));
    EXPECT_TRUE(Rows(added.id).empty()) << "the key rows go with their set";
    m_database.ListCustomLights(kSettingsProfile, stored);
    EXPECT_TRUE(stored.empty());
}

TEST_F(CustomLightSetsTest, ApplyingAnEffectWritesTheCheckedKeysAndLoadingRestoresThem) {
    const int id = m_sets.AddSet(1).id;
    const int wasd[] = {26, 4, 22, 7};
    EXPECT_EQ(m_sets.ApplyEffect(m_engine, id, wasd, kCustomLightBreathing, 0x3366FF, 1), 4);
    const int two[] = {4, 22};
    m_sets.ApplyEffect(m_engine, id, two, kCustomLightOff, 0x3366FF, 0);

    const auto rows = Rows(id);
    ASSERT_EQ(rows.size(), 4u) << "one row per key, replaced in place";
    for (const CustomLightKey& row : rows) {
        SCOPED_TRACE(row.keycode);
        const bool off = row.keycode == 4 || row.keycode == 22;
        EXPECT_EQ(row.light_mode, off ? kCustomLightOff : kCustomLightBreathing);
        EXPECT_EQ(row.rgbvalue, off ? 0 : 0x3366FF);
        EXPECT_EQ(row.colortype, off ? 0 : 1);
    }
    EXPECT_EQ(m_sets.ApplyEffect(m_engine, 0, wasd, kCustomLightFlash, 0xFF, 0), 0)
        << "without a set nothing is stored";

    CustomLightEngine fresh;
    fresh.SetKeys(std::vector<LayoutKey>(1, LayoutKey{7, "D", "D", 0, 3, false, 0, 0, {}}));
    m_sets.StoreSpeed(id, 4);
    m_sets.LoadSet(fresh, id);
    EXPECT_EQ(fresh.Speed(), 4);
    const auto w = fresh.KeyInfo(7);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->lightMode, kCustomLightBreathing);
    EXPECT_EQ(w->colour, 0x3366FFu);
    EXPECT_EQ(w->colourType, 1);
    EXPECT_EQ(w->lightType, 3) << "light_type comes back as stored: its place among the keys";
}

TEST_F(CustomLightSetsTest, ExportAndImportRoundTripInTheExchangeFormat) {
    const int id = m_sets.AddSet(7).id;
    m_sets.StoreSpeed(id, 9);
    const int keys[] = {7, 26};
    m_sets.ApplyEffect(m_engine, id, keys, kCustomLightRipple, 0x0000AA, 0);
    const int off[] = {4};
    m_sets.ApplyEffect(m_engine, id, off, kCustomLightOff, 0, 0);

    const std::string written = ExportCustomLight(m_database, id, "Lumière 7", Path("set"));
    ASSERT_EQ(written, Path("set.xml"));
    std::ifstream file(written);
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_EQ(text.str().rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n", 0), 0u);
    EXPECT_NE(text.str().find("<lightinfo name=\"Lumière 7\" speed=\"9\""), std::string::npos);
    EXPECT_NE(text.str().find("<item keycode=\"7\" lightmode=\"9\" rgbvalue=\"170\" type=\"0\""),
              std::string::npos);
    EXPECT_EQ(text.str().find("colortype"), std::string::npos);

    const CustomLightImport imported = ImportCustomLight(m_database, written);
    ASSERT_TRUE(imported.read);
    ASSERT_GT(imported.setId, id);
    EXPECT_EQ(imported.name, "Lumière 7");
    EXPECT_EQ(m_sets.Speed(imported.setId), 9);
    const auto rows = Rows(imported.setId);
    ASSERT_EQ(rows.size(), 2u) << "the key with effect 0 is not imported";
    for (const CustomLightKey& row : rows) {
        EXPECT_EQ(row.light_mode, kCustomLightRipple);
        EXPECT_EQ(row.rgbvalue, 0xAA);
        EXPECT_EQ(row.colortype, 1) << "imported keys are multicolour";
    }
    EXPECT_EQ(rows[1].light_type, 1);
}

// Capped as key and macro files are: the exchange file size, keys no more than the keyboard
// has, and regular files only; a refused file stores nothing.
TEST_F(CustomLightSetsTest, OversizedOrNonRegularSetFilesStoreNothing) {
    const auto items = [](int count) {
        std::string text = "<customlight><lightinfo name=\"Big\" speed=\"3\"/><keyinfo>";
        for (int i = 0; i < count; ++i) {
            text += "<item keycode=\"" + std::to_string(4 + i % 200) +
                    "\" lightmode=\"1\" rgbvalue=\"255\" type=\"0\"/>";
        }
        return text + "</keyinfo></customlight>";
    };
    std::ofstream(Path("many.xml")) << items(101);
    std::ofstream(Path("enough.xml")) << items(100);
    std::ofstream(Path("huge.xml")) << "<";
    std::filesystem::resize_file(Path("huge.xml"), kExchangeFileLimit + 1);
    const test::TestFifo fifo(Path("fifo.xml"));
    const struct {
        std::string path;
        int message;
    } refused[] = {{Path("many.xml"), kTextSetFileTooManyKeys},
                   {Path("huge.xml"), kTextSetFileTooLarge},
                   {fifo.Path(), kTextSetFileNotRegular},
                   {m_environment.Root().string(), kTextSetFileNotRegular},
                   {"/dev/zero", kTextSetFileNotRegular}};
    for (const auto& c : refused) {
        SCOPED_TRACE(c.path);
        const CustomLightImport result = ImportCustomLight(m_database, c.path, 100);
        EXPECT_EQ(result.setId, 0);
        EXPECT_EQ(result.messageText, c.message);
    }
    EXPECT_EQ(ImportCustomLight(m_database, Path("many.xml"), 100).messageCount, 100);
    std::vector<CustomLight> stored;
    EXPECT_EQ(m_database.ListCustomLights(kSettingsProfile, stored), 0);
    // As many keys as the keyboard has are taken.
    const CustomLightImport taken = ImportCustomLight(m_database, Path("enough.xml"), 100);
    EXPECT_GT(taken.setId, 0);
    EXPECT_EQ(taken.messageText, 0);
}

TEST_F(CustomLightSetsTest, UnreadableFilesAndOddNamesAreHandled) {
    std::ofstream(Path("other.xml")) << "<profile><profileinfo name=\"x\"/></profile>";
    std::ofstream(Path("broken.xml")) << "<customlight><lightinfo";
    for (const std::string& path : {Path("other.xml"), Path("broken.xml"), Path("missing.xml")}) {
        const CustomLightImport result = ImportCustomLight(m_database, path);
        EXPECT_FALSE(result.read) << path;
        EXPECT_EQ(result.messageText, kTextFileUnreadable);
    }
    std::vector<CustomLight> stored;
    EXPECT_EQ(m_database.ListCustomLights(kSettingsProfile, stored), 0);

    EXPECT_EQ(CustomLightFileName("../up/away"), "_._up_away.xml");
    EXPECT_EQ(WithXmlExtension("a.xml"), "a.xml");
    EXPECT_EQ(ExportCustomLight(m_database, 1, "x", Path("no/such/folder/set")), "");
}

}  // namespace
}  // namespace zephyl
