// SPDX-License-Identifier: GPL-2.0-or-later
#include "DialogTestSupport.h"

#include "glint/CGifPicture.h"
#include "glint/MDialog.h"
#include "ui/dialogs/WaitDialogs.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTest>

#include <functional>
#include <thread>
#include <utility>

namespace zephyl::test {
namespace {

/// The main window the waiting windows belong to.
class OwnerWindow : public glint::MDialog {};

class WaitDialogsTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        m_ownerWindow = std::make_unique<OwnerWindow>();
        m_ownerWindow->Create(nullptr, QStringLiteral("KeyboardDlg"), glint::kStylePopup, 0,
                              QRect(200, 150, 640, 480));
        m_ownerWindow->ShowWindow(glint::kShow);
        Settle();
    }
    void TearDown() override {
        m_ownerWindow.reset();
        DialogTest::TearDown();
    }
    std::unique_ptr<OwnerWindow> m_ownerWindow;
};

/// One kind of waiting window, reached through the holder.
struct Kind {
    const char* name;
    QString windowName;
    std::function<glint::MDialog*(WaitDialogs&)> show;
    std::function<void(WaitDialogs&)> close;
    std::function<glint::MDialog*(const WaitDialogs&)> current;
    bool overOwner;
};

std::vector<Kind> Kinds() {
    return {
        {"WaitDlg", QStringLiteral("WaitDlg"), [](WaitDialogs& w) { return w.ShowWaitDlg(); },
         [](WaitDialogs& w) { w.CloseWaitDlg(); },
         [](const WaitDialogs& w) { return w.CurrentWaitDlg(); }, true},
        {"LEDWaitDlg", QStringLiteral("LEDWaitDlg"),
         [](WaitDialogs& w) { return w.ShowLEDWaitDlg(); },
         [](WaitDialogs& w) { w.CloseLEDWaitDlg(); },
         [](const WaitDialogs& w) { return w.CurrentLEDWaitDlg(); }, false},
        {"LEDWaitDlg2", QStringLiteral("LEDWaitDlg"),
         [](WaitDialogs& w) { return w.ShowLEDWaitDlg2(); },
         [](WaitDialogs& w) { w.CloseLEDWaitDlg2(); },
         [](const WaitDialogs& w) { return w.CurrentLEDWaitDlg2(); }, false},
    };
}

TEST_F(WaitDialogsTest, ASecondWindowOfAKindReplacesTheFirst) {
    for (const Kind& kind : Kinds()) {
        SCOPED_TRACE(kind.name);
        WaitDialogs holder(m_ownerWindow.get());
        QPointer<glint::MDialog> first = kind.show(holder);
        Settle();
        ASSERT_FALSE(first.isNull());
        EXPECT_TRUE(first->isVisible());
        QPointer<glint::MDialog> second = kind.show(holder);
        Settle();
        EXPECT_TRUE(first.isNull()) << "the first window is deleted";
        ASSERT_FALSE(second.isNull());
        EXPECT_TRUE(second->isVisible());
        EXPECT_EQ(kind.current(holder), second.data());
        EXPECT_EQ(CountVisibleWindows(kind.windowName), 1);
        // Only the main window's own waiting window keeps the user out of it.
        EXPECT_EQ(second->windowModality(), kind.overOwner ? Qt::WindowModal : Qt::NonModal);
    }
}

/// Runs `action` when its object receives an event of `type`.
class OnEvent : public QObject {
public:
    OnEvent(QEvent::Type type, std::function<void()> action)
        : m_type(type), m_action(std::move(action)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == m_type && m_action) {
            std::exchange(m_action, {})();
        }
        return false;
    }

private:
    QEvent::Type m_type;
    std::function<void()> m_action;
};

// The toolkit delivers a window's activation to the window's widgets and goes on using the
// window afterwards; a page handler run from that delivery may open the next wait. The window
// it replaces must outlive the delivery.
TEST_F(WaitDialogsTest, AWindowReplacedWhileItIsBeingActivatedOutlivesTheActivation) {
    for (const Kind& kind : Kinds()) {
        SCOPED_TRACE(kind.name);
        WaitDialogs holder(m_ownerWindow.get());
        QPointer<glint::MDialog> first = kind.show(holder);
        Settle();
        ASSERT_FALSE(first.isNull());
        bool replaced = false;
        bool firstAliveAfterReplace = false;
        OnEvent filter(QEvent::WindowActivate, [&] {
            kind.show(holder);
            replaced = true;
            firstAliveAfterReplace = !first.isNull();
        });
        first->installEventFilter(&filter);
        m_ownerWindow->activateWindow();
        Settle();
        first->activateWindow();
        Settle();
        ASSERT_TRUE(replaced) << "the window was not activated";
        EXPECT_TRUE(firstAliveAfterReplace);
        // Gone once the event loop is back, and never shown again.
        EXPECT_TRUE(first.isNull());
        EXPECT_EQ(CountVisibleWindows(kind.windowName), 1);
    }
}

TEST_F(WaitDialogsTest, TheWorkerEndsTheWindowWithoutWaitingForTheWindowThread) {
    for (const Kind& kind : Kinds()) {
        SCOPED_TRACE(kind.name);
        WaitDialogs holder(m_ownerWindow.get());
        // A close with nothing open changes nothing, and is not kept for the next window.
        std::thread early([&] { kind.close(holder); });
        early.join();
        glint::MDialog* dialog = kind.show(holder);
        Settle();
        ASSERT_TRUE(dialog->isVisible());

        std::thread worker([&] { kind.close(holder); });
        worker.join();
        EXPECT_FALSE(dialog->IsWindowVisible()) << "ended at once";
        EXPECT_TRUE(dialog->isVisible()) << "the window thread has not run yet";
        Settle();
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(CountVisibleWindows(kind.windowName), 0);
        // The end is the dialog's result: a modal run that comes late returns it at once.
        WhenModal([] {});
        EXPECT_EQ(dialog->ShowModal(), glint::kResultOk);
        // A new run after the close stays until its own close.
        glint::MDialog* next = kind.show(holder);
        Settle();
        EXPECT_TRUE(next->isVisible());
    }
}

TEST_F(WaitDialogsTest, NothingButTheProgramEndsAWaitingWindow) {
    WaitDialogs holder(m_ownerWindow.get());
    WaitDlg* dialog = holder.ShowWaitDlg();
    Settle();
    const QPoint before = dialog->pos();
    dialog->close();  // the desktop's close
    Settle();
    QTest::mouseClick(dialog->GetControl(WaitingWindow::kAnimationId), Qt::LeftButton);
    Settle();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->pos(), before);
    auto* animation = dialog->GetControlAs<glint::CGifPicture>(WaitingWindow::kAnimationId);
    ASSERT_NE(animation, nullptr);
    EXPECT_EQ(animation->GetRunState(), 1);
    EXPECT_EQ(animation->GetImage(), QStringLiteral("loading.gif"));
}

TEST_F(WaitDialogsTest, WaitDlgSitsOverTheMainWindowAndTheLedWindowsOnTheScreen) {
    WaitDialogs holder(m_ownerWindow.get());
    WaitDlg* wait = holder.ShowWaitDlg();
    LEDWaitDlg* led = holder.ShowLEDWaitDlg();
    LEDWaitDlg2* upload = holder.ShowLEDWaitDlg2();
    Settle();
    EXPECT_EQ(wait->size(), QSize(102, 102));
    EXPECT_EQ(wait->frameGeometry().center(), m_ownerWindow->frameGeometry().center());
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_EQ(led->size(), QSize(102, 102));
    EXPECT_EQ(led->frameGeometry().center(), screenCentre);
    EXPECT_EQ(upload->size(), QSize(395, 150));
    EXPECT_EQ(upload->frameGeometry().center(), screenCentre);
    for (glint::MDialog* dialog :
         {static_cast<glint::MDialog*>(wait), static_cast<glint::MDialog*>(led),
          static_cast<glint::MDialog*>(upload)}) {
        EXPECT_TRUE(dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }
}

TEST_F(WaitDialogsTest, UploadProgressComesFromTheWorker) {
    WaitDialogs holder(m_ownerWindow.get());
    holder.SetUploadProgress(10);  // nothing open: nothing to set
    LEDWaitDlg2* upload = holder.ShowLEDWaitDlg2();
    EXPECT_EQ(upload->GetProgress(), 0);
    const int steps[] = {25, 60, 150};
    const int shown[] = {25, 60, 100};
    for (int i = 0; i < 3; ++i) {
        std::thread worker([&] { holder.SetUploadProgress(steps[i]); });
        worker.join();
        EXPECT_EQ(upload->GetProgress(), shown[i]);
    }
}

}  // namespace
}  // namespace zephyl::test
