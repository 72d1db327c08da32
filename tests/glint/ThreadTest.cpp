// SPDX-License-Identifier: GPL-2.0-or-later
#include "GlintTestSupport.h"

#include <QLineEdit>

#include <atomic>
#include <thread>

namespace zephyl::glint::test {
namespace {

using ThreadTest = GlintTest;

constexpr int kRounds = 300;

/// The worker changes controls the whole time the window thread repaints them; the final state
/// is the worker's last word, in the models and on screen. Built with ThreadSanitizer this also
/// shows that no control state is shared without its lock.
TEST_F(ThreadTest, WorkerCallsWhileTheWindowRepaints) {
    auto* list = m_window->CreateControlAs<MListBox>(71, QRect(0, 0, 150, 200));
    auto* combo = m_window->CreateControlAs<MComboBox>(84, QRect(160, 0, 150, 30));
    auto* keyboard = m_window->CreateControlAs<KeyboardCtrl>(85, QRect(0, 210, 400, 150));
    auto* slider = m_window->CreateControlAs<MSlider>(88, QRect(160, 40, 150, 20));
    auto* text = m_window->CreateAreaAs<MText>(40, QRect(160, 70, 150, 20));
    auto* picture = m_window->CreateAreaAs<MPicture>(48, QRect(320, 0, 80, 40));
    auto* devices = m_window->CreateControlAs<CDeviceList>(62, QRect(410, 0, 220, 100));
    auto* tabs = m_window->CreateControlAs<MTabCtrl>(49, QRect(410, 110, 60, 200));
    auto* page = m_window->CreateAreaAs<MTabLayout>(51, QRect(480, 110, 100, 100));
    auto* check = m_window->CreateControlAs<CCheckButton>(97, QRect(160, 100, 150, 30));
    auto* edit = m_window->CreateControlAs<MEdit>(107, QRect(160, 140, 80, 30));
    auto* battery = m_window->CreateControlAs<BatteryCtrl>(47, QRect(320, 50, 80, 30));
    for (int i = 0; i < 40; ++i) {
        keyboard->AddKeyItem(QStringLiteral("K"), QString(), 4 + i,
                             QRect((i % 10) * 40, (i / 10) * 40, 38, 38));
    }
    tabs->InsertItem(1, QStringLiteral("Keys"), QString(), page);
    tabs->InsertItem(2, QStringLiteral("Light"), QString(), nullptr);
    for (int i = 0; i < 3; ++i) {
        devices->AddDevice(QStringLiteral("K%1").arg(i), 101 + i, QString(), QString());
    }
    Settle();

    std::atomic<bool> done = false;
    std::thread worker([&] {
        for (int round = 0; round < kRounds; ++round) {
            list->AddString(QStringLiteral("Set %1").arg(round), round);
            if (list->GetItemCount() > 12) {
                list->DeleteItem(0);
            }
            list->SetCurData(round);
            combo->DelAllItems();
            combo->AddItem(QStringLiteral("Side %1").arg(round), 32 + round % 10);
            combo->SelectData(32 + round % 10);
            keyboard->SetLightModeColor(round % 2, std::uint32_t(round * 0x010203) & 0xFFFFFF);
            keyboard->SetKeyColor(4 + round % 40, 0x0000FF);
            keyboard->SetKeyCheck(4 + round % 40, round % 3 == 0);
            for (const KeyInfo& key : keyboard->GetKeyItems()) {
                (void)key.colour;
            }
            slider->SetProgress(round % 101);
            text->SetTitle(QStringLiteral("Round %1").arg(round));
            picture->SetImage(round % 2 == 0 ? QStringLiteral("icon\\usb_mode.png")
                                             : QStringLiteral("icon\\24g_mode.png"));
            picture->SetVisible(round % 2 == 0);
            devices->SetAllDeviceState(0);
            devices->SetDeviceState(101 + round % 3, 1);
            devices->SetSelectDevice(101 + round % 3);
            tabs->SetItemVisible(1, round % 2 == 1);
            tabs->SetSelectItem(round % 2);
            check->SetCheck(round % 2);
            edit->SetEditText(QString::number(round));
            battery->SetBatteryInfo(round % 100, 0);
            m_window->SetTimer(300, 3000);
            m_window->KillTimer(300);
        }
        done = true;
    });
    while (!done) {
        QCoreApplication::processEvents();
        (void)m_window->grab();
    }
    worker.join();
    Settle();
    (void)m_window->grab();

    const int last = kRounds - 1;
    EXPECT_EQ(list->GetItemCount(), 12);
    EXPECT_EQ(list->GetCurData(), last);
    EXPECT_EQ(combo->GetCurData(), 32 + last % 10);
    // Key k was last touched in round 260 + k, checked when that round is a multiple of 3.
    EXPECT_EQ(keyboard->GetCheckedKeys().size(), 13u);
    EXPECT_EQ(slider->GetProgress(), last % 101);
    EXPECT_EQ(text->GetTitle(), QStringLiteral("Round %1").arg(last));
    EXPECT_EQ(picture->isHidden(), last % 2 != 0);
    EXPECT_EQ(devices->GetSelectDevice(), 101 + last % 3);
    EXPECT_EQ(tabs->GetSelectItem(), last % 2);
    EXPECT_EQ(page->isHidden(), last % 2 != 0);
    EXPECT_EQ(check->GetCheck(), last % 2);
    EXPECT_EQ(edit->GetEditHwnd()->text(), QString::number(last));
    EXPECT_EQ(battery->GetBatteryPercent(), last % 100);
    EXPECT_FALSE(m_window->HasTimer(300));
}

}  // namespace
}  // namespace zephyl::glint::test
