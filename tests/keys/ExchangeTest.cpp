// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/AssignmentKinds.h"
#include "keys/ImportChecks.h"
#include "keys/KeyExchange.h"
#include "keys/MacroExchange.h"

#include "KeysTestSupport.h"
#include "keys/KeyTexts.h"
#include "support/MalformedFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zephyl {
namespace {

using test::ReadFile;
using test::WriteFile;

class ExchangeTest : public test::DatabaseTest {
protected:
    ExchangeTest() { std::filesystem::create_directories(Folder()); }
    std::filesystem::path Folder() const { return m_environment.Root() / "exchange"; }

    void Assign(int profile, int layer, int key, KeyAssignment record) {
        record.profile = profile;
        record.fn_layer = layer;
        record.key_code = key;
        ASSERT_GT(m_db.SaveKeyAssignment(record), 0);
    }
    int ProfileCount() {
        std::vector<Profile> rows;
        return m_db.ListProfiles(rows);
    }
    int MacroCount() {
        std::vector<Macro> rows;
        return m_db.ListMacros(rows);
    }
};

TEST_F(ExchangeTest, KeyFileTextIsExact) {
    KeyAssignment a =
        CombinationRecord({CombinationKey{'A', "A"}, CombinationKey{'B', "B"}, std::nullopt});
    a.key_code = 4;
    a.layout_value = 3;
    a.layout_desc = "x<y";
    EXPECT_EQ(ProfileKeysDocument("My \"Keys\"", std::vector<KeyAssignment>{a}),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
              "<profile>\r\n"
              "<profileinfo name=\"My &quot;Keys&quot;\"/>\r\n"
              "<keyitems>\r\n"
              "<item fn_layer=\"0\" key_code=\"4\" layout_value=\"3\" layout_desc=\"x&lt;y\" "
              "macro_type=\"13\" macro_value=\"4\" macro_value2=\"5\" macro_value3=\"0\" "
              "macro_desc=\"A + B\"/>\r\n"
              "</keyitems>\r\n"
              "</profile>\r\n");
    EXPECT_EQ(ProfileKeysDocument("x", {}),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<profile>\r\n"
              "<profileinfo name=\"x\"/>\r\n<keyitems/>\r\n</profile>\r\n");
}

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

TEST_F(ExchangeTest, FileNamesStayInTheFolder) {
    const struct {
        std::string name;
        std::string file;
    } cases[] = {
        {"X 1", "/k/X 1-123456.xml"},
        {"../../etc/passwd", "/k/_._.._etc_passwd-7.xml"},
        {".hidden", "/k/_hidden-7.xml"},
        {"", "/k/-7.xml"},
        // Too long for a file name: cut to 200 bytes, never inside a character.
        {std::string(10000, 'a'), "/k/" + std::string(200, 'a') + "-7.xml"},
        {"a" + Repeat("д", 150), "/k/a" + Repeat("д", 99) + "-7.xml"},
    };
    EXPECT_EQ(ProfileKeysFileName("/k", cases[0].name, 123456), cases[0].file);
    for (size_t i = 1; i < std::size(cases); ++i) {
        EXPECT_EQ(ProfileKeysFileName("/k/", cases[i].name, 7), cases[i].file);
    }
}

TEST_F(ExchangeTest, KeyRoundTripCarriesBothLayers) {
    const int source = m_db.AddProfile("Source", "");
    Assign(source, 0, 4, KeyRecord('B', "B", true, false, false, false));
    Assign(source, 0, 5, DisableRecord("Disable key"));
    Assign(source, 1, 6, ItemRecord(kKindMedia, 1, "Play"));
    const std::string path = ExportProfileKeys(m_db, source, "Shown Name", Folder().string(), 99);
    ASSERT_EQ(path, (Folder() / "Shown Name-99.xml").string());
    ASSERT_FALSE(
        ExportProfileKeys(m_db, source, "Shown Name", (Folder() / "missing").string(), 1).size());

    const KeyImport imported = ImportProfileKeys(m_db, path);
    EXPECT_TRUE(imported.read);
    EXPECT_EQ(imported.name, "Shown Name");
    EXPECT_EQ(imported.stored, 3);
    EXPECT_EQ(imported.leftOut, 0);
    EXPECT_EQ(imported.messageText, 0);
    std::vector<KeyAssignment> base;
    m_db.ListKeyAssignments(imported.profileId, 0, base);
    ASSERT_EQ(base.size(), 2u);
    EXPECT_EQ(base[0].key_code, 4);
    EXPECT_EQ(base[0].macro_type, kKindKey);
    EXPECT_EQ(base[0].macro_value, 5);
    EXPECT_EQ(base[0].macro_value2, kMaskShift);
    EXPECT_EQ(base[0].macro_desc, "Shift + B");
    EXPECT_EQ(base[1].macro_desc, "Disable key");
    std::vector<KeyAssignment> fn;
    ASSERT_EQ(m_db.ListKeyAssignments(imported.profileId, 1, fn), 1);
    EXPECT_EQ(fn[0].key_code, 6);
    EXPECT_EQ(fn[0].macro_type, kKindMedia);

    // A second import makes a second profile of the same name.
    const KeyImport again = ImportProfileKeys(m_db, path);
    EXPECT_NE(again.profileId, imported.profileId);
    std::string name;
    m_db.GetProfileName(again.profileId, name);
    EXPECT_EQ(name, "Shown Name");
}

TEST_F(ExchangeTest, ImportedHostActionsAreLeftOutAndCounted) {
    const auto file =
        WriteFile(Folder() / "in.xml",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<profile>\r\n"
                  "<profileinfo name=\"Other PC\"/>\r\n<keyitems>\r\n"
                  "<item fn_layer=\"0\" key_code=\"4\" macro_type=\"8\" macro_value=\"3\" "
                  "macro_desc=\"x\"/>\r\n"
                  "<item fn_layer=\"1\" key_code=\"5\" macro_type=\"2\" macro_value=\"6\"/>\r\n"
                  "<item fn_layer=\"0\" key_code=\"6\" macro_type=\"11\" macro_value=\"1\"/>\r\n"
                  "<item fn_layer=\"0\" key_code=\"0\" macro_type=\"2\" macro_value=\"6\"/>\r\n"
                  "<item fn_layer=\"0\" key_code=\"7\" macro_type=\"2\" macro_value=\"0\"/>\r\n"
                  "<item fn_layer=\"0\" key_code=\"9\" macro_type=\"2\" macro_value=\"6\"/>\r\n"
                  "<item fn_layer=\"0\" key_code=\"9\" macro_type=\"2\" macro_value=\"7\"/>\r\n"
                  "</keyitems>\r\n</profile>\r\n");
    const KeyImport imported = ImportProfileKeys(m_db, file.string());
    EXPECT_EQ(imported.leftOut, 2);
    EXPECT_EQ(imported.messageText, 896);
    EXPECT_EQ(imported.stored, 3);
    std::vector<KeyAssignment> base;
    m_db.ListKeyAssignments(imported.profileId, 0, base);
    ASSERT_EQ(base.size(), 1u);
    EXPECT_EQ(base[0].key_code, 9);
    EXPECT_EQ(base[0].macro_value, 7);  // the later item wins
    std::vector<KeyAssignment> fn;
    EXPECT_EQ(m_db.ListKeyAssignments(imported.profileId, 1, fn), 1);
}

TEST_F(ExchangeTest, UnreadableFilesChangeNothing) {
    const int profiles = ProfileCount();
    const int macros = MacroCount();
    const struct {
        const char* file;
        const char* text;
    } cases[] = {
        {"missing.xml", nullptr},
        {"broken.xml", "<?xml version=\"1.0\"?><profile><keyitems></profile>"},
        {"other.xml", "<?xml version=\"1.0\"?><lighting name=\"x\"/>"},
        {"empty.xml", ""},
        {"binary.xml", "\x89PNG\r\n\x1a\n\0\0"},
    };
    for (const auto& c : cases) {
        const auto path = Folder() / c.file;
        if (c.text) {
            WriteFile(path, c.text);
        }
        const KeyImport keys = ImportProfileKeys(m_db, path.string());
        EXPECT_FALSE(keys.read) << c.file;
        EXPECT_EQ(keys.messageText, 895) << c.file;
        const MacroImport macro = ImportMacro(m_db, path.string());
        EXPECT_FALSE(macro.read) << c.file;
        EXPECT_EQ(macro.messageText, 895) << c.file;
    }
    EXPECT_EQ(ProfileCount(), profiles);
    EXPECT_EQ(MacroCount(), macros);
    // A key file is not a macro file, nor the other way round.
    const std::string keyFile = ExportProfileKeys(m_db, 1, "P", Folder().string(), 1);
    EXPECT_FALSE(ImportMacro(m_db, keyFile).read);
    EXPECT_EQ(MacroCount(), macros);
}

TEST_F(ExchangeTest, MacroRoundTripKeepsTheStepOrder) {
    Macro macro;
    macro.name = "Greeting";
    macro.play_times = 5;
    macro.delay_type = 3;
    macro.delay_time = 40;
    macro.link_count = 9;
    const int id = m_db.AddMacroWithSettings(macro);
    std::vector<MacroStep> steps;
    for (int type : {2, 3, 2}) {
        MacroStep step;
        step.macro_id = id;
        step.type = type;
        step.value = 'H';
        step.desc = "H & co";
        step.delay_time = 12 * type;
        step.record_index = static_cast<int>(steps.size());
        steps.push_back(step);
    }
    m_db.AddMacroSteps(steps);
    const auto path = Folder() / "m.xml";
    std::filesystem::create_directories(Folder());
    ASSERT_TRUE(ExportMacro(m_db, id, path.string()));
    EXPECT_EQ(ReadFile(path),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<macro>\r\n"
              "<macroinfo name=\"Greeting\" times=\"5\" type=\"3\" delaytime=\"40\"/>\r\n"
              "<macroitems>\r\n"
              "<item desc=\"H &amp; co\" type=\"2\" value=\"72\" delay_time=\"24\"/>\r\n"
              "<item desc=\"H &amp; co\" type=\"3\" value=\"72\" delay_time=\"36\"/>\r\n"
              "<item desc=\"H &amp; co\" type=\"2\" value=\"72\" delay_time=\"24\"/>\r\n"
              "</macroitems>\r\n</macro>\r\n");

    const MacroImport imported = ImportMacro(m_db, path.string());
    ASSERT_GT(imported.macroId, 0);
    EXPECT_EQ(imported.steps, 3);
    Macro copy;
    ASSERT_TRUE(m_db.GetMacro(imported.macroId, copy));
    EXPECT_EQ(copy.name, "Greeting");
    EXPECT_EQ(copy.play_times, 5);
    EXPECT_EQ(copy.delay_type, 3);
    EXPECT_EQ(copy.delay_time, 40);
    EXPECT_EQ(copy.link_count, 0);
    std::vector<MacroStep> read;
    m_db.ListMacroSteps(imported.macroId, read);
    ASSERT_EQ(read.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(read[i].type, steps[i].type);
        EXPECT_EQ(read[i].record_index, static_cast<int>(i));
        EXPECT_EQ(read[i].desc, "H & co");
        EXPECT_EQ(read[i].delay_time, steps[i].delay_time);
    }
}

TEST_F(ExchangeTest, MacroImportTakesValuesAsWrittenAndStopsAtOneHundred) {
    const auto path = WriteFile(Folder() / "m.xml",
                                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<macro>\r\n"
                                "<macroinfo name=\"Odd\" times=\"7\" type=\"3\" "
                                "delaytime=\"x\"/>\r\n"
                                "</macro>\r\n");
    const MacroImport imported = ImportMacro(m_db, path.string());
    ASSERT_GT(imported.macroId, 0);
    Macro macro;
    ASSERT_TRUE(m_db.GetMacro(imported.macroId, macro));
    EXPECT_EQ(macro.play_times, 7);
    EXPECT_EQ(macro.delay_type, 3);
    EXPECT_EQ(macro.delay_time, 0);
    EXPECT_EQ(imported.steps, 0);

    while (MacroCount() < 100) {
        m_db.AddMacro("filler");
    }
    const MacroImport refused = ImportMacro(m_db, path.string());
    EXPECT_TRUE(refused.read);
    EXPECT_EQ(refused.macroId, 0);
    EXPECT_EQ(refused.messageText, 894);
    EXPECT_EQ(MacroCount(), 100);
}

// What no keyboard can take is refused before it is stored, and counted.
TEST_F(ExchangeTest, ImportsRefuseWhatTheKeyboardCannotTake) {
    const int macroId = m_db.AddMacro("Real");
    const auto keyFile =
        WriteFile(Folder() / "keys.xml",
                  "<?xml version=\"1.0\"?><profile><profileinfo name=\"P\"/><keyitems>"
                  "<item fn_layer=\"0\" key_code=\"4\" macro_type=\"2\" macro_value=\"5\"/>"
                  "<item fn_layer=\"0\" key_code=\"-1\" macro_type=\"2\" macro_value=\"5\"/>"
                  "<item fn_layer=\"0\" key_code=\"999\" macro_type=\"2\" macro_value=\"5\"/>"
                  "<item fn_layer=\"5\" key_code=\"5\" macro_type=\"2\" macro_value=\"5\"/>"
                  "<item fn_layer=\"0\" key_code=\"6\" macro_type=\"99\" macro_value=\"1\"/>"
                  "<item fn_layer=\"0\" key_code=\"7\" macro_type=\"3\" macro_value=\"4242\"/>"
                  "<item fn_layer=\"0\" key_code=\"8\" macro_type=\"12\" macro_value=\"9999\"/>"
                  "<item fn_layer=\"0\" key_code=\"9\" macro_type=\"3\" macro_value=\"" +
                      std::to_string(macroId) +
                      "\"/>"
                      "</keyitems></profile>");
    const KeyImport keys = ImportProfileKeys(m_db, keyFile.string());
    EXPECT_EQ(keys.stored, 2);
    EXPECT_EQ(keys.leftOut, 6);
    EXPECT_EQ(keys.messageText, 915);

    const auto macroFile =
        WriteFile(Folder() / "macro.xml",
                  "<?xml version=\"1.0\"?><macro><macroinfo name=\"M\" times=\"1\" type=\"1\"/>"
                  "<macroitems><item type=\"2\" value=\"4\" delay_time=\"10\"/>"
                  "<item type=\"2\" value=\"4\" delay_time=\"-100\"/>"
                  "<item type=\"2\" value=\"4\" delay_time=\"2147483647\"/>"
                  "<item type=\"9\" value=\"4\" delay_time=\"10\"/>"
                  "<item type=\"3\" value=\"4\" delay_time=\"10\"/></macroitems></macro>");
    const MacroImport macro = ImportMacro(m_db, macroFile.string());
    ASSERT_GT(macro.macroId, 0);
    EXPECT_EQ(macro.steps, 2);
    EXPECT_EQ(macro.leftOut, 3);
    EXPECT_EQ(macro.messageText, 915);

    // Settings out of range, too many steps: nothing at all is stored.
    const int before = MacroCount();
    std::string tooMany =
        "<?xml version=\"1.0\"?><macro><macroinfo name=\"Long\" times=\"1\" "
        "type=\"1\"/><macroitems>";
    for (int i = 0; i < 450; ++i) {
        tooMany += "<item type=\"2\" value=\"4\" delay_time=\"10\"/>";
    }
    tooMany += "</macroitems></macro>";
    const struct {
        std::string text;
        int message;
    } refused[] = {
        {"<?xml version=\"1.0\"?><macro><macroinfo name=\"M\" times=\"-1\" type=\"1\"/></macro>",
         895},
        {"<?xml version=\"1.0\"?><macro><macroinfo name=\"M\" times=\"1\" type=\"99\"/></macro>",
         895},
        {tooMany, 917},
    };
    for (const auto& c : refused) {
        const auto file = WriteFile(Folder() / "refused.xml", c.text);
        const MacroImport result = ImportMacro(m_db, file.string());
        EXPECT_EQ(result.macroId, 0);
        EXPECT_EQ(result.messageText, c.message);
    }
    EXPECT_EQ(MacroCount(), before);

    // Larger than any exchange file: not even read.
    const auto huge = Folder() / "huge.xml";
    std::filesystem::resize_file(WriteFile(huge, "<"), kExchangeFileLimit + 1);
    EXPECT_EQ(ImportProfileKeys(m_db, huge.string()).messageText, 916);
    EXPECT_EQ(ImportMacro(m_db, huge.string()).messageText, 916);
}

// A folder, a FIFO or a device is refused at once: a FIFO used to wait for a writer for ever,
// /dev/zero to be read for 2 GB.
TEST_F(ExchangeTest, OnlyRegularFilesAreImported) {
    const test::TestFifo fifo((Folder() / "fifo.xml").string());
    for (const std::string& path : {Folder().string(), fifo.Path(), std::string("/dev/zero")}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(ImportProfileKeys(m_db, path).messageText, kTextImportNotRegularFile);
        EXPECT_EQ(ImportMacro(m_db, path).messageText, kTextImportNotRegularFile);
    }
}

}  // namespace
}  // namespace zephyl
