// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/Environment.h"
#include "platform/SettingsStore.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <optional>

namespace zephyl {
namespace {

TEST(ReadConfigTest, ReadsLanguagesAndSoftwareName) {
    test::TempEnvironment environment;
    const auto path =
        test::WriteFile(environment.Root() / "config.xml",
                        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                        "<config><device.info/>"
                        "<language.info default_lan=\"1033\">"
                        "<lan value=\"1033\"/><lan value=\"1049\"/><lan value=\"2052\"/>"
                        "</language.info>"
                        "<software name=\"Zephyl Keyboard Driver\" version=\"1.0\"/>"
                        "</config>");
    const auto config = ReadConfig(path.string());
    EXPECT_TRUE(config.loaded);
    EXPECT_EQ(config.provisionalLanguageId, 1033);
    EXPECT_EQ(config.languageSet, (std::set<int>{1033, 1049, 2052}));
    EXPECT_EQ(config.softwareName, "Zephyl Keyboard Driver");
}

TEST(ReadConfigTest, SectionsAreSearchedForwardOnly) {
    test::TempEnvironment environment;
    const auto path = test::WriteFile(environment.Root() / "config.xml",
                                      "<config><software name=\"Early\"/>"
                                      "<language.info default_lan=\"1049\"><lan value=\"1049\"/>"
                                      "</language.info></config>");
    const auto config = ReadConfig(path.string());
    EXPECT_EQ(config.languageSet, std::set<int>{1049});
    EXPECT_EQ(config.softwareName, "") << "software before language.info is not seen";
}

TEST(ReadConfigTest, MissingOrBrokenFileReadsNothing) {
    test::TempEnvironment environment;
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"missing.xml", std::nullopt},
        {"empty.xml", ""},
        {"wrong-root.xml", "<settings><language.info default_lan=\"1049\"/></settings>"},
        {"truncated.xml", "<config><language.info default_lan=\"1049\"><lan value="},
    };
    for (const auto& [name, content] : cases) {
        const auto path = environment.Root() / name;
        if (content) {
            test::WriteFile(path, *content);
        }
        const auto config = ReadConfig(path.string());
        EXPECT_FALSE(config.loaded) << name;
        EXPECT_TRUE(config.languageSet.empty()) << name;
        EXPECT_EQ(config.softwareName, "") << name;
    }
}

TEST(ChooseLanguageTest, TableOfStartingSituations) {
    const std::set<int> shipped = {1033, 1049, 2052};
    struct Case {
        const char* what;
        std::optional<std::string> storedFile;  // nullopt: no store yet
        int userLanguage;
        int expectedRun;
        int expectedStored;
    };
    const Case cases[] = {
        {"first start, shipped UI language", std::nullopt, 1049, 1049, 1049},
        {"first start, UI language not shipped", std::nullopt, 1031, 1031, 1033},
        {"stored shipped language", "[SOFTWARE]\nLCID=2052\n", 1049, 2052, 2052},
        {"stored language no longer shipped", "[SOFTWARE]\nLCID=1036\n", 1049, 1036, 1033},
        {"store without LCID", "[SOFTWARE]\nDeviceType=101\n", 1049, 1049, 1049},
        {"LCID not a number", "[SOFTWARE]\nLCID=russian\n", 1031, 1031, 1033},
    };
    for (const auto& c : cases) {
        test::TempEnvironment environment;
        SettingsStore store("Z");
        if (c.storedFile) {
            test::WriteFile(store.Path(), *c.storedFile);
        }
        EXPECT_EQ(ChooseLanguage(shipped, store, c.userLanguage), c.expectedRun) << c.what;
        EXPECT_EQ(store.ReadInt("LCID"), c.expectedStored) << c.what;
    }
}

TEST(ChooseLanguageTest, NoConfigStoresEnglishAndUnusableStoreGivesFallback) {
    test::TempEnvironment environment;
    SettingsStore store("Z");
    EXPECT_EQ(ChooseLanguage({}, store, 1049), 1049);
    EXPECT_EQ(store.ReadInt("LCID"), 1033);

    test::WriteFile(environment.Root() / "blocked", "");
    environment.SetVariable("XDG_CONFIG_HOME", (environment.Root() / "blocked").string());
    SettingsStore blocked("Z");
    EXPECT_EQ(ChooseLanguage({1033, 2052}, blocked, 1049), 2052);
}

TEST(LanguageIdTest, LocalesMapToLanguageIds) {
    const std::pair<const char*, int> cases[] = {
        {"en_US.UTF-8", 1033},
        {"ru_RU.UTF-8", 1049},
        {"zh_CN.UTF-8", 2052},
        {"zh_TW.UTF-8", 1028},
        {"zh_HK", 1028},
        {"zh", 2052},
        {"de_DE@euro", 1031},
        {"fr_CA", 1036},
        {"ja_JP", 1041},
        {"ko_KR.UTF-8", 1042},
        {"C.UTF-8", 1033},
        {"xx_YY", 0},
        {"zhx", 0},
    };
    for (const auto& [locale, id] : cases) {
        EXPECT_EQ(LanguageIdFromLocale(locale), id) << locale;
    }
}

TEST(LanguageIdTest, LanguageVariableWinsOverLang) {
    test::TempEnvironment environment;
    environment.SetVariable("LC_ALL", std::nullopt);
    environment.SetVariable("LC_MESSAGES", std::nullopt);
    environment.SetVariable("LANG", "de_DE.UTF-8");
    environment.SetVariable("LANGUAGE", "ru:en");
    EXPECT_EQ(UserInterfaceLanguageId(), 1049);
    environment.SetVariable("LANGUAGE", std::nullopt);
    EXPECT_EQ(UserInterfaceLanguageId(), 1031);
    environment.SetVariable("LANG", std::nullopt);
    EXPECT_EQ(UserInterfaceLanguageId(), 1033);
}

}  // namespace
}  // namespace zephyl
