// SPDX-License-Identifier: GPL-2.0-or-later
// The window end to end: what the user chooses reaches the virtual keyboard's memory.
#include "WindowTestSupport.h"

#include <algorithm>
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

TEST_F(VirtualKeyboardTest, AModelPickedThatIsNotConnectedSaysSoAndKeepsEveryChange) {
    Start("101:0;102:0");
    using SetPlugged = int (*)(int, int, int);
    const auto setPlugged =
        reinterpret_cast<SetPlugged>(m_devices->Library().Symbol("zephyl_virtual_set_plugged"));
    ASSERT_NE(setPlugged, nullptr);
    ASSERT_EQ(setPlugged(101, 0, 0), 0);
    Connect();
    auto* models = Control<glint::CDeviceList>(62);
    auto* connection = Control<glint::MPicture>(48);
    auto* notice = Control<glint::MText>(44);
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(models->GetSelectDevice(), 102) << "the keyboard that is there";
    EXPECT_TRUE(connection->IsVisible());
    EXPECT_FALSE(notice->IsVisible());

    // The K100 picked on the home page: its pages, the icon not lit, and a notice.
    m_window->OnMessage(49, 2, kTabHome);
    models->SetSelectDevice(101);
    ASSERT_EQ(m_window->OnMessage(62, 2, 0), 1);
    Drain();
    EXPECT_FALSE(m_window->OnHomePage());
    EXPECT_EQ(models->GetSelectDevice(), 101);
    EXPECT_FALSE(connection->IsVisible());
    EXPECT_TRUE(notice->IsVisible());
    EXPECT_TRUE(notice->GetTitle().startsWith(QStringLiteral("The Zephyl K100 is not connected")))
        << notice->GetTitle().toStdString();

    // A change there says it is kept for the keyboard, and nothing is sent.
    m_services->Clear();
    Control<glint::CCheckButton>(305)->SetCheck(1);
    m_window->OnMessage(305, 2, 0);
    Drain();
    const std::vector<std::string> calls = m_services->Calls();
    EXPECT_NE(std::find_if(calls.begin(), calls.end(),
                           [](const std::string& call) {
                               return call.find(
                                          "The Zephyl K100 is not connected. The change is "
                                          "kept") != std::string::npos;
                           }),
              calls.end());
    EXPECT_EQ(StoredSettingsBlock(), "");

    // Plugged in: lit, no notice, and the kept change reaches it.
    ASSERT_EQ(setPlugged(101, 0, 1), 0);
    m_controller->PostCommand(kCommandArrival);
    Drain();
    EXPECT_TRUE(connection->IsVisible());
    EXPECT_FALSE(notice->IsVisible());
    EXPECT_EQ(StoredSettingsBlock().substr(8, 2), "01");
}

TEST_F(VirtualKeyboardTest, AKeyboardThisUserMayNotOpenIsNamedInPlaceOfNoKeyboard) {
    Start(R"({"keyboards": [{"model": 101, "modes": [0], "open_refused": true}]})");
    Connect();
    EXPECT_TRUE(m_window->OnHomePage());
    auto* hint = Control<glint::MText>(60);
    EXPECT_TRUE(hint->IsVisible());
    EXPECT_TRUE(hint->GetTitle().startsWith(
        QStringLiteral("The Zephyl K100 is plugged in but this user may not open it. ")))
        << hint->GetTitle().toStdString();
    EXPECT_TRUE(hint->GetTitle().contains(QStringLiteral("unplug the keyboard")));
    // The language changes: it is still named, in the new words.
    m_window->PostWindowMessage(2022, 0, 0);
    Settle();
    EXPECT_TRUE(hint->GetTitle().contains(QStringLiteral("Zephyl K100")));
}

}  // namespace
}  // namespace zephyl::window::test
