// SPDX-License-Identifier: GPL-2.0-or-later
// What the controller shows through the window, from the worker's thread.
#include "WindowTestSupport.h"
#include "ui/window/DesktopServices.h"

#include "app/ConnectionState.h"
#include "catalogue/KeyboardLayout.h"
#include "glint/Look.h"

#include <QDir>
#include <QFileDialog>
#include <QTimer>

#include <chrono>
#include <future>
#include <thread>

namespace zephyl::window::test {
namespace {

using namespace std::chrono_literals;

class ViewsTest : public WindowTest {
protected:
    /// The tab items shown, as a bit per index.
    int VisibleTabs() {
        int bits = 0;
        for (int index = 0; index < kTabCount; ++index) {
            if (Control<glint::MTabCtrl>(49)->GetItemVisible(index)) {
                bits |= 1 << index;
            }
        }
        return bits;
    }
    void ShowMode(int mode, int cableFeatures, int wirelessFeatures) {
        KeyboardLayout layout;
        layout.cableFeatures = cableFeatures;
        layout.wirelessFeatures = wirelessFeatures;
        m_window->ShowConnectionMode(ConnectionStateFor(mode, layout));
        Settle();
    }
};

constexpr int Tabs(std::initializer_list<int> indexes) {
    int bits = 1;  // home is always there
    for (int index : indexes) {
        bits |= 1 << index;
    }
    return bits;
}

TEST_F(ViewsTest, TabsFollowTheConnection) {
    Start(R"({"keyboards": []})");
    struct Case {
        int mode;
        int cable;
        int wireless;
        int tabs;
        bool battery;
    };
    const Case cases[] = {
        {kModeCable, 0x7F, 0x7F, Tabs({1, 2, 3, 5, 6, 7, 8}), false},
        {kModeCable, 0xC1, 0x41, Tabs({1, 4, 8}), false},
        // The receiver never shows custom lighting, whatever its flags say.
        {kModeReceiver, 0x7F, 0x7F, Tabs({1, 2, 3, 5, 7, 8}), true},
        {kModeReceiver, 0x7F, 0x59, Tabs({1, 5, 8}), true},
        {kModeReceiver, 0x7F, 0x41, Tabs({1, 8}), true},
        // Bluetooth keeps the tabs of the connection before.
        {kModeBluetooth, 0x7F, 0x7F, Tabs({1, 8}), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "mode " << c.mode << " flags " << c.cable << "/" << c.wireless);
        ShowMode(c.mode, c.cable, c.wireless);
        EXPECT_EQ(VisibleTabs(), c.tabs);
        EXPECT_EQ(m_window->GetControl(47)->IsVisible(), c.battery);
    }
    const QString icons[] = {"icon/usb_mode.png", "icon/bt_mode.png", "icon/24g_mode.png"};
    for (int mode : {kModeCable, kModeBluetooth, kModeReceiver}) {
        ShowMode(mode, 0x7F, 0x7F);
        EXPECT_EQ(Control<glint::MPicture>(48)->GetImage(), icons[mode]);
    }
}

// A keyboard on Bluetooth alone is ready: the window shows its pages, not "no keyboard".
TEST_F(ViewsTest, BluetoothKeyboardShowsTheConnectedView) {
    Start("101:1");
    Connect();
    EXPECT_TRUE(m_controller->Ready());
    EXPECT_EQ(m_controller->ConnectionMode(), kModeBluetooth);
    EXPECT_FALSE(m_window->OnHomePage());
    m_window->OnMessage(49, 2, kTabHome);  // back to the models, and the card clicked again
    m_controller->OnModelChosen(101);
    Drain();
    EXPECT_FALSE(m_window->OnHomePage());
}

// Shrunk below the size its pages are laid out for, the window's controls would overlap.
TEST_F(ViewsTest, WindowNeverShrinksBelowItsLayout) {
    Start("101:0");
    m_window->resize(600, 400);
    Settle();
    EXPECT_GE(m_window->width(), 1280);
    EXPECT_GE(m_window->height(), 720);
}

// File dialogs open where the user was last, else at home; never in the program's folder.
TEST(FileDialogFolderTest, ChooserStartsInTheGivenFolderInTheDarkLook) {
    App();
    const QString folder = QDir::tempPath();
    QColor window;
    QString shownFolder;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        window = dialog->palette().color(QPalette::Window);
        shownFolder = dialog->directory().absolutePath();
        dialog->reject();
    });
    EXPECT_TRUE(RunFileDialog(nullptr, {}, QFileDialog::ExistingFile, QFileDialog::AcceptOpen,
                              folder, QStringLiteral("Custom Key (*.xml)"))
                    .isEmpty())
        << "cancelled: nothing chosen";
    EXPECT_EQ(window, glint::look::kWindow);
    EXPECT_EQ(shownFolder, QDir(folder).absolutePath());
}

TEST(FileDialogFolderTest, LastFolderWhileItExistsElseHome) {
    zephyl::test::TempEnvironment environment;
    const QString existing = QString::fromStdString(environment.Root().string());
    EXPECT_EQ(FileDialogFolder(existing), existing);
    EXPECT_EQ(FileDialogFolder(existing + "/gone"), QDir::homePath());
    EXPECT_EQ(FileDialogFolder({}), QDir::homePath());
}

TEST_F(ViewsTest, PagesReopenWhereTheUserLeftThem) {
    Start(R"({"keyboards": []})");
    ShowMode(kModeCable, 0x7F, 0x7F);
    m_window->ShowConnectedView(1);
    Settle();
    EXPECT_EQ(m_window->CurrentTabIndex(), kTabKeys);
    EXPECT_FALSE(m_window->GetControl(60)->IsVisible());
    EXPECT_TRUE(m_window->GetControl(48)->IsVisible());
    EXPECT_EQ(Control<glint::MPicture>(30)->GetImage(), QStringLiteral("main_bkg.png"));
    EXPECT_FALSE(m_window->GetControl(31)->IsVisible());

    m_window->OnMessage(49, 2, kTabLighting);
    m_window->ShowDisconnectedView();
    Settle();
    EXPECT_TRUE(m_window->OnHomePage());
    EXPECT_TRUE(m_window->GetControl(60)->IsVisible());
    EXPECT_FALSE(m_window->GetControl(48)->IsVisible());

    m_window->ShowConnectedView(1);
    Settle();
    EXPECT_EQ(m_window->CurrentTabIndex(), kTabLighting);

    // A page the new connection does not offer gives way to the first one it does.
    m_window->OnMessage(49, 2, kTabMusic);
    ShowMode(kModeCable, 0x41, 0x41);
    m_window->ShowConnectedView(1);
    Settle();
    EXPECT_EQ(m_window->CurrentTabIndex(), kTabKeys);

    // A wireless keyboard that became ready opens on the tab the controller asks for.
    m_window->OnMessage(49, 2, kTabSettings);
    ShowMode(kModeReceiver, 0x7F, 0x7F);
    m_window->ShowConnectedView(1);
    Settle();
    EXPECT_EQ(m_window->CurrentTabIndex(), kTabKeys);
}

TEST_F(ViewsTest, LayoutFillsTheKeyViewsOfItsPages) {
    Start("101:0");
    Connect();
    EXPECT_EQ(m_window->ModelName(), "Zephyl K100");
    const int keys = Control<glint::KeyboardCtrl>(74)->GetKeyCount();
    EXPECT_GT(keys, 60);
    for (int id : {85, 165, 240, 306}) {
        EXPECT_EQ(Control<glint::KeyboardCtrl>(id)->GetKeyCount(), keys) << id;
    }
    EXPECT_EQ(Control<glint::KeyboardCtrl>(74)->GetKeyboardCtrlMode(), glint::kKeyboardModeAssign);
    EXPECT_EQ(Control<glint::KeyboardCtrl>(240)->GetKeyboardCtrlMode(), glint::kKeyboardModeMusic);
    m_window->ClearKeyViews(kFeatureMusic | kFeatureSettings);
    Settle();
    EXPECT_EQ(Control<glint::KeyboardCtrl>(240)->GetKeyCount(), 0);
    EXPECT_EQ(Control<glint::KeyboardCtrl>(306)->GetKeyCount(), 0);
    EXPECT_EQ(Control<glint::KeyboardCtrl>(74)->GetKeyCount(), keys);
}

TEST_F(ViewsTest, WorkerCallsNeverWaitForTheWindow) {
    Start("101:0");
    const KeyboardLayout layout = *m_controller->Layout();
    ASSERT_FALSE(layout.keys.empty());
    auto worker = [this, &layout](int rounds) {
        for (int round = 0; round < rounds; ++round) {
            m_window->ShowConnectionMode(ConnectionStateFor(kModeReceiver, layout));
            m_window->SetBatteryLevel(40 + round % 50);
            m_window->ShowConnectedView(1);
            m_window->ClearKeyViews(kFeatureKeys | kFeatureMusic);
            m_window->PlaceKeyViews(kFeatureKeys | kFeatureMusic, layout.keyboardRect,
                                    layout.keyboardPicture, 800, 300, 0x202020);
            for (const LayoutKey& key : layout.keys) {
                m_window->AddKey(kFeatureKeys | kFeatureMusic, key, true);
            }
            SettingsPageView page;
            page.settings.sleepTime = round % 4;
            page.settings.keyResponseTime = 1 + round % 5;
            page.sleepTimeVisible = true;
            page.responseTimeVisible = true;
            m_window->ShowSettingsPage(page);
            m_window->SetAllDeviceState(round % 2);
            m_window->SetDeviceState(101, 1);
            m_window->ShowDisconnectedView();
            m_window->CloseWaitDialog();
        }
        // The last word: connected, 57 %, sleep time 2.
        m_window->ShowConnectionMode(ConnectionStateFor(kModeReceiver, layout));
        m_window->SetBatteryLevel(57);
        SettingsPageView page;
        page.settings.sleepTime = 2;
        page.settings.keyResponseTime = 3;
        m_window->ShowSettingsPage(page);
        m_window->ShowConnectedView(1);
    };

    // The window thread is busy elsewhere: the worker's calls still finish.
    auto alone = std::async(std::launch::async, worker, 3);
    ASSERT_EQ(alone.wait_for(30s), std::future_status::ready);

    // Both threads at once.
    auto together = std::async(std::launch::async, worker, 20);
    for (int i = 0; together.wait_for(0s) != std::future_status::ready; ++i) {
        m_window->OnMessage(49, 2, 1 + i % 8);
        Settle();
    }
    together.get();
    Settle();
    EXPECT_EQ(m_window->CurrentTabIndex(), kTabKeys);
    EXPECT_EQ(Control<glint::BatteryCtrl>(47)->GetBatteryPercent(), 57);
    EXPECT_TRUE(m_window->GetControl(47)->IsVisible());
    EXPECT_EQ(Control<glint::MComboBox>(296)->GetCurData(), 2);
    EXPECT_EQ(Control<glint::KeyboardCtrl>(74)->GetKeyCount(), int(layout.keys.size()));
    EXPECT_EQ(Control<glint::CDeviceList>(62)->GetDeviceState(101), 1);
}

}  // namespace
}  // namespace zephyl::window::test
