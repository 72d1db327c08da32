// SPDX-License-Identifier: GPL-2.0-or-later
// Each control's events reach its page operation; the others are refused.
#include "WindowTestSupport.h"

namespace zephyl::window::test {
namespace {

struct RouteCase {
    int id;
    int code;
    int handled;                     ///< what OnMessage answers
    std::vector<std::string> calls;  ///< what was asked of the desktop, by prefix
    size_t queued;                   ///< worker commands posted
};

const RouteCase kRoutes[] = {
    // Unknown ids and events a control does not act on change nothing.
    {999, 2, 0, {}, 0},
    {42, 5, 0, {}, 0},
    {62, 29, 0, {}, 0},
    {88, 26, 0, {}, 0},
    {296, 26, 0, {}, 0},
    // The frame.
    {42, 2, 1, {"close window"}, 0},
    {45, 2, 1, {"open https://zephyl.invalid/"}, 0},
    {62, 2, 1, {}, 1},
    // The colour wheels act only when released, the step list only when an edit ends.
    {100, 2, 0, {}, 0},
    {100, 27, 1, {}, 1},
    {214, 2, 0, {}, 0},
    {214, 27, 1, {}, 0},
    {287, 2, 0, {}, 0},
    {287, 29, 1, {}, 0},
    // Lists, fields and feature controls hear every event and pick theirs.
    {82, 2, 1, {}, 1},
    {82, 5, 0, {}, 0},
    {107, 26, 1, {}, 1},
    {84, 2, 1, {}, 1},
    {163, 29, 1, {}, 0},
    {175, 29, 1, {}, 0},
    {202, 2, 1, {}, 0},
    {221, 26, 1, {}, 0},
    {238, 29, 1, {}, 0},
    {258, 30, 1, {}, 0},
    {258, 29, 1, {}, 0},
    {258, 26, 0, {}, 0},
    // A keyboard without a screen: its page takes the events and has nothing to act on.
    {319, 2, 1, {}, 0},
    {321, 11, 0, {}, 0},
    {330, 32, 1, {}, 0},
    {334, 9, 1, {}, 0},
    {340, 26, 1, {}, 0},
    {349, 2, 1, {}, 0},
    {354, 26, 1, {}, 0},
    {74, 12, 1, {}, 0},
    {74, 13, 1, {}, 0},
    // Clicks of the later features' buttons.
    {88, 2, 1, {}, 1},
    {92, 2, 1, {}, 1},
    {156, 2, 1, {"wait"}, 1},
    {243, 2, 1, {}, 0},
    // Macro step tools without a macro: nothing to act on.
    {261, 2, 1, {}, 0},
    {276, 2, 1, {}, 0},
    {281, 2, 1, {}, 0},
    {344, 2, 1, {}, 0},
    {367, 2, 1, {}, 0},
    // Settings and keys that store and send.
    {296, 2, 1, {}, 1},
    {293, 2, 1, {}, 1},
    {305, 2, 1, {}, 1},
    {79, 2, 1, {}, 1},
    {78, 2, 1, {"wait"}, 1},
    {65, 2, 1, {"wait"}, 1},
    {298, 2, 1, {"message 4 Reset keys", "wait"}, 1},
    {297, 2, 1, {"autostart"}, 0},
    // Last: the software check answers from another thread after the wait dialog is up.
    {300, 2, 1, {"wait"}, 0},
};

class RoutingTest : public WindowTest {};

TEST_F(RoutingTest, EventsReachTheirOperations) {
    Start("101:0");
    Connect();
    for (const RouteCase& route : kRoutes) {
        SCOPED_TRACE(testing::Message() << "control " << route.id << " event " << route.code);
        Drain();  // a write still waiting would take in the same request
        m_services->Clear();
        const size_t before = m_controller->QueueLength();
        EXPECT_EQ(m_window->OnMessage(route.id, route.code, 0), route.handled);
        Settle();
        const std::vector<std::string> calls = m_services->Calls();
        ASSERT_EQ(calls.size(), route.calls.size()) << (calls.empty() ? "" : calls.front());
        for (size_t i = 0; i < calls.size(); ++i) {
            EXPECT_EQ(calls[i].rfind(route.calls[i], 0), 0u) << calls[i];
        }
        EXPECT_EQ(m_controller->QueueLength() - before, route.queued);
    }
}

TEST_F(RoutingTest, TabStripSwitchesPages) {
    Start("101:0");
    Connect();
    for (int index = kTabKeys; index < kTabCount; ++index) {
        SCOPED_TRACE(index);
        ASSERT_EQ(m_window->OnMessage(49, 2, index), 1);
        Settle();
        EXPECT_EQ(m_window->CurrentTabIndex(), index);
        EXPECT_EQ(m_window->CurrentTabId(), kTabs[index].itemId);
        EXPECT_EQ(m_controller->CurrentPage(), kTabs[index].itemId);
        EXPECT_EQ(Control<glint::MText>(40)->GetTitle(), Text(kTabs[index].text));
        EXPECT_EQ(Control<glint::MPicture>(41)->GetImage(),
                  QString::fromLatin1(kTabs[index].titleIcon));
        EXPECT_TRUE(Control<glint::MTabCtrl>(49)->IsVisible());
    }
    ASSERT_EQ(m_window->OnMessage(49, 2, kTabHome), 1);
    EXPECT_TRUE(m_window->OnHomePage());
    EXPECT_EQ(m_controller->CurrentPage(), 0);
    EXPECT_FALSE(Control<glint::MTabCtrl>(49)->IsVisible());
    EXPECT_FALSE(m_window->GetControl(40)->IsVisible());
    EXPECT_EQ(Control<glint::MPicture>(30)->GetImage(), QStringLiteral("home_bkg.png"));
    EXPECT_TRUE(m_window->GetControl(31)->IsVisible());
}

}  // namespace
}  // namespace zephyl::window::test
