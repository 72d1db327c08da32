// SPDX-License-Identifier: GPL-2.0-or-later
// zephylctl update check and firmware run, in a resource folder of the test's own.
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sys/wait.h>

namespace zephyl {
namespace {

namespace fs = std::filesystem;

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class UpdateCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_resources = m_environment.Root() / "resources";
        fs::create_directories(m_resources);
        for (const char* part : {"layouts", "language"}) {
            fs::copy(fs::path(ZEPHYL_RUNTIME_DIR) / part, m_resources / part,
                     fs::copy_options::recursive);
        }
        fs::copy(fs::path(ZEPHYL_RUNTIME_DIR) / "config.xml", m_resources / "config.xml");
        m_environment.SetVariable("ZEPHYL_RESOURCE_DIR", m_resources.string());
        m_environment.SetVariable("ZEPHYL_VIRTUAL_KEYBOARD", std::nullopt);
        m_environment.SetVariable("ZEPHYL_VIRTUAL_STATE", std::nullopt);
        m_logPath = (m_environment.Root() / "reports.log").string();
        m_environment.SetVariable("ZEPHYL_VIRTUAL_LOG", m_logPath);
    }

    Result Run(const std::string& scenario, const std::string& arguments) {
        const auto out = m_environment.Root() / "out.txt";
        const auto err = m_environment.Root() / "err.txt";
        const std::string command = std::string(ZEPHYL_RUNTIME_DIR) +
                                    "/zephylctl '--virtual-keyboard=" + scenario + "' " +
                                    arguments + " >'" + out.string() + "' 2>'" + err.string() + "'";
        const int status = std::system(command.c_str());
        Result result;
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = test::ReadFile(out);
        result.err = test::ReadFile(err);
        return result;
    }

    /// The firmware tool of model 101's layout: it notes that it ran, at its very end.
    void InstallTool() {
        std::smatch match;
        const std::string layout = test::ReadFile(m_resources / "layouts" / "k100.xml");
        ASSERT_TRUE(std::regex_search(layout, match, std::regex("file=\"([^\"]+)\"")));
        const fs::path tool = m_resources / "firmware" / match[1].str();
        test::WriteFile(tool, "#!/bin/sh\nsleep 0.3\necho done > '" +
                                  (m_environment.Root() / "tool-ran").string() + "'\n");
        fs::permissions(tool, fs::perms::owner_all);
    }

    test::TempEnvironment m_environment;
    fs::path m_resources;
    std::string m_logPath;
};

TEST_F(UpdateCliTest, FirmwareRunWaitsForTheToolAndOpensTheKeyboardAgain) {
    InstallTool();
    const Result older =
        Run(R"({"keyboards":[{"model":101,"modes":[0],"release":"0x0105"}]})", "firmware run");
    ASSERT_EQ(older.exitCode, 0) << older.err;
    EXPECT_NE(older.out.find("open again"), std::string::npos) << older.out;
    // zephylctl came back only after the tool had run to its end.
    EXPECT_EQ(test::ReadFile(m_environment.Root() / "tool-ran"), "done\n");

    fs::remove(m_environment.Root() / "tool-ran");
    const Result current = Run("101:0", "firmware run");
    EXPECT_EQ(current.exitCode, 0) << current.err;
    EXPECT_NE(current.out.find("up to date"), std::string::npos);
    EXPECT_FALSE(fs::exists(m_environment.Root() / "tool-ran"));

    const Result wireless =
        Run(R"({"keyboards":[{"model":101,"modes":[2],"release":"0x0105"}]})", "firmware run");
    EXPECT_EQ(wireless.exitCode, 1);
    EXPECT_FALSE(fs::exists(m_environment.Root() / "tool-ran"));
}

TEST_F(UpdateCliTest, AFirmwareToolOutsideTheFirmwareFolderIsNeverRun) {
    const fs::path outside = m_environment.Root() / "tool";
    test::WriteFile(
        outside, "#!/bin/sh\necho ran > '" + (m_environment.Root() / "tool-ran").string() + "'\n");
    fs::permissions(outside, fs::perms::owner_all);
    fs::create_directories(m_resources / "firmware");
    fs::create_symlink(outside, m_resources / "firmware" / "linked");
    fs::create_symlink(m_resources / "firmware", m_resources / "firmware" / "self");
    const fs::path layoutPath = m_resources / "layouts" / "k100.xml";
    const std::string layout = test::ReadFile(layoutPath);
    for (const std::string& name : {std::string("../../tool"), outside.string(),
                                    std::string("linked"), std::string("self")}) {
        SCOPED_TRACE(name);
        test::WriteFile(layoutPath, std::regex_replace(layout, std::regex("file=\"[^\"]+\""),
                                                       "file=\"" + name + "\""));
        const Result result =
            Run(R"({"keyboards":[{"model":101,"modes":[0],"release":"0x0105"}]})", "firmware run");
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_NE(result.err.find("outside the firmware folder"), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(m_environment.Root() / "tool-ran"));
    }
}

TEST_F(UpdateCliTest, CheckFailsWithAReasonWhenNoManifestCanBeRead) {
    const Result result = Run("101:0", "update check");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.out.find("firmware: keyboard 106, available 106"), std::string::npos)
        << result.out;
    EXPECT_NE(result.err.find("could not be found out"), std::string::npos) << result.err;

    test::WriteFile(m_resources / "distribution-package", "");
    const Result packaged = Run("101:0", "update check --json");
    EXPECT_EQ(packaged.exitCode, 0) << packaged.err;
    EXPECT_NE(packaged.out.find("\"state\":\"distribution\""), std::string::npos) << packaged.out;
}

}  // namespace
}  // namespace zephyl
