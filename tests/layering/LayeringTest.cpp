// SPDX-License-Identifier: GPL-2.0-or-later
#include "LayerCheck.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>

namespace zephyl::test {
namespace {

#include "LayerTable.inc"

LayerRules ProjectRules() {
    return {kLayerTable, kLayerExceptions};
}

TEST(LayeringTest, EveryIncludeOfTheSourceTreeFollowsTheLayers) {
    const LayerReport report = CheckLayers(ZEPHYL_SOURCE_ROOT, ProjectRules());
    EXPECT_TRUE(report.violations.empty() && report.unusedExceptions.empty()) << Describe(report);
}

// One source file in a scratch tree per case, checked against the project's table: the table
// says what the layers are, the checker finds what breaks them.
TEST(LayeringTest, TableOfIncludes) {
    struct Case {
        const char* file;
        const char* include;
        bool allowed;
    };
    const Case cases[] = {
        {"src/store/A.cpp", "xml/XmlDocument.h", true},
        {"src/store/A.cpp", "keys/KeyTable.h", false},
        {"src/store/A.cpp", "catalogue/DeviceCatalogue.h", false},  // same layer, not below
        {"src/keys/A.h", "keys/KeyCodes.h", true},
        {"src/keys/A.h", "app/Environment.h", true},
        {"src/keys/A.h", "glint/MButton.h", false},  // no feature uses the control library
        {"src/glint/A.cpp", "catalogue/KeyboardLayout.h", true},
        {"src/glint/A.cpp", "app/Environment.h", false},
        {"src/text/A.cpp", "platform/Paths.h", true},
        {"src/text/A.cpp", "app/Environment.h", false},
        {"src/app/A.cpp", "ui/LanguageText.h", false},
        {"src/ui/window/A.cpp", "glint/MButton.h", true},
        {"src/ui/window/A.cpp", "keys/KeyTable.h", true},
        {"src/ui/window/A.cpp", "cli/Output.h", false},  // side by side
        {"src/cli/A.cpp", "ui/desktop/Startup.h", false},
        {"src/cli/A.cpp", "keys/KeyTable.h", true},
        {"src/main/A.cpp", "ui/window/KeyboardDlg.h", true},
        {"src/virtual/A.cpp", "xml/XmlDocument.h", true},
        {"src/virtual/A.cpp", "platform/Paths.h", false},
        {"src/virtual/A.cpp", "HidApi.h", true},              // its own folder
        {"src/xml/A.cpp", "gtest/gtest.h", true},             // not a folder of src/
        {"src/xml/A.cpp", "../platform/Paths.h", false},      // climbs out by path
        {"src/newfolder/A.cpp", "xml/XmlDocument.h", false},  // a folder without a row
    };
    for (const auto& c : cases) {
        TempEnvironment tree;
        for (const char* folder : {"xml", "platform", "text", "store", "catalogue", "app", "keys",
                                   "glint", "ui", "cli", "main", "virtual"}) {
            WriteFile(tree.Root() / "src" / folder / "Own.h", "#pragma once\n");
        }
        WriteFile(tree.Root() / c.file,
                  std::string("// SPDX-License-Identifier: x\n\n#include \"") + c.include +
                      "\"\n\nint x;\n");
        const LayerReport report = CheckLayers(tree.Root(), ProjectRules());
        if (c.allowed) {
            EXPECT_TRUE(report.violations.empty()) << c.file << " -> " << c.include << ":\n"
                                                   << Describe(report);
            continue;
        }
        ASSERT_EQ(report.violations.size(), 1u) << c.file << " -> " << c.include;
        const LayerViolation& violation = report.violations.front();
        EXPECT_EQ(violation.file, c.file);
        // A folder without a row is reported once for the file, before any of its lines.
        if (std::string(c.file).find("newfolder") == std::string::npos) {
            EXPECT_EQ(violation.line, 3) << c.file << " -> " << c.include;
            EXPECT_EQ(violation.include, c.include);
        }
        EXPECT_NE(Describe(report).find(std::string(c.file) + ":"), std::string::npos);
    }
}

TEST(LayeringTest, ExceptionsAllowOneFileAndMustStayNeeded) {
    TempEnvironment tree;
    WriteFile(tree.Root() / "src/keys/Own.h", "#pragma once\n");
    WriteFile(tree.Root() / "src/ui/Own.h", "#pragma once\n");
    WriteFile(tree.Root() / "src/app/Controller.cpp",
              "#include \"app/Controller.h\"\n  #  include \"keys/Own.h\"\n");
    WriteFile(tree.Root() / "src/app/Other.cpp", "#include \"keys/Own.h\"\n");

    LayerRules rules = ProjectRules();
    rules.exceptions = {{"src/app/Controller.cpp", "keys"}, {"src/app/Gone.cpp", "ui"}};
    const LayerReport report = CheckLayers(tree.Root(), rules);
    ASSERT_EQ(report.violations.size(), 1u) << Describe(report);
    EXPECT_EQ(report.violations[0].file, "src/app/Other.cpp");
    EXPECT_EQ(report.violations[0].line, 1);
    ASSERT_EQ(report.unusedExceptions.size(), 1u);
    EXPECT_EQ(report.unusedExceptions[0].first, "src/app/Gone.cpp");
}

}  // namespace
}  // namespace zephyl::test
