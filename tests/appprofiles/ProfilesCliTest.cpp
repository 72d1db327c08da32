// SPDX-License-Identifier: GPL-2.0-or-later
// zephylctl profiles bind and unbind as a user runs them, and the bindings in profiles list.
#include "support/TempEnvironment.h"
#include "support/Zephylctl.h"

#include <gtest/gtest.h>

#include <string>

namespace zephyl {
namespace {

using Result = test::CliResult;

class ProfilesCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_environment.SetVariable("ZEPHYL_RESOURCE_DIR", std::nullopt);
        m_environment.SetVariable("ZEPHYL_VIRTUAL_KEYBOARD", std::nullopt);
        m_environment.SetVariable("ZEPHYL_VIRTUAL_STATE",
                                  (m_environment.Root() / "keyboard.json").string());
        m_environment.SetVariable("ZEPHYL_VIRTUAL_LOG", std::nullopt);
    }

    Result Run(const std::string& arguments) {
        return test::RunZephylctl(m_environment.Root(), "--virtual-keyboard=101:0 " + arguments);
    }

    test::TempEnvironment m_environment;
};

TEST_F(ProfilesCliTest, BindAndUnbindChangeWhatListShows) {
    struct Step {
        std::string arguments;
        int exitCode;
        std::string json;  ///< profiles list --json afterwards; empty: not looked at
    };
    const Step steps[] = {
        {"profiles bind 2 firefox", 0, ""},
        {"profiles bind 2 Gimp", 0, ""},
        {"profiles bind 2 FIREFOX", 0, ""},
        {"profiles bind 3 'Google-chrome'", 0,
         R"("id":2,"name":"My Config 2","programs":["firefox","Gimp"]},{"id":3,"name":"My Config 3","programs":["Google-chrome"]})"},
        {"profiles bind 3 gimp", 0,
         R"("programs":["firefox"]},{"id":3,"name":"My Config 3","programs":["Google-chrome","gimp"]})"},
        {"profiles bind 9 xterm", 2, ""},
        {"profiles bind x xterm", 2, ""},
        {"profiles bind 2 a/b", 2, ""},
        {"profiles bind 2 ''", 2, ""},
        {"profiles bind 2", 2, ""},
        {"profiles unbind 2 xterm", 1, ""},
        {"profiles unbind 3 GIMP", 0,
         R"("id":3,"name":"My Config 3","programs":["Google-chrome"]})"},
        {"profiles unbind 3", 0, R"("id":3,"name":"My Config 3","programs":[]})"},
        {"profiles unbind 9", 2, ""},
    };
    for (const Step& step : steps) {
        const Result result = Run(step.arguments);
        EXPECT_EQ(result.exitCode, step.exitCode) << step.arguments << "\n" << result.err;
        if (step.exitCode != 0) {
            // One line that says what was wrong.
            EXPECT_EQ(result.err.rfind("zephylctl: ", 0), 0u) << step.arguments;
            EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << step.arguments;
        }
        if (!step.json.empty()) {
            const Result list = Run("--json profiles list");
            EXPECT_NE(list.out.find(step.json), std::string::npos) << step.arguments << "\n"
                                                                   << list.out;
        }
    }
    const Result list = Run("profiles list");
    EXPECT_NE(list.out.find("2  My Config 2  (programs: firefox)\n"), std::string::npos)
        << list.out;
    EXPECT_NE(list.out.find("3  My Config 3\n"), std::string::npos) << list.out;
}

}  // namespace
}  // namespace zephyl
