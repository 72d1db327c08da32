// SPDX-License-Identifier: GPL-2.0-or-later
// The window end to end: what the user chooses reaches the virtual keyboard's memory.
#include "WindowTestSupport.h"

#include <regex>

namespace zephyl::window::test {
namespace {

class VirtualKeyboardTest : public WindowTest {
protected:
    /// The settings block the keyboard keeps (hex), empty when none was written.
    std::string StoredSettingsBlock() {
        std::smatch match;
        const std::string state = KeyboardState();
        if (std::regex_search(state, match,
                              std::regex("\"settings\": *\\{\"1\": *\"([0-9a-f]+)\""))) {
            return match[1];
        }
        return {};
    }
};

TEST_F(VirtualKeyboardTest, ChosenSleepTimeReachesTheKeyboard) {
    Start("101:0");
    Connect();
    ASSERT_FALSE(m_window->OnHomePage());
    m_window->OnMessage(49, 2, kTabSettings);
    for (int sleepTime : {3, 1}) {
        SCOPED_TRACE(sleepTime);
        ASSERT_TRUE(Control<glint::MComboBox>(296)->SelectData(sleepTime));
        ASSERT_EQ(m_window->OnMessage(296, 2, 0), 1);
        Drain();
        const std::string block = StoredSettingsBlock();
        ASSERT_EQ(block.size(), 128u);
        EXPECT_EQ(block.substr(0, 4), "0001");
        EXPECT_EQ(block.substr(12, 2), "0" + std::to_string(sleepTime));
        EXPECT_EQ(block.substr(124), "aa55");
    }
    // A game-mode lock goes with the next block.
    Control<glint::CCheckButton>(305)->SetCheck(1);
    m_window->OnMessage(305, 2, 0);
    Drain();
    EXPECT_EQ(StoredSettingsBlock().substr(8, 2), "01");
}

TEST_F(VirtualKeyboardTest, ChoosingTheModelOpensThePages) {
    Start("101:0");
    Connect();
    m_window->OnMessage(49, 2, kTabHome);
    ASSERT_TRUE(m_window->OnHomePage());
    ASSERT_EQ(m_window->OnMessage(62, 2, 0), 1);
    Drain();
    EXPECT_FALSE(m_window->OnHomePage());
    EXPECT_EQ(Control<glint::CDeviceList>(62)->GetDeviceState(101), 1);
    EXPECT_EQ(Control<glint::MListBox>(71)->GetItemCount(), 3);
}

}  // namespace
}  // namespace zephyl::window::test
