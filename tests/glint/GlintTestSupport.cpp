// SPDX-License-Identifier: GPL-2.0-or-later
#include "GlintTestSupport.h"

#include <QTest>

namespace zephyl::glint::test {

QApplication& App() {
    static int argc = 1;
    static char name[] = "test_glint";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

void Settle() {
    for (int round = 0; round < 5; ++round) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        ViewSync::Instance().Flush();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

void Click(QWidget* widget, const QPoint& point, Qt::MouseButton button) {
    QTest::mouseClick(widget, button, Qt::NoModifier, point);
    Settle();
}

void DoubleClick(QWidget* widget, const QPoint& point) {
    // As the window system sends it: a click, then the double click.
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, point);
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, point);
    QTest::mouseDClick(widget, Qt::LeftButton, Qt::NoModifier, point);
    Settle();
}

void ClickWindow(QWidget* window, const QPoint& point) {
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, point);
    Settle();
}

void Drag(QWidget* widget, const QPoint& from, const QPoint& to) {
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(widget, (from + to) / 2);
    QTest::mouseMove(widget, to);
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, to);
    Settle();
}

void RecordingDialog::CreateHidden(MWindow* owner, const QRect& rect) {
    Create(owner, QStringLiteral("TestWindow"), kStylePopup, 0, rect);
}

void RecordingDialog::InitUI(const QRect& rect) {
    calls.push_back("InitUI");
    if (build) {
        build(*this, rect);
    }
}

void RecordingDialog::UISize(const QRect&) {
    calls.push_back("UISize");
}

bool RecordingDialog::OnInitDialog() {
    calls.push_back("OnInitDialog");
    return true;
}

int RecordingDialog::OnMessage(int id, int code, int value) {
    events.push_back({id, code, value});
    return 1;
}

void RecordingDialog::OnTimer(int id) {
    timers.push_back(id);
    if (onTimer) {
        onTimer(id);
    }
}

int RecordingDialog::OnWindowMessage(int message, std::intptr_t, std::intptr_t lParam) {
    messages.emplace_back(message, lParam);
    return 1;
}

void GlintTest::SetUp() {
    App();
    Manager::SetSkinFolder({});
    m_window = new RecordingDialog;
    m_window->CreateHidden();
    m_window->ShowWindow(kShow);
    m_window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window));
    Settle();
}

void GlintTest::TearDown() {
    delete m_window;
    Settle();
}

}  // namespace zephyl::glint::test
