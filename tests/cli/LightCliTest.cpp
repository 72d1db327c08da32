// SPDX-License-Identifier: GPL-2.0-or-later
// zephylctl light and userlight against the virtual keyboard's memory.
#include "support/TempEnvironment.h"
#include "support/Zephylctl.h"

#include <gtest/gtest.h>

#include <regex>

namespace zephyl {
namespace {

using Result = test::CliResult;

class LightCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_environment.SetVariable("ZEPHYL_RESOURCE_DIR", std::nullopt);
        m_environment.SetVariable("ZEPHYL_VIRTUAL_KEYBOARD", std::nullopt);
        m_statePath = (m_environment.Root() / "keyboard.json").string();
        m_environment.SetVariable("ZEPHYL_VIRTUAL_STATE", m_statePath);
        m_environment.SetVariable("ZEPHYL_VIRTUAL_LOG", std::nullopt);
    }

    Result Run(const std::string& arguments) {
        return test::RunZephylctl(m_environment.Root(), "--virtual-keyboard=101:0 " + arguments);
    }

    std::string Memory(const std::string& name) {
        std::smatch match;
        const std::string state = test::ReadFile(m_statePath);
        if (!std::regex_search(state, match, std::regex("\"" + name + "\": *\"?([0-9a-f]*)\"?"))) {
            return {};
        }
        return match[1];
    }

    test::TempEnvironment m_environment;
    std::string m_statePath;
};

TEST_F(LightCliTest, EffectAndSideLightReachTheKeyboard) {
    const Result effect =
        Run("light effect 11 --brightness 2 --speed 1 --direction right --colour 112233");
    ASSERT_EQ(effect.exitCode, 0) << effect.err;
    EXPECT_EQ(Memory("lighting"), "0b11223300000000000201010000aa55");

    const Result side = Run("light side 10");
    ASSERT_EQ(side.exitCode, 0) << side.err;
    EXPECT_EQ(Memory("side_light"), "41");

    const Result live = Run("--json light live");
    ASSERT_EQ(live.exitCode, 0) << live.err;
    EXPECT_NE(live.out.find("\"colour\":\""), std::string::npos) << live.out;
}

TEST_F(LightCliTest, BadValuesSendNothing) {
    const char* bad[] = {"light effect 20",
                         "light effect 3 --brightness 9",
                         "light effect 3 --speed -1",
                         "light effect 3 --direction north",
                         "light effect 3 --colour 12345",
                         "light side 0",
                         "light side 11",
                         "userlight set-key 4 GG0000",
                         "userlight send --set 99"};
    for (const char* arguments : bad) {
        SCOPED_TRACE(arguments);
        const Result result = Run(arguments);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
    EXPECT_EQ(Memory("side_light"), "32") << "the keyboard's own value stays";
}

TEST_F(LightCliTest, UserLightSetIsColouredAndWritten) {
    const Result created = Run("--json userlight new");
    ASSERT_EQ(created.exitCode, 0) << created.err;
    EXPECT_NE(created.out.find("\"name\":\"Custom Light 1\""), std::string::npos) << created.out;

    const Result fill = Run("userlight fill 0000FF");
    ASSERT_EQ(fill.exitCode, 0) << fill.err;
    const Result key = Run("userlight set-key 4 112233");  // A
    ASSERT_EQ(key.exitCode, 0) << key.err;
    EXPECT_EQ(Memory("lighting").substr(0, 2), "80");
    const std::string colours = Memory("user_colors");
    ASSERT_EQ(colours.size(), 1152u);
    EXPECT_NE(colours.find("112233"), std::string::npos);
    EXPECT_NE(colours.find("0000ff"), std::string::npos);

    const std::string file = (m_environment.Root() / "set.xml").string();
    ASSERT_EQ(Run("userlight export '" + file + "'").exitCode, 0);
    ASSERT_EQ(Run("userlight import '" + file + "'").exitCode, 0);
    const Result list = Run("userlight list");
    EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 2) << list.out;
}

}  // namespace
}  // namespace zephyl
