// SPDX-License-Identifier: GPL-2.0-or-later
// The programs stored for each profile and the bind and unbind operations on a real database.
#include "appprofiles/AppBindings.h"
#include "store/ProfileDatabase.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zephyl {
namespace {

TEST(AppBindingsTest, StoredFormAndNames) {
    EXPECT_EQ(ParsePrograms(""), std::vector<std::string>{});
    EXPECT_EQ(ParsePrograms("firefox"), std::vector<std::string>{"firefox"});
    EXPECT_EQ(ParsePrograms("/a//b c/"), (std::vector<std::string>{"a", "b c"}));
    EXPECT_EQ(JoinPrograms({"gimp", "Google Chrome"}), "gimp/Google Chrome");
    EXPECT_EQ(ParsePrograms(JoinPrograms({"x", "y"})), (std::vector<std::string>{"x", "y"}));

    struct Case {
        std::string name;
        bool valid;
    };
    const Case cases[] = {
        {"firefox", true},
        {"Google-chrome", true},
        {"kitty 2", true},
        {"", false},
        {"a/b", false},
        {" lead", false},
        {"trail ", false},
        {std::string("tab\there"), false},
        {std::string(255, 'x'), true},
        {std::string(256, 'x'), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ValidProgramName(c.name), c.valid) << c.name;
    }
}

class AppBindingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(m_environment.Root() / "db");
        ASSERT_TRUE(m_database.OpenModelDatabase(m_environment.Root().string() + "/", "K1"));
        std::vector<Profile> list;
        m_database.PrepareProfiles("Profile", list);
        ASSERT_EQ(list.size(), 3u);
    }
    std::vector<std::string> Programs(int profile) {
        for (const ProfileBinding& binding : ReadBindings(m_database)) {
            if (binding.profile == profile) {
                return binding.programs;
            }
        }
        return {"no such profile"};
    }
    test::TempEnvironment m_environment;
    ProfileDatabase m_database;
};

TEST_F(AppBindingsStoreTest, BindingMovesAProgramAndUnbindingTakesItOrAll) {
    EXPECT_EQ(BindProgram(m_database, 2, "firefox"), BindingChange::kDone);
    EXPECT_EQ(BindProgram(m_database, 2, "gimp"), BindingChange::kDone);
    EXPECT_EQ(BindProgram(m_database, 2, "Firefox"), BindingChange::kUnchanged);
    EXPECT_EQ(Programs(2), (std::vector<std::string>{"firefox", "gimp"}));

    // One program follows one profile: binding it elsewhere takes it from the first.
    EXPECT_EQ(BindProgram(m_database, 3, "GIMP"), BindingChange::kDone);
    EXPECT_EQ(Programs(2), (std::vector<std::string>{"firefox"}));
    EXPECT_EQ(Programs(3), (std::vector<std::string>{"GIMP"}));

    EXPECT_EQ(BindProgram(m_database, 9, "xterm"), BindingChange::kNoProfile);
    EXPECT_EQ(BindProgram(m_database, 1, "a/b"), BindingChange::kBadName);
    EXPECT_EQ(Programs(1), std::vector<std::string>{});

    EXPECT_EQ(UnbindProgram(m_database, 3, "xterm"), BindingChange::kUnchanged);
    EXPECT_EQ(UnbindProgram(m_database, 3, "gimp"), BindingChange::kDone);
    EXPECT_EQ(Programs(3), std::vector<std::string>{});
    ASSERT_EQ(BindProgram(m_database, 2, "kitty"), BindingChange::kDone);
    EXPECT_EQ(UnbindProgram(m_database, 2, ""), BindingChange::kDone);
    EXPECT_EQ(Programs(2), std::vector<std::string>{});
    EXPECT_EQ(UnbindProgram(m_database, 9, ""), BindingChange::kNoProfile);
}

}  // namespace
}  // namespace zephyl
