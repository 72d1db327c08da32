// SPDX-License-Identifier: GPL-2.0-or-later
// zephylctl music as a user runs it, against the virtual keyboard. (The run with a sound
// server playing a tone is covered end to end in the lighting tests.)
#include "support/TempEnvironment.h"
#include "support/Zephylctl.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <regex>

namespace zephyl {
namespace {

using Result = test::CliResult;

class MusicCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_environment.SetVariable("ZEPHYL_RESOURCE_DIR", std::nullopt);
        m_environment.SetVariable("ZEPHYL_VIRTUAL_KEYBOARD", std::nullopt);
        m_environment.SetVariable("ZEPHYL_VIRTUAL_STATE",
                                  (m_environment.Root() / "kb.json").string());
        m_logPath = (m_environment.Root() / "reports.jsonl").string();
        m_environment.SetVariable("ZEPHYL_VIRTUAL_LOG", m_logPath);
        // No sound server answers here.
        m_environment.SetVariable("PULSE_SERVER",
                                  "unix:" + (m_environment.Root() / "no-server").string());
    }

    Result Run(const std::string& arguments) {
        return test::RunZephylctl(m_environment.Root(), "--virtual-keyboard=101:0 " + arguments);
    }

    int FrameCommands() {
        std::ifstream log(m_logPath);
        std::string line;
        int count = 0;
        while (std::getline(log, line)) {
            count += line.find("\"op\":\"set_feature\",\"hex\":\"000420") != std::string::npos;
        }
        return count;
    }

    test::TempEnvironment m_environment;
    std::string m_logPath;
};

TEST_F(MusicCliTest, LayersListTheFirstLayerMadeOnce) {
    const Result first = Run("--json music layers");
    ASSERT_EQ(first.exitCode, 0) << first.err;
    const std::regex layer(
        "^\\[\\{\"id\":(\\d+),\"name\":\"New Music Effect 1\",\"selected\":true,\"fore\":4,"
        "\"back\":0,\"gain\":300,\"back_brightness\":100\\}\\]\n$");
    EXPECT_TRUE(std::regex_match(first.out, layer)) << first.out;
    const Result again = Run("music");
    ASSERT_EQ(again.exitCode, 0);
    EXPECT_EQ(std::count(again.out.begin(), again.out.end(), '\n'), 1) << again.out;
}

TEST_F(MusicCliTest, RunWithoutASoundServerFailsAtOnceAndSendsNothing) {
    const auto start = std::chrono::steady_clock::now();
    const Result result = Run("music run --seconds 30");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("no sound server"), std::string::npos) << result.err;
    EXPECT_EQ(FrameCommands(), 0);
}

TEST_F(MusicCliTest, WrongUseIsAUsageError) {
    struct Case {
        const char* arguments;
        const char* message;
    };
    const Case cases[] = {
        {"music run", "needs --seconds"},
        {"music run --seconds 1 --layer 99", "no music layer 99"},
        {"music play", "usage: zephylctl music"},
        {"keys show --layer 2", "0 (base) or 1 (Fn)"},
    };
    for (const Case& c : cases) {
        const Result result = Run(c.arguments);
        EXPECT_EQ(result.exitCode, 2) << c.arguments;
        EXPECT_NE(result.err.find(c.message), std::string::npos)
            << c.arguments << ": " << result.err;
    }
    EXPECT_NE(Run("--help music").out.find("music run --seconds N"), std::string::npos);
}

}  // namespace
}  // namespace zephyl
