// SPDX-License-Identifier: GPL-2.0-or-later
#include "support/TempEnvironment.h"
#include "text/CurrentLanguage.h"
#include "text/DefaultNames.h"
#include "text/LanguageText.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace zephyl {
namespace {

class LanguageTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_environment.SetVariable("ZEPHYL_RESOURCE_DIR", m_environment.Root().string());
        test::WriteFile(m_environment.Root() / "language" / "1033.lan",
                        "\xEF\xBB\xBF[CAPTION]\n1=Zephyl Keyboard Driver\n"
                        "[KB.DIALOG]\n; comment\n65=My Config\n20 = OK \n"
                        "22=\"Quoted\"\n300=" +
                            std::string(300, 'x') +
                            "\n"
                            "301=" +
                            std::string(300, 'x').replace(250, 12, "ЖЖЖЖЖЖ") +
                            "\n"
                            "[other]\n21=not here\n");
        test::WriteFile(m_environment.Root() / "language" / "1049.lan",
                        "[kb.dialog]\n65=Моя конфигурация\n20=ОК\n");
        SetCurrentLanguageId(1033);
    }
    void TearDown() override { SetCurrentLanguageId(1033); }
    test::TempEnvironment m_environment;
};

TEST_F(LanguageTextTest, ReadsEntriesOfTheCurrentLanguage) {
    EXPECT_EQ(LanguageText(kCaptionSection, 1), "Zephyl Keyboard Driver");
    EXPECT_EQ(LanguageText(65), "My Config");
    EXPECT_EQ(LanguageText(20), "OK");
    EXPECT_EQ(LanguageText(22), "Quoted");
    EXPECT_EQ(LanguageText(21), "") << "a key of another section";
    EXPECT_EQ(LanguageText(999), "") << "a missing key is empty, not its number";
    SetCurrentLanguageId(1049);
    EXPECT_EQ(LanguageText(20), "ОК") << "the next lookup reads the new file";
    SetCurrentLanguageId(1031);
    EXPECT_EQ(LanguageText(20), "") << "no file, no text";
}

TEST_F(LanguageTextTest, AChangedOrRemovedFileIsReadAgain) {
    const auto file = m_environment.Root() / "language" / "1033.lan";
    EXPECT_EQ(LanguageText(65), "My Config");
    const struct {
        const char* content;
        int secondsLater;  // the file's new modification time
        const char* text;  // what entry 65 reads afterwards
    } cases[] = {
        {"[KB.DIALOG]\n65=Changed\n", 0, "Changed"},  // another size, same time
        {"[KB.DIALOG]\n65=Chanced\n", 5, "Chanced"},  // the same size, a later time
        {"[KB.DIALOG]\n65=First\n65=Second\n", 9, "First"},
    };
    const auto time = std::filesystem::last_write_time(file);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        test::WriteFile(file, c.content);
        std::filesystem::last_write_time(file, time + std::chrono::seconds(c.secondsLater));
        EXPECT_EQ(LanguageText(65), c.text);
    }
    std::filesystem::remove(file);
    EXPECT_EQ(LanguageText(65), "");
}

TEST_F(LanguageTextTest, LongValuesAreCutTo259CharactersWholeCharactersKept) {
    EXPECT_EQ(LanguageText(300), std::string(259, 'x'));
    const std::string cut = LanguageText(301);
    EXPECT_EQ(cut, std::string(250, 'x') + "ЖЖЖЖЖЖ" + std::string(3, 'x'));
}

TEST_F(LanguageTextTest, DefaultNamesFollowTheLanguage) {
    struct Case {
        std::string stored;
        DefaultNameList list;
        std::string shown;
    };
    SetCurrentLanguageId(1049);
    const Case cases[] = {
        {"My Config 2", DefaultNameList::kProfiles, "Моя конфигурация 2"},
        {"我的专属配置 3", DefaultNameList::kProfiles, "Моя конфигурация 3"},
        {"Gaming", DefaultNameList::kProfiles, "Gaming"},
        {"My Configuration", DefaultNameList::kProfiles, "My Configuration"},
        {"My Config", DefaultNameList::kProfiles, "Моя конфигурация"},
        {"New Macro 1", DefaultNameList::kProfiles, "New Macro 1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LocalizedDefaultName(c.stored, c.list), c.shown) << c.stored;
    }
    EXPECT_EQ(ReplaceDefaultPrefix("Новый макрос 4", DefaultNameList::kMacros, "New Macro"),
              "New Macro 4");
    EXPECT_EQ(NewDefaultName(DefaultNameList::kProfiles, 5), "Моя конфигурация 5");
}

}  // namespace
}  // namespace zephyl
