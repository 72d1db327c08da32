// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/Types.h"
#include "glint/ViewSync.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

class QEventLoop;

namespace zephyl::glint {

/// A borderless top-level window. The operations marked "any thread" only record the request
/// and return; the window thread carries it out. Nothing here waits for the window thread.
class MWindow : public QWidget, protected SyncTarget {
public:
    MWindow();
    ~MWindow() override;

    /// Makes the window: `parent` is the owner (it stays behind the window and is blocked
    /// while the window runs modally), `rect` the window rectangle on the screen. Builds the
    /// window's contents (OnCreated) and shows it when `style` has kStyleVisible.
    bool Create(MWindow* parent, const QString& name, unsigned style, unsigned exStyle,
                const QRect& rect);
    bool IsCreated() const { return m_created; }
    MWindow* GetParentWindow() const { return m_parentWindow; }

    /// Centres the window over its owner, or on the screen when it has none.
    void CenterWindow();
    /// Shows the window and runs until EndModal: 1 after DoOK, 2 after DoCancel, 0 when the
    /// window was destroyed. A window ended before ShowModal returns at once.
    int ShowModal();
    bool IsModalRunning() const { return m_loop != nullptr; }

    /// kShowHide, kShowNormal, kShow, kShowMinimize, ...; any thread.
    void ShowWindow(int command);
    /// The visibility last asked for.
    bool IsWindowVisible() const;
    /// Any thread.
    void EnableWindow(bool enable);
    bool IsWindowEnabled() const;
    /// Position, size, z-order (kOrderTopMost, ...) and kPos* flags; any thread.
    void SetWindowPos(int order, int x, int y, int cx, int cy, unsigned flags);
    /// Ends a modal run with 0 and hides the window; the controls stay until the object goes.
    void DestroyWindow();
    QWidget* GetSafeHwnd() { return this; }
    void SetIcon(const QIcon& icon);
    void SetIcon(const QString& file);

    /// Starts (or restarts) timer `id`; OnTimer(id) follows every `period` ms; any thread.
    void SetTimer(int id, int period);
    /// Any thread.
    void KillTimer(int id);
    bool HasTimer(int id) const;

    /// Queues a message for OnWindowMessage on the window thread; any thread.
    void PostWindowMessage(int message, std::intptr_t wParam = 0, std::intptr_t lParam = 0);
    /// Hands a message to OnWindowMessage now; window thread only.
    int SendWindowMessage(int message, std::intptr_t wParam = 0, std::intptr_t lParam = 0);

protected:
    /// Window thread, once, inside Create: build the contents for the client rectangle.
    virtual void OnCreated(const QRect&) {}
    /// Window thread: the client rectangle changed.
    virtual void OnSized(const QRect&) {}
    virtual void OnTimer(int) {}
    /// Returns non-zero when the message was handled.
    virtual int OnWindowMessage(int, std::intptr_t, std::intptr_t) { return 0; }
    /// Left button pressed on the window's background; the default drags the window.
    virtual void OnLButtonDown(unsigned flags, const QPoint& point);
    virtual void OnMinimize();
    /// The desktop asked to close the window (Alt+F4); the default ends it with 2.
    virtual void OnCloseRequest();

    /// Ends the window with `result`: the modal run returns it, a modeless window hides. Any
    /// thread; the first end counts until ShowModal has returned it.
    void EndModal(int result);
    /// Moves the window with the mouse from a press at `globalPos`.
    void BeginWindowDrag(const QPoint& globalPos);
    /// Runs `operation` on the window thread: now when called there, else soon.
    void RunOnWindowThread(std::function<void()> operation);

    void SyncToView() override;
    void timerEvent(QTimerEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ApplyShow(int command);
    void ApplyWindowPos(int order, int x, int y, int cx, int cy, unsigned flags);
    void ApplyTimer(int id, int period);
    void FinishEnd();

    mutable std::mutex m_mutex;
    std::vector<std::function<void()>> m_operations;
    bool m_ended = false;
    int m_result = kResultNone;
    bool m_visible = false;
    bool m_enabled = true;
    std::map<int, int> m_requestedTimers;  // id -> period, as asked for

    // Window thread only.
    MWindow* m_parentWindow = nullptr;
    bool m_created = false;
    QEventLoop* m_loop = nullptr;
    std::map<int, int> m_timerIds;  // id -> Qt timer id
    bool m_dragging = false;
    QPoint m_dragOffset;
};

}  // namespace zephyl::glint
