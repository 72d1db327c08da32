// SPDX-License-Identifier: GPL-2.0-or-later
#include "GlintTestSupport.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <thread>

namespace zephyl::glint::test {
namespace {

using WindowTest = GlintTest;

/// Waits (bounded) until `done` holds, running the event loop meanwhile.
bool WaitFor(const std::function<bool()>& done) {
    for (int round = 0; round < 500 && !done(); ++round) {
        QTest::qWait(5);
        ViewSync::Instance().Flush();
    }
    return done();
}

struct ModalCase {
    const char* name;
    std::function<void(RecordingDialog&)> end;
    int expected;
};

TEST_F(WindowTest, ShowModalReturnsHowTheWindowEnded) {
    const ModalCase cases[] = {
        {"DoOK", [](RecordingDialog& d) { d.DoOK(); }, kResultOk},
        {"DoCancel", [](RecordingDialog& d) { d.DoCancel(); }, kResultCancel},
        {"close request", [](RecordingDialog& d) { d.close(); }, kResultCancel},
        {"DestroyWindow", [](RecordingDialog& d) { d.DestroyWindow(); }, kResultNone},
        {"DoOK then DoCancel", [](RecordingDialog& d) { d.DoOK(), d.DoCancel(); }, kResultOk},
        {"DoOK from the worker",
         [](RecordingDialog& d) {
             std::thread worker([&d] { d.DoOK(); });
             worker.join();
         },
         kResultOk},
    };
    for (const ModalCase& entry : cases) {
        SCOPED_TRACE(entry.name);
        RecordingDialog dialog;
        dialog.CreateHidden(m_window, QRect(0, 0, 200, 100));
        bool wasModal = false;
        QTimer::singleShot(0, &dialog, [&] {
            wasModal = dialog.IsModalRunning() && dialog.isVisible() && dialog.isModal();
            entry.end(dialog);
        });
        // Ends a run that failed to end, with a result no case expects.
        QTimer::singleShot(5000, &dialog, [&] { dialog.EndModal(99); });
        EXPECT_EQ(dialog.ShowModal(), entry.expected);
        EXPECT_TRUE(wasModal);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_FALSE(dialog.IsModalRunning());
    }
}

TEST_F(WindowTest, AWindowEndedBeforeItsModalRunReturnsAtOnce) {
    RecordingDialog dialog;
    dialog.CreateHidden(m_window, QRect(0, 0, 102, 102));
    dialog.ShowWindow(kShow);
    std::thread worker([&dialog] { dialog.DoOK(); });
    worker.join();
    Settle();
    EXPECT_FALSE(dialog.isVisible());
    bool loopRan = false;
    QTimer::singleShot(0, &dialog, [&] {
        loopRan = true;
        dialog.DoCancel();
    });
    EXPECT_EQ(dialog.ShowModal(), kResultOk);
    EXPECT_FALSE(loopRan);
    // The end was used up: a new run waits for a new end.
    QTimer::singleShot(0, &dialog, [&] { dialog.DoCancel(); });
    EXPECT_EQ(dialog.ShowModal(), kResultCancel);
}

TEST_F(WindowTest, CreateBuildsThenPlacesThenInitialises) {
    RecordingDialog dialog;
    QRect built;
    dialog.build = [&](RecordingDialog&, const QRect& rect) { built = rect; };
    dialog.Create(m_window, QStringLiteral("MessageBox"), kStyleDialog, kExStyleToolWindow,
                  QRect(30, 40, 420, 230));
    Settle();
    EXPECT_EQ(dialog.calls, (std::vector<std::string>{"InitUI", "UISize", "OnInitDialog"}));
    EXPECT_EQ(built, QRect(0, 0, 420, 230));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.objectName(), QStringLiteral("MessageBox"));
    dialog.resize(500, 300);
    Settle();
    EXPECT_EQ(dialog.calls.back(), "UISize");
    EXPECT_FALSE(dialog.Create(m_window, QStringLiteral("again"), 0, 0, QRect(0, 0, 1, 1)));
}

TEST_F(WindowTest, CenterWindowCentresOverTheOwner) {
    m_window->setGeometry(200, 150, 640, 480);
    RecordingDialog dialog;
    dialog.CreateHidden(m_window, QRect(0, 0, 102, 102));
    dialog.CenterWindow();
    dialog.ShowWindow(kShow);
    Settle();
    EXPECT_EQ(dialog.frameGeometry().center(), m_window->frameGeometry().center());
}

TEST_F(WindowTest, TimersReachOnTimerOnTheWindowThreadUntilKilled) {
    const auto windowThread = std::this_thread::get_id();
    std::vector<std::thread::id> threads;
    m_window->onTimer = [&](int id) {
        threads.push_back(std::this_thread::get_id());
        if (m_window->timers.size() == 3) {
            m_window->KillTimer(id);
        }
    };
    std::thread worker([this] { m_window->SetTimer(300, 1); });
    worker.join();
    EXPECT_TRUE(m_window->HasTimer(300));
    ASSERT_TRUE(WaitFor([&] { return m_window->timers.size() >= 3; }));
    QTest::qWait(30);
    Settle();
    EXPECT_EQ(m_window->timers, (std::vector<int>{300, 300, 300}));
    EXPECT_FALSE(m_window->HasTimer(300));
    for (const auto& id : threads) {
        EXPECT_EQ(id, windowThread);
    }
}

/// A control that counts the animation ticks it gets.
class TickingControl : public MControl {
public:
    using MControl::MControl;
    const char* ClassName() const override { return "TickingControl"; }
    int ticks = 0;

protected:
    void OnMTimer() override { ++ticks; }
};

TEST_F(WindowTest, AnimationTicksReachOnlyTheControlsThatAskedForThem) {
    auto* ticking = new TickingControl(m_window, 1, m_window);
    auto* quiet = new TickingControl(m_window, 2, m_window);
    // Only shown controls are ticked.
    ticking->SetVisible(true);
    quiet->SetVisible(true);
    ticking->AddMTimer();
    std::thread worker([this] { m_window->SetMTimer(1); });
    worker.join();
    ASSERT_TRUE(WaitFor([&] { return ticking->ticks >= 3; }))
        << "shown " << ticking->isVisible() << ", timer " << m_window->AnimationTimerActive();
    EXPECT_EQ(quiet->ticks, 0);
    m_window->SetMTimer(0);
    const int stopped = ticking->ticks;
    QTest::qWait(20);
    EXPECT_EQ(ticking->ticks, stopped);
}

TEST_F(WindowTest, NoAnimationTickWhileNothingAnimatedIsShown) {
    // Whatever hides the animated control (the window, a container, the control itself) stops
    // the window's timer; showing it again brings the ticks back.
    auto* container = new TickingControl(m_window, 3, m_window);
    auto* ticking = new TickingControl(m_window, 1, container);
    container->SetRect(QRect(0, 0, 50, 50));
    ticking->SetRect(QRect(0, 0, 10, 10));
    ticking->AddMTimer();
    m_window->SetMTimer(1);
    const struct {
        const char* name;
        std::function<void(bool shown)> show;
    } cases[] = {
        {"window", [this](bool shown) { m_window->ShowWindow(shown ? kShow : kShowHide); }},
        {"container", [container](bool shown) { container->SetVisible(shown); }},
        {"control", [ticking](bool shown) { ticking->SetVisible(shown); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int before = ticking->ticks;
        ASSERT_TRUE(WaitFor([&] { return ticking->ticks >= before + 2; }));
        c.show(false);
        ASSERT_TRUE(WaitFor([&] { return !m_window->AnimationTimerActive(); }));
        const int stopped = ticking->ticks;
        QTest::qWait(20);
        EXPECT_EQ(ticking->ticks, stopped);
        c.show(true);
        EXPECT_TRUE(WaitFor([&] { return ticking->ticks >= stopped + 2; }));
    }
    m_window->SetMTimer(0);
}

TEST_F(WindowTest, AnimatedPictureDecodesOnlyWhileShownAndDrawsItsFrames) {
    Manager::SetSkinFolder(QStringLiteral(ZEPHYL_SOURCE_DATA_DIR "/skins/default/"));
    auto* gif = m_window->CreateAreaAs<CGifPicture>(80, QRect(0, 0, 320, 180));
    gif->SetVisible(false);
    gif->SetImage(QStringLiteral("main_bkg.gif"));
    gif->SetRunState(1, 0);
    Settle();
    EXPECT_EQ(gif->DecodedFrameCount(), 0) << "nothing decoded before it is shown";
    EXPECT_FALSE(gif->Animating());

    gif->SetVisible(true);
    Settle();
    EXPECT_TRUE(gif->Animating());
    ASSERT_TRUE(WaitFor([&] { return gif->DecodedFrameCount() >= 3; }));
    // The sparks are drawn: the picture is not empty where it is painted.
    QImage image(gif->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    gif->render(&image, {}, {}, QWidget::DrawChildren);
    int painted = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            painted += qAlpha(image.pixel(x, y)) != 0;
        }
    }
    EXPECT_GT(painted, 10);

    const struct {
        const char* name;
        std::function<void(bool shown)> show;
    } cases[] = {
        {"control", [gif](bool shown) { gif->SetVisible(shown); }},
        {"window", [this](bool shown) { m_window->ShowWindow(shown ? kShow : kShowHide); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.show(false);
        Settle();
        EXPECT_EQ(gif->DecodedFrameCount(), 0) << "frames freed while hidden";
        EXPECT_FALSE(gif->Animating());
        c.show(true);
        Settle();
        EXPECT_TRUE(gif->Animating());
    }
    gif->SetRunState(0, 0);
    Settle();
    EXPECT_FALSE(gif->Animating());
    delete gif;
    Manager::SetSkinFolder({});
}

TEST_F(WindowTest, AnAnimationFrameChangeLeavesNothingOfTheFrameBefore) {
    // What the window shows after a frame change, repainted only where the frames differ, is
    // what a full repaint of the new frame shows: at the picture's own size and scaled down.
    Manager::SetSkinFolder(QStringLiteral(ZEPHYL_SOURCE_DATA_DIR "/skins/default/"));
    m_window->setStyleSheet(QStringLiteral("background: #203040;"));
    for (const QSize size : {QSize(1280, 720), QSize(640, 360)}) {
        SCOPED_TRACE(size.width());
        m_window->resize(size);
        auto* gif = m_window->CreateAreaAs<CGifPicture>(80, QRect(QPoint(0, 0), size));
        gif->SetImage(QStringLiteral("main_bkg.gif"));
        gif->SetRunState(0, 0);
        Settle();
        const auto shown = [this, gif] {
            return QGuiApplication::primaryScreen()
                ->grabWindow(m_window->winId(), 0, 0, gif->width(), gif->height())
                .toImage();
        };
        const QImage first = shown();
        // Played, the frames change by repainting only their own tiles; a change of the state
        // would repaint the whole control.
        gif->SetRunState(1, 0);
        QTest::qWait(400);
        // A repaint the last frame change queued is done; no timer runs, so no frame comes.
        QCoreApplication::sendPostedEvents();
        const QImage stepped = shown();
        ASSERT_NE(stepped, first) << "the frames differ";
        // No event is handled between the two: the frame stays.
        m_window->repaint();
        EXPECT_EQ(stepped, shown());
        delete gif;
    }
    Manager::SetSkinFolder({});
}

TEST_F(WindowTest, PostedMessagesArriveLaterOnTheWindowThread) {
    m_window->PostWindowMessage(2022, 0, 7);
    EXPECT_TRUE(m_window->messages.empty());
    std::thread worker([this] { m_window->PostWindowMessage(1829, 0, 606); });
    worker.join();
    Settle();
    EXPECT_EQ(m_window->messages,
              (std::vector<std::pair<int, std::intptr_t>>{{2022, 7}, {1829, 606}}));
    EXPECT_EQ(m_window->SendWindowMessage(1654, 0, 3), 1);
    EXPECT_EQ(m_window->messages.back(), (std::pair<int, std::intptr_t>{1654, 3}));
}

TEST_F(WindowTest, WorkerWindowCallsApplyOnTheWindowThread) {
    std::thread worker([this] {
        m_window->EnableWindow(false);
        m_window->ShowWindow(kShowHide);
    });
    worker.join();
    EXPECT_FALSE(m_window->IsWindowVisible());
    EXPECT_FALSE(m_window->IsWindowEnabled());
    Settle();
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_FALSE(m_window->isEnabled());
    std::thread again([this] {
        m_window->EnableWindow(true);
        m_window->SetWindowPos(kOrderTopMost, 0, 0, 0, 0, kPosNoMove | kPosNoSize | kPosShowWindow);
    });
    again.join();
    Settle();
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_TRUE(m_window->isEnabled());
    EXPECT_TRUE(m_window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(WindowTest, DraggingTheBackgroundMovesTheWindowButAButtonDoesNot) {
    m_window->CreateControl("MButton", 42, QRect(10, 10, 60, 30));
    m_window->CreateArea("CArea", 36, QRect(100, 0, 300, 50));
    Settle();
    const struct {
        QPoint from;
        bool moves;
    } cases[] = {{QPoint(30, 20), false}, {QPoint(200, 20), true}, {QPoint(300, 300), true}};
    QWindow* window = m_window->windowHandle();
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.from.x());
        const QPoint before = m_window->pos();
        // The pointer ends at a place on the screen; where that is in the window depends on
        // whether the window followed it.
        const QPoint target = m_window->mapToGlobal(entry.from + QPoint(40, 25));
        QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, entry.from);
        QTest::mouseMove(window, entry.from + QPoint(40, 25));
        QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier,
                            m_window->mapFromGlobal(target));
        Settle();
        EXPECT_EQ(m_window->pos() - before, entry.moves ? QPoint(40, 25) : QPoint(0, 0));
    }
}

}  // namespace
}  // namespace zephyl::glint::test
