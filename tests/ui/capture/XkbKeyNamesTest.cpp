// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/capture/XkbKeyNames.h"

#include "keys/LinuxKeyTable.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <utility>

namespace zephyl {
namespace {

const char* const kLayoutVariables[] = {"XKB_DEFAULT_RULES", "XKB_DEFAULT_MODEL",
                                        "XKB_DEFAULT_LAYOUT", "XKB_DEFAULT_VARIANT",
                                        "XKB_DEFAULT_OPTIONS"};

// Clears the developer's own XKB_DEFAULT_* for the test and restores them afterwards.
void ClearLayoutVariables(test::TempEnvironment& environment) {
    for (const char* name : kLayoutVariables) {
        environment.SetVariable(name, std::nullopt);
    }
}

TEST(XkbKeyNamesTest, NamesKeysAsTheLayoutPrintsThem) {
    struct Case {
        const char* layout;
        const char* variant;
        int linuxCode;
        const char* expected;
    };
    const Case cases[] = {
        {"us", "", 30, "A"},            // letter, upper-cased
        {"us", "", 2, "1"},             // digit
        {"us", "", 39, ";"},            // punctuation
        {"us", "", 57, "Space"},        // blank: the English name
        {"us", "", 28, "Enter"},        // control character
        {"us", "", 59, "F1"},           // no character at all
        {"us", "", 55, "Keypad *"},     // keypad, not the main block's "*"
        {"de", "", 21, "Z"},            // Y position
        {"de", "", 44, "Y"},            // Z position
        {"de", "", 26, "\u00DC"},       // Ü
        {"de", "", 12, "\u00DF"},       // ß has no single-letter capital on keycaps
        {"de", "", 41, "^"},            // dead circumflex
        {"de", "", 13, "\u00B4"},       // dead acute
        {"de", "nodeadkeys", 41, "^"},  // the same accent as a plain character
        {"fr", "", 16, "A"},            // Q position
        {"fr", "", 3, "\u00C9"},        // É
        {"fr", "", 26, "^"},            // dead circumflex
        {"ru", "", 30, "\u0424"},       // Ф
        {"ru", "", 16, "\u0419"},       // Й
    };
    std::map<std::pair<std::string, std::string>, KeyNameSource> sources;
    for (const Case& c : cases) {
        KeyNameSource& source = sources[{c.layout, c.variant}];
        if (!source) {
            source = XkbKeyNameSource({.layout = c.layout, .variant = c.variant});
        }
        EXPECT_EQ(source(c.linuxCode), c.expected)
            << c.layout << "(" << c.variant << ") key " << c.linuxCode;
    }
}

TEST(XkbKeyNamesTest, EveryKnownKeyHasAName) {
    const KeyNameSource source = XkbKeyNameSource({.layout = "de"});
    for (const LinuxKeyMapping& key : LinuxKeyMappings()) {
        EXPECT_FALSE(source(key.linuxCode).empty()) << "key " << key.linuxCode;
    }
}

TEST(XkbKeyNamesTest, UncompilableLayoutGivesEnglishNames) {
    const XkbLayoutNames layouts[] = {
        {.layout = "zz"},
        {.layout = "de", .variant = "no-such-variant"},
        {.rules = "no-such-rules", .layout = "de"},
    };
    for (const XkbLayoutNames& names : layouts) {
        const KeyNameSource source = XkbKeyNameSource(names);
        for (const LinuxKeyMapping& key : LinuxKeyMappings()) {
            EXPECT_EQ(source(key.linuxCode), EnglishKeyName(key.linuxCode))
                << names.rules << "/" << names.layout << "(" << names.variant << ") key "
                << key.linuxCode;
        }
    }
}

TEST(XkbKeyNamesTest, CodesOutsideTheKeymapGiveTheEnglishAnswer) {
    const KeyNameSource source = XkbKeyNameSource({.layout = "us"});
    for (int code : {-8, -1, 0, 0x2ff, 0x300, 100000}) {
        EXPECT_EQ(source(code), EnglishKeyName(code)) << code;
    }
}

TEST(XkbKeyNamesTest, CurrentLayoutFromEnvironmentThenSystemFile) {
    const std::string keyboardFile =
        "# KEYBOARD CONFIGURATION FILE\n"
        "\n"
        "#XKBLAYOUT=\"ru\"\n"
        "XKBMODEL=\"pc105\"\n"
        "XKBLAYOUT=\"fr\"\n"
        "  XKBLAYOUT=\"de,us\"   # later assignment wins\n"
        "XKBVARIANT='nodeadkeys,'\n"
        "export XKBOPTIONS=grp:alt_shift_toggle,\"caps:escape\"\n"
        "XKBBROKEN=\"unterminated\n"
        "BACKSPACE=\"guess\"\r\n";
    struct Case {
        const char* name;
        bool withFile;
        std::map<std::string, std::string> variables;
        XkbLayoutNames expected;
    };
    const Case cases[] = {
        {"file only",
         true,
         {},
         {.model = "pc105",
          .layout = "de,us",
          .variant = "nodeadkeys,",
          .options = "grp:alt_shift_toggle,caps:escape"}},
        {"no file, no variables", false, {}, {.layout = "us"}},
        {"environment only",
         false,
         {{"XKB_DEFAULT_LAYOUT", "ru"}, {"XKB_DEFAULT_VARIANT", "phonetic"}},
         {.layout = "ru", .variant = "phonetic"}},
        {"environment layout drops the file's variant",
         true,
         {{"XKB_DEFAULT_LAYOUT", "fr"}},
         {.model = "pc105", .layout = "fr", .options = "grp:alt_shift_toggle,caps:escape"}},
        {"environment variant alone is ignored",
         true,
         {{"XKB_DEFAULT_VARIANT", "dvorak"}},
         {.model = "pc105",
          .layout = "de,us",
          .variant = "nodeadkeys,",
          .options = "grp:alt_shift_toggle,caps:escape"}},
        {"environment overrides every field",
         true,
         {{"XKB_DEFAULT_RULES", "base"},
          {"XKB_DEFAULT_MODEL", "pc104"},
          {"XKB_DEFAULT_LAYOUT", "us"},
          {"XKB_DEFAULT_VARIANT", "intl"},
          {"XKB_DEFAULT_OPTIONS", "compose:ralt"}},
         {.rules = "base",
          .model = "pc104",
          .layout = "us",
          .variant = "intl",
          .options = "compose:ralt"}},
        {"empty variables count as unset",
         true,
         {{"XKB_DEFAULT_LAYOUT", ""}, {"XKB_DEFAULT_MODEL", ""}},
         {.model = "pc105",
          .layout = "de,us",
          .variant = "nodeadkeys,",
          .options = "grp:alt_shift_toggle,caps:escape"}},
    };
    for (const Case& c : cases) {
        test::TempEnvironment environment;
        ClearLayoutVariables(environment);
        for (const auto& [name, value] : c.variables) {
            environment.SetVariable(name, value);
        }
        const std::filesystem::path path = environment.Root() / "keyboard";
        if (c.withFile) {
            test::WriteFile(path, keyboardFile);
        }
        const XkbLayoutNames names = CurrentXkbLayout(path.string());
        EXPECT_EQ(names.rules, c.expected.rules) << c.name;
        EXPECT_EQ(names.model, c.expected.model) << c.name;
        EXPECT_EQ(names.layout, c.expected.layout) << c.name;
        EXPECT_EQ(names.variant, c.expected.variant) << c.name;
        EXPECT_EQ(names.options, c.expected.options) << c.name;
    }
}

TEST(XkbKeyNamesTest, DefaultSourceFollowsTheCurrentLayout) {
    test::TempEnvironment environment;
    ClearLayoutVariables(environment);
    environment.SetVariable("XKB_DEFAULT_LAYOUT", "ru");
    EXPECT_EQ(XkbKeyNameSource()(30), "\u0424");
}

}  // namespace
}  // namespace zephyl
