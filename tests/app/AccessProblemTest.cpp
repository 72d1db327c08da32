// SPDX-License-Identifier: GPL-2.0-or-later
// What the user reads about a keyboard plugged in that this user may not open, and where the
// udev rule it names is looked for.
#include "app/AccessProblem.h"

#include "support/TempEnvironment.h"
#include "text/CurrentLanguage.h"

#include <gtest/gtest.h>

namespace zephyl {
namespace {

TEST(AccessProblemTest, TheRuleIsFoundWhereUdevReadsItAndWhereTheProgramCameFrom) {
    test::TempEnvironment environment;
    const std::filesystem::path root = environment.Root();
    const std::filesystem::path etc = root / "etc" / "udev" / "rules.d";
    const std::filesystem::path lib = root / "lib" / "udev" / "rules.d";
    const std::filesystem::path buildBin = root / "build" / "bin";
    const std::filesystem::path buildRule = root / "build" / "packaging" / kUdevRuleName;
    const std::filesystem::path share = root / "usr" / "share" / "zephyl-keyboard-driver";
    const std::filesystem::path packageRule =
        root / "usr" / "lib" / "udev" / "rules.d" / kUdevRuleName;
    std::filesystem::create_directories(etc);
    std::filesystem::create_directories(lib);
    std::filesystem::create_directories(buildBin);
    std::filesystem::create_directories(share);
    const std::vector<std::string> folders = {etc.string(), lib.string()};

    // Nothing anywhere.
    EXPECT_EQ(FindUdevRule(buildBin.string() + "/", folders), UdevRuleLocation{});
    // The build tree wrote it: a copy to install, none installed.
    test::WriteFile(buildRule, "rule");
    EXPECT_EQ(FindUdevRule(buildBin.string() + "/", folders),
              (UdevRuleLocation{"", buildRule.string()}));
    // An installed program names the package's copy.
    test::WriteFile(packageRule, "rule");
    EXPECT_EQ(FindUdevRule(share.string() + "/", folders),
              (UdevRuleLocation{"", packageRule.string()}));
    // Installed where udev reads it; the first folder in udev's order wins.
    test::WriteFile(lib / kUdevRuleName, "rule");
    EXPECT_EQ(FindUdevRule({}, folders).installed, (lib / kUdevRuleName).string());
    test::WriteFile(etc / kUdevRuleName, "rule");
    EXPECT_EQ(FindUdevRule({}, folders).installed, (etc / kUdevRuleName).string());
}

TEST(AccessProblemTest, TheMessageNamesTheKeyboardAndTheWayOut) {
    SetCurrentLanguageId(1033);
    struct Case {
        const char* name;
        UdevRuleLocation rule;
        std::vector<std::string> says;
        std::vector<std::string> doesNotSay;
    };
    const Case cases[] = {
        {"no rule installed, a copy at hand",
         {"", "/src/build/packaging/70-zephyl-keyboard.rules"},
         {"sudo install -m 644 /src/build/packaging/70-zephyl-keyboard.rules /etc/udev/rules.d/",
          "udevadm control --reload", "unplug the keyboard and plug it in again"},
         {"seat (not over ssh"}},
        {"installed: replug, and use the seat's session",
         {"/usr/lib/udev/rules.d/70-zephyl-keyboard.rules", "/src/build/packaging/x"},
         {"/usr/lib/udev/rules.d/70-zephyl-keyboard.rules", "unplug the keyboard",
          "logged in at the seat", "not over ssh"},
         {"sudo install"}},
        {"no rule anywhere", {}, {"70-zephyl-keyboard.rules", "/etc/udev/rules.d/", "unplug"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string message = AccessRefusedMessage("Zephyl K100", c.rule);
        EXPECT_EQ(message.rfind("The Zephyl K100 is plugged in but this user may not open it. ", 0),
                  0u)
            << message;
        for (const std::string& text : c.says) {
            EXPECT_NE(message.find(text), std::string::npos) << text << "\n" << message;
        }
        for (const std::string& text : c.doesNotSay) {
            EXPECT_EQ(message.find(text), std::string::npos) << text << "\n" << message;
        }
    }
}

}  // namespace
}  // namespace zephyl
