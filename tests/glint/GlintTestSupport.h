// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/Glint.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <functional>
#include <vector>

namespace zephyl::glint::test {

/// The one application object of the test program, made on first use.
QApplication& App();

/// Runs pending events and model updates until nothing is left.
void Settle();

/// Presses and releases a mouse button at `point` of `widget`.
void Click(QWidget* widget, const QPoint& point, Qt::MouseButton button = Qt::LeftButton);
void DoubleClick(QWidget* widget, const QPoint& point);
/// Clicks the window at `point` through the window system, so the control under the mouse
/// (or the window) gets it.
void ClickWindow(QWidget* window, const QPoint& point);
void Drag(QWidget* widget, const QPoint& from, const QPoint& to);

struct Event {
    int id = 0;
    int code = 0;
    int value = 0;
    bool operator==(const Event&) const = default;
};

/// A window that records what reaches it.
class RecordingDialog : public MDialog {
public:
    std::vector<Event> events;
    std::vector<int> timers;
    std::vector<std::pair<int, std::intptr_t>> messages;
    std::vector<std::string> calls;
    std::function<void(RecordingDialog&, const QRect&)> build;
    std::function<void(int)> onTimer;

    using MDialog::EndModal;
    using MDialog::RunOnWindowThread;

    /// Creates it hidden at 640 x 480 with `owner`.
    void CreateHidden(MWindow* owner = nullptr, const QRect& rect = QRect(100, 100, 640, 480));

protected:
    void InitUI(const QRect& rect) override;
    void UISize(const QRect& rect) override;
    bool OnInitDialog() override;
    int OnMessage(int id, int code, int value) override;
    void OnTimer(int id) override;
    int OnWindowMessage(int message, std::intptr_t wParam, std::intptr_t lParam) override;
};

/// A fixture with the application made and a fresh window.
class GlintTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    RecordingDialog* m_window = nullptr;
};

}  // namespace zephyl::glint::test
