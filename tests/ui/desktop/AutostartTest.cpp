// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/Environment.h"
#include "support/TempEnvironment.h"
#include "app/Autostart.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zephyl::test {
namespace {

class AutostartTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetSoftwareName(kDefaultSoftwareName);
        m_environment.SetVariable("ZEPHYL_RESOURCE_DIR", "/opt/zephyl kb/share");
    }
    void TearDown() override { SetSoftwareName(kDefaultSoftwareName); }

    std::filesystem::path Entry() const {
        return m_environment.ConfigHome() / "autostart" / "Zephyl Keyboard Driver.desktop";
    }
    TempEnvironment m_environment;
};

TEST_F(AutostartTest, EntryIsWrittenAndRemovedWithTheFixedProgramName) {
    EXPECT_FALSE(IsAutostart());
    EXPECT_EQ(AutostartFilePath(), Entry().string());

    ASSERT_TRUE(SetAutostart(true));
    EXPECT_TRUE(IsAutostart());
    const std::string text = ReadFile(Entry());
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u) << text;
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nName=Zephyl Keyboard Driver\n"), std::string::npos) << text;
    // The program beside this one, whatever this test program is called; never the resource
    // folder, which an installed tree keeps apart from its binaries.
    const std::string program = ExecutableFolder() + "zephyl-keyboard-driver";
    EXPECT_NE(text.find("\nExec=" + DesktopExecArgument(program) + "\n"), std::string::npos)
        << text;
    EXPECT_EQ(text.find("/opt/zephyl kb/share/"), std::string::npos) << text;

    ASSERT_TRUE(SetAutostart(true)) << "writing again replaces the entry";
    EXPECT_EQ(ReadFile(Entry()), text);

    ASSERT_TRUE(SetAutostart(false));
    EXPECT_FALSE(IsAutostart());
    EXPECT_FALSE(std::filesystem::exists(Entry()));
    EXPECT_TRUE(SetAutostart(false)) << "nothing to remove is no failure";
    // Nothing but the entry was ever written there.
    EXPECT_TRUE(std::filesystem::is_empty(Entry().parent_path()));
}

TEST_F(AutostartTest, AFolderThatCannotBeMadeFailsWithoutAnEntry) {
    WriteFile(m_environment.ConfigHome() / "autostart", "a file where the folder goes");
    EXPECT_FALSE(SetAutostart(true));
    EXPECT_FALSE(IsAutostart());
}

TEST_F(AutostartTest, ANameWithASlashStaysInTheAutostartFolder) {
    SetSoftwareName("Zephyl/../../evil");
    ASSERT_TRUE(SetAutostart(true));
    EXPECT_TRUE(std::filesystem::exists(m_environment.ConfigHome() / "autostart" /
                                        "Zephyl_.._.._evil.desktop"));
    EXPECT_NE(ReadFile(m_environment.ConfigHome() / "autostart" / "Zephyl_.._.._evil.desktop")
                  .find("\nName=Zephyl/../../evil\n"),
              std::string::npos);
}

TEST_F(AutostartTest, ExecArgumentsAreQuotedAsDesktopEntriesRead) {
    const struct {
        const char* argument;
        const char* written;
    } cases[] = {
        {"/usr/share/zephyl-keyboard-driver/zephyl-keyboard-driver",
         "/usr/share/zephyl-keyboard-driver/zephyl-keyboard-driver"},
        {"/opt/my apps/run", "\"/opt/my apps/run\""},
        {"/opt/100%/run", "/opt/100%%/run"},
        {"/opt/$HOME/run", "\"/opt/\\\\$HOME/run\""},
        {"/opt/say \"hi\"/run", "\"/opt/say \\\\\"hi\\\\\"/run\""},
        {"/opt/back\\slash", "\"/opt/back\\\\\\\\slash\""},
        {"/opt/`cmd`", "\"/opt/\\\\`cmd\\\\`\""},
        {"/opt/new\nline", "\"/opt/new\\nline\""},
        {"", "\"\""},
    };
    for (const auto& entry : cases) {
        EXPECT_EQ(DesktopExecArgument(entry.argument), entry.written) << entry.argument;
    }
}

}  // namespace
}  // namespace zephyl::test
