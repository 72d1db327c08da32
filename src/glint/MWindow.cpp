// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/MWindow.h"

#include "glint/Manager.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace zephyl::glint {

MWindow::MWindow() : QWidget(nullptr) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
}

MWindow::~MWindow() {
    if (m_loop != nullptr) {
        m_loop->exit(kResultNone);
    }
}

bool MWindow::Create(MWindow* parent, const QString& name, unsigned style, unsigned exStyle,
                     const QRect& rect) {
    if (m_created) {
        return false;
    }
    m_parentWindow = parent;
    Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint;
    if ((exStyle & kExStyleToolWindow) != 0 && parent != nullptr) {
        flags |= Qt::Tool;
    }
    if ((exStyle & kExStyleTopmost) != 0) {
        flags |= Qt::WindowStaysOnTopHint;
    }
    setWindowFlags(flags);
    setObjectName(name);
    setWindowTitle(name);
    setGeometry(rect);
    winId();
    if (parent != nullptr && parent->windowHandle() != nullptr) {
        parent->winId();
        windowHandle()->setTransientParent(parent->windowHandle());
    }
    {
        std::lock_guard lock(m_mutex);
        m_ended = false;
        m_result = kResultNone;
    }
    m_created = true;
    OnCreated(QRect(QPoint(0, 0), rect.size()));
    if ((style & kStyleVisible) != 0) {
        ShowWindow(kShow);
    }
    return true;
}

void MWindow::CenterWindow() {
    RunOnWindowThread([this] {
        QRect area;
        if (m_parentWindow != nullptr && m_parentWindow->isVisible()) {
            area = m_parentWindow->frameGeometry();
        } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
            area = screen->availableGeometry();
        }
        if (area.isValid()) {
            QRect frame = frameGeometry();
            frame.moveCenter(area.center());
            move(frame.topLeft());
        }
    });
}

int MWindow::ShowModal() {
    {
        std::unique_lock lock(m_mutex);
        if (m_ended) {
            m_ended = false;
            const int result = m_result;
            lock.unlock();
            hide();
            return result;
        }
        m_visible = true;
    }
    if (m_parentWindow != nullptr) {
        if (isVisible()) {
            hide();
        }
        setWindowModality(Qt::WindowModal);
    }
    show();
    raise();
    activateWindow();

    QEventLoop loop;
    m_loop = &loop;
    bool endedMeanwhile = false;
    {
        std::lock_guard lock(m_mutex);
        endedMeanwhile = m_ended;
    }
    if (!endedMeanwhile) {
        loop.exec(QEventLoop::DialogExec);
    }
    m_loop = nullptr;
    hide();
    setWindowModality(Qt::NonModal);
    std::lock_guard lock(m_mutex);
    m_ended = false;
    m_visible = false;
    return m_result;
}

void MWindow::EndModal(int result) {
    {
        std::lock_guard lock(m_mutex);
        if (m_ended) {
            return;
        }
        m_ended = true;
        m_result = result;
        m_visible = false;
    }
    RunOnWindowThread([this] { FinishEnd(); });
}

void MWindow::FinishEnd() {
    if (m_loop != nullptr) {
        m_loop->exit();
    } else {
        // A modeless window just goes; the result waits for a ShowModal that may still come.
        hide();
    }
}

void MWindow::ShowWindow(int command) {
    {
        std::lock_guard lock(m_mutex);
        m_visible = command != kShowHide;
        if (m_visible) {
            // Showing again starts a new run; an earlier end no longer counts.
            m_ended = false;
        }
    }
    RunOnWindowThread([this, command] { ApplyShow(command); });
}

void MWindow::ApplyShow(int command) {
    switch (command) {
        case kShowHide:
            hide();
            break;
        case kShowMinimized:
        case kShowMinimize:
            showMinimized();
            break;
        case kShowMaximized:
            showMaximized();
            break;
        case kShowNormal:
        case kShowRestore:
            showNormal();
            raise();
            activateWindow();
            break;
        default:
            show();
            break;
    }
}

bool MWindow::IsWindowVisible() const {
    std::lock_guard lock(m_mutex);
    return m_visible;
}

void MWindow::EnableWindow(bool enable) {
    {
        std::lock_guard lock(m_mutex);
        m_enabled = enable;
    }
    RunOnWindowThread([this, enable] { setEnabled(enable); });
}

bool MWindow::IsWindowEnabled() const {
    std::lock_guard lock(m_mutex);
    return m_enabled;
}

void MWindow::SetWindowPos(int order, int x, int y, int cx, int cy, unsigned flags) {
    if ((flags & kPosShowWindow) != 0 || (flags & kPosHideWindow) != 0) {
        std::lock_guard lock(m_mutex);
        m_visible = (flags & kPosShowWindow) != 0;
    }
    RunOnWindowThread(
        [this, order, x, y, cx, cy, flags] { ApplyWindowPos(order, x, y, cx, cy, flags); });
}

void MWindow::ApplyWindowPos(int order, int x, int y, int cx, int cy, unsigned flags) {
    if ((flags & kPosNoZOrder) == 0 && (order == kOrderTopMost || order == kOrderNoTopMost)) {
        const bool topMost = order == kOrderTopMost;
        if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) != topMost) {
            const bool wasVisible = isVisible();
            setWindowFlag(Qt::WindowStaysOnTopHint, topMost);
            if (wasVisible) {
                show();
            }
        }
    }
    if ((flags & kPosNoMove) == 0) {
        move(x, y);
    }
    if ((flags & kPosNoSize) == 0) {
        resize(cx, cy);
    }
    if ((flags & kPosShowWindow) != 0) {
        show();
        if ((flags & kPosNoActivate) == 0) {
            raise();
        }
    } else if ((flags & kPosHideWindow) != 0) {
        hide();
    } else if ((flags & kPosNoZOrder) == 0 && order == kOrderTop) {
        raise();
    }
}

void MWindow::DestroyWindow() {
    EndModal(kResultNone);
    RunOnWindowThread([this] {
        for (const auto& [id, qtId] : m_timerIds) {
            killTimer(qtId);
        }
        m_timerIds.clear();
        hide();
    });
    std::lock_guard lock(m_mutex);
    m_requestedTimers.clear();
}

void MWindow::SetIcon(const QIcon& icon) {
    setWindowIcon(icon);
}

void MWindow::SetIcon(const QString& file) {
    setWindowIcon(MRender::LoadIconFromFile(Manager::SkinFile(file)));
}

void MWindow::SetTimer(int id, int period) {
    {
        std::lock_guard lock(m_mutex);
        m_requestedTimers[id] = period;
    }
    RunOnWindowThread([this, id, period] { ApplyTimer(id, period); });
}

void MWindow::KillTimer(int id) {
    {
        std::lock_guard lock(m_mutex);
        m_requestedTimers.erase(id);
    }
    RunOnWindowThread([this, id] { ApplyTimer(id, 0); });
}

bool MWindow::HasTimer(int id) const {
    std::lock_guard lock(m_mutex);
    return m_requestedTimers.count(id) != 0;
}

void MWindow::ApplyTimer(int id, int period) {
    const auto found = m_timerIds.find(id);
    if (found != m_timerIds.end()) {
        killTimer(found->second);
        m_timerIds.erase(found);
    }
    if (period > 0) {
        m_timerIds[id] = startTimer(period);
    }
}

void MWindow::timerEvent(QTimerEvent* event) {
    for (const auto& [id, qtId] : m_timerIds) {
        if (qtId == event->timerId()) {
            OnTimer(id);
            return;
        }
    }
    QWidget::timerEvent(event);
}

void MWindow::PostWindowMessage(int message, std::intptr_t wParam, std::intptr_t lParam) {
    if (OnWindowThread()) {
        // Posting keeps its meaning on the window thread too: the message comes later.
        QTimer::singleShot(
            0, this, [this, message, wParam, lParam] { OnWindowMessage(message, wParam, lParam); });
        return;
    }
    RunOnWindowThread(
        [this, message, wParam, lParam] { OnWindowMessage(message, wParam, lParam); });
}

int MWindow::SendWindowMessage(int message, std::intptr_t wParam, std::intptr_t lParam) {
    return OnWindowMessage(message, wParam, lParam);
}

void MWindow::RunOnWindowThread(std::function<void()> operation) {
    if (OnWindowThread()) {
        operation();
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_operations.push_back(std::move(operation));
    }
    RequestSync();
}

void MWindow::SyncToView() {
    std::vector<std::function<void()>> operations;
    {
        std::lock_guard lock(m_mutex);
        operations.swap(m_operations);
    }
    for (auto& operation : operations) {
        operation();
    }
}

void MWindow::OnLButtonDown(unsigned, const QPoint& point) {
    BeginWindowDrag(mapToGlobal(point));
}

void MWindow::OnMinimize() {
    showMinimized();
}

void MWindow::OnCloseRequest() {
    EndModal(kResultCancel);
}

void MWindow::BeginWindowDrag(const QPoint& globalPos) {
    if (windowHandle() != nullptr && windowHandle()->startSystemMove()) {
        return;
    }
    m_dragging = true;
    m_dragOffset = globalPos - frameGeometry().topLeft();
}

void MWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        OnLButtonDown(unsigned(event->modifiers()), event->position().toPoint());
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void MWindow::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && (event->buttons() & Qt::LeftButton) != 0) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void MWindow::mouseReleaseEvent(QMouseEvent* event) {
    m_dragging = false;
    QWidget::mouseReleaseEvent(event);
}

void MWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    OnCloseRequest();
}

void MWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_created) {
        OnSized(rect());
    }
}

}  // namespace zephyl::glint
