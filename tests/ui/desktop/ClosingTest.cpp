// SPDX-License-Identifier: GPL-2.0-or-later
#include "../dialogs/DialogTestSupport.h"

#include "app/Environment.h"
#include "glint/MDialog.h"
#include "platform/SettingsStore.h"
#include "text/LanguageText.h"
#include "ui/desktop/ClosingBehaviour.h"
#include "ui/desktop/TrayIcon.h"
#include "ui/dialogs/CloseWindowTipDlg.h"

#include <QScreen>
#include <QAction>
#include <QMenu>
#include <QTimer>

#include <optional>

namespace zephyl::test {
namespace {

using ClosingTest = DialogTest;

class MainWindow : public glint::MDialog {};

/// Runs `act` inside the program's event loop; returns the loop's exit code, or -1 when `act`
/// did not end it.
int RunEventLoop(std::function<void()> act) {
    QTimer::singleShot(0, [act] { act(); });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(-1); });
    guard.start(5000);
    return QCoreApplication::exec();
}

TEST_F(ClosingTest, CloseButtonFollowsTheStoredMode) {
    const struct {
        const char* name;
        std::optional<std::string> stored;
        bool inTray;
        int answer;  ///< what the question stores; -1: the question must not be asked
        CloseAction action;
        int tooltip;
    } cases[] = {
        {"1 hides to the tray", "1", true, -1, CloseAction::kHideToTray, 171},
        {"1 without a notification area minimises", "1", false, -1, CloseAction::kMinimize, 171},
        {"2 exits", "2", true, -1, CloseAction::kExit, 172},
        {"an unknown mode exits", "7", true, -1, CloseAction::kExit, 171},
        {"absent asks: to the tray", std::nullopt, true, 1, CloseAction::kHideToTray, 171},
        {"0 asks: exit", "0", true, 2, CloseAction::kExit, 172},
        {"absent asks, dismissed: exits", std::nullopt, true, 0, CloseAction::kExit, 171},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        TempEnvironment environment;
        const SettingsStore store(SoftwareName());
        if (entry.stored) {
            ASSERT_TRUE(store.WriteValue(kExitModeValue, *entry.stored));
        }
        int asked = 0;
        const auto ask = [&] {
            ++asked;
            if (entry.answer > 0) {
                store.WriteInt(kExitModeValue, entry.answer);
            }
            return entry.answer;
        };
        EXPECT_EQ(OnClose(store, ask, entry.inTray), entry.action);
        EXPECT_EQ(asked, entry.answer >= 0 ? 1 : 0);
        EXPECT_EQ(CloseButtonTooltipText(store.ReadInt(kExitModeValue)), entry.tooltip);
    }
}

TEST_F(ClosingTest, AnAnswerThatCannotBeStoredStillDecidesThisClose) {
    WriteFile(m_environment->ConfigHome() / SoftwareName(), "not a folder");
    const SettingsStore store(SoftwareName());
    EXPECT_EQ(OnClose(
                  store, [] { return kExitModeToTray; }, true),
              CloseAction::kHideToTray);
}

TEST_F(ClosingTest, CloseButtonAsksWithTheClosingQuestion) {
    MainWindow window;
    window.Create(nullptr, QStringLiteral("KeyboardDlg"), glint::kStylePopup, 0,
                  QRect(100, 100, 640, 480));
    window.ShowWindow(glint::kShow);
    TrayIcon tray(&window);
    tray.AddTrayIcon();
    const SettingsStore store(SoftwareName());
    WhenModal([] {
        auto* dialog =
            dynamic_cast<CloseWindowTipDlg*>(FindWindow(QStringLiteral("CloseWindowTipDlg")));
        ASSERT_NE(dialog, nullptr);
        ClickControl(*dialog, CloseWindowTipDlg::kConfirmId);
    });
    const CloseAction action = OnClose(store, &window, &tray);
    EXPECT_EQ(action, tray.InTray() ? CloseAction::kHideToTray : CloseAction::kMinimize);
    EXPECT_EQ(store.ReadValue(kExitModeValue), std::optional<std::string>("1"));
}

TEST_F(ClosingTest, HidingAndMinimisingKeepTheProgramAndTheTrayBringsItBack) {
    MainWindow window;
    window.Create(nullptr, QStringLiteral("KeyboardDlg"), glint::kStylePopup, 0,
                  QRect(100, 100, 640, 480));
    window.ShowWindow(glint::kShow);
    TrayIcon tray(&window);
    tray.AddTrayIcon();
    Settle();

    PerformCloseAction(CloseAction::kHideToTray, &window, &tray);
    Settle();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(tray.IsShown());

    const struct {
        QSystemTrayIcon::ActivationReason reason;
        bool restores;
    } clicks[] = {{QSystemTrayIcon::Context, false},
                  {QSystemTrayIcon::MiddleClick, false},
                  {QSystemTrayIcon::Trigger, true},
                  {QSystemTrayIcon::DoubleClick, true}};
    for (const auto& click : clicks) {
        SCOPED_TRACE(click.reason);
        window.ShowWindow(glint::kShowHide);
        Settle();
        tray.OnTrayCallback(click.reason);
        Settle();
        EXPECT_EQ(window.isVisible(), click.restores);
    }

    // A window left off the screen comes back wholly on it.
    window.ShowWindow(glint::kShowHide);
    window.move(-5000, 3000);
    tray.OnTrayCallback(QSystemTrayIcon::Trigger);
    Settle();
    const QRect screen = window.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(window.frameGeometry()))
        << window.frameGeometry().x() << "," << window.frameGeometry().y();

    PerformCloseAction(CloseAction::kMinimize, &window, &tray);
    Settle();
    EXPECT_TRUE(window.isMinimized());
    tray.OnTrayCallback(QSystemTrayIcon::Trigger);
    Settle();
    EXPECT_FALSE(window.isMinimized());
}

TEST_F(ClosingTest, ExitPathsRemoveTheIconAndLeaveTheEventLoop) {
    const struct {
        const char* name;
        std::function<void(TrayIcon&)> act;
        int exitCode;
        bool iconLeft;
    } cases[] = {
        {"close button with exit",
         [](TrayIcon& tray) { PerformCloseAction(CloseAction::kExit, nullptr, &tray); }, 0, false},
        {"exit request 610", [](TrayIcon& tray) { EXPECT_TRUE(OnExitRequest(610, &tray)); }, 0,
         false},
        {"another request",
         [](TrayIcon& tray) {
             EXPECT_FALSE(OnExitRequest(611, &tray));
             QCoreApplication::exit(-2);
         },
         -2, true},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        TrayIcon tray;
        tray.AddTrayIcon();
        EXPECT_EQ(RunEventLoop([&] { entry.act(tray); }), entry.exitCode);
        EXPECT_EQ(tray.IsShown(), entry.iconLeft);
    }
}

TEST_F(ClosingTest, TrayMenuOffersShowClosingBehaviourThenExitInTheCurrentLanguage) {
    TrayIcon tray;
    std::vector<int> commands;
    tray.SetCommandHandler([&](int command) { commands.push_back(command); });
    int restored = 0;
    tray.SetRestoreHandler([&] { ++restored; });
    for (int language : {kEnglishLanguageId, 1049}) {
        SCOPED_TRACE(language);
        SetCurrentLanguageId(language);
        emit tray.Menu()->aboutToShow();
        const QList<QAction*> actions = tray.Menu()->actions();
        ASSERT_EQ(actions.size(), 3);
        EXPECT_EQ(actions[0]->text().toStdString(), LanguageText(963));
        EXPECT_EQ(actions[1]->text().toStdString(), LanguageText(10));
        EXPECT_EQ(actions[2]->text().toStdString(), LanguageText(11));
        EXPECT_FALSE(actions[0]->text().isEmpty());
        commands.clear();
        restored = 0;
        for (QAction* action : actions) {
            action->trigger();
        }
        EXPECT_EQ(restored, 1) << "Show brings the window back";
        EXPECT_EQ(commands, (std::vector<int>{200, 100}));
    }
}

TEST_F(ClosingTest, RestoredFramesAreMovedAndShrunkOntoTheScreen) {
    const QRect screen(0, 0, 1920, 1080);
    const struct {
        QRect frame;
        QRect placed;
    } cases[] = {
        {{100, 100, 800, 600}, {100, 100, 800, 600}},    // already on it
        {{-300, 50, 800, 600}, {0, 50, 800, 600}},       // off the left edge
        {{1500, 900, 800, 600}, {1120, 480, 800, 600}},  // off the right and bottom
        {{3000, -40, 800, 600}, {1120, 0, 800, 600}},    // on a screen that has gone
        {{-10, -10, 2500, 1200}, {0, 0, 1920, 1080}},    // larger than the screen
    };
    for (const auto& entry : cases) {
        EXPECT_EQ(TrayIcon::PlacedOnScreen(entry.frame, screen), entry.placed) << entry.frame.x();
    }
    // A second screen right of the first.
    EXPECT_EQ(TrayIcon::PlacedOnScreen({1800, 0, 400, 300}, {1920, 0, 1280, 1024}),
              QRect(1920, 0, 400, 300));
}

TEST_F(ClosingTest, TrayIconShowsOnceWithTheSoftwareNameAsTip) {
    const QString longName(200, QLatin1Char('n'));
    EXPECT_EQ(TrayIcon::TipText(longName), QString(127, QLatin1Char('n')));
    EXPECT_EQ(TrayIcon::TipText(QStringLiteral("Zephyl")), QStringLiteral("Zephyl"));

    TrayIcon tray;
    EXPECT_FALSE(tray.IsShown());
    tray.RemoveTrayIcon();  // nothing shown: nothing to remove
    tray.AddTrayIcon();
    ASSERT_TRUE(tray.IsShown());
    EXPECT_EQ(tray.Icon()->toolTip(), QString::fromStdString(SoftwareName()));
    EXPECT_FALSE(tray.Icon()->icon().isNull()) << "the skin's icon";
    EXPECT_EQ(tray.Icon()->contextMenu(), tray.Menu());
    tray.RemoveTrayIcon();
    EXPECT_FALSE(tray.IsShown());
    tray.RemoveTrayIcon();
    EXPECT_FALSE(tray.IsShown());
}

}  // namespace
}  // namespace zephyl::test
