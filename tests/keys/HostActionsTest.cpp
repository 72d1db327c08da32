// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/HostActions.h"

#include "KeysTestSupport.h"

#include <gtest/gtest.h>

namespace zephyl {
namespace {

using Kind = HostActionPlan::Kind;

TEST(HostActionsTest, PlansByType) {
    const struct {
        int type;
        std::string description;
        std::string param;
        Kind kind;
        std::string text;
        int profile;
    } cases[] = {
        {8, "editor", "/usr/bin/editor", Kind::kRunProgram, "/usr/bin/editor", 0},
        {9, "example.org", "", Kind::kOpenAddress, "www.example.org", 0},
        {9, "docs.www.example.org", "", Kind::kOpenAddress, "docs.www.example.org", 0},
        {9, "www.example.org", "", Kind::kOpenAddress, "www.example.org", 0},
        {9, "https://example.org/a", "", Kind::kOpenAddress, "https://example.org/a", 0},
        {9, "", "", Kind::kOpenAddress, "", 0},
        {10, "Regards,\nA", "", Kind::kPasteText, "Regards,\nA", 0},
        {11, "Gaming", "3", Kind::kSwitchProfile, "Gaming", 3},
        {11, "Broken", "x", Kind::kSwitchProfile, "Broken", 0},
        {0, "nothing", "", Kind::kNothing, "", 0},
        {12, "nothing", "", Kind::kNothing, "", 0},
    };
    for (const auto& c : cases) {
        const HostActionPlan plan = PlanHostAction(c.type, c.description, c.param);
        EXPECT_EQ(plan.kind, c.kind) << c.description;
        EXPECT_EQ(plan.text, c.text) << c.description;
        EXPECT_EQ(plan.profile, c.profile) << c.description;
    }
    EXPECT_EQ(DesktopUrl("www.example.org"), "http://www.example.org");
    EXPECT_EQ(DesktopUrl("https://example.org"), "https://example.org");
    EXPECT_EQ(DesktopUrl(""), "");
}

class RecordingExecutor : public HostActionExecutor {
public:
    void RunProgram(const std::string& path) override { m_calls.push_back("run " + path); }
    void OpenAddress(const std::string& address) override { m_calls.push_back("open " + address); }
    void PasteText(const std::string& text) override { m_calls.push_back("paste " + text); }
    void SwitchProfile(int profile) override {
        m_calls.push_back("profile " + std::to_string(profile));
    }
    std::vector<std::string> m_calls;
};

class HostActionStoreTest : public test::DatabaseTest {};

TEST_F(HostActionStoreTest, ReportedIdsRunTheirRows) {
    const int run = m_db.AddHostAction("tool", "/opt/tool", 8);
    const int open = m_db.AddHostAction("example.org", "", 9);
    const int paste = m_db.AddHostAction("hello", "", 10);
    const int profile = m_db.AddHostAction("Second", "2", 11);
    RecordingExecutor executor;
    for (int id : {run, open, paste, profile, 0, 77}) {
        PerformHostAction(m_db, id, executor);
    }
    EXPECT_EQ(executor.m_calls, (std::vector<std::string>{"run /opt/tool", "open www.example.org",
                                                          "paste hello", "profile 2"}));
}

TEST_F(HostActionStoreTest, NewRowsOnlyWhileTheKeyboardCanReportTheirIds) {
    HostActionAdd first = AddHostActionForKey(m_db, "a", "", 9);
    EXPECT_EQ(first.id, 1);
    EXPECT_FALSE(first.reused);
    // Every confirmation adds a row while ids are left, even for an equal action.
    EXPECT_EQ(AddHostActionForKey(m_db, "a", "", 9).id, 2);
    EXPECT_EQ(AddHostActionForKey(m_db, "", "", 9).id, 0);
    for (int i = 3; i <= 255; ++i) {
        ASSERT_EQ(AddHostActionForKey(m_db, "t" + std::to_string(i), "", 10).id, i);
    }
    // Id 255 is the last one: equal actions share a row, new ones are refused.
    const HostActionAdd reused = AddHostActionForKey(m_db, "t200", "", 10);
    EXPECT_EQ(reused.id, 200);
    EXPECT_TRUE(reused.reused);
    EXPECT_EQ(reused.messageText, 0);
    const HostActionAdd sameTextOtherType = AddHostActionForKey(m_db, "t200", "", 9);
    EXPECT_EQ(sameTextOtherType.id, 0);
    EXPECT_EQ(sameTextOtherType.messageText, 897);
    EXPECT_EQ(AddHostActionForKey(m_db, "new", "", 9).id, 0);
    // No row was added beyond the reportable ids.
    std::string description;
    std::string param;
    int type = -1;
    m_db.GetHostAction(256, description, param, type);
    EXPECT_EQ(type, -1);
}

}  // namespace
}  // namespace zephyl
