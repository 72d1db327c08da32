// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QObject>

#include <deque>
#include <mutex>
#include <thread>

namespace zephyl::glint {

class SyncTarget;

/// Carries model changes made on any thread to the window thread. A change only marks its
/// target; the window thread then brings the target's widgets up to date from the target's
/// model. The worker never waits here: it takes a short lock and posts one wake-up at most.
class ViewSync : public QObject {
    Q_OBJECT
public:
    /// The one instance; first called on the window thread (controls are built there).
    static ViewSync& Instance();

    bool OnWindowThread() const { return std::this_thread::get_id() == m_windowThread; }

    /// Brings `target` up to date: at once on the window thread, else at the next turn of the
    /// window thread's event loop.
    void Request(SyncTarget* target);

    /// Forgets a target that is going away; called on the window thread.
    void Remove(SyncTarget* target);

    /// Runs every pending update now; the window thread only (tests and modal loops).
    Q_INVOKABLE void Flush();

private:
    ViewSync();

    std::thread::id m_windowThread;
    std::mutex m_mutex;
    std::deque<SyncTarget*> m_pending;
    bool m_wakePosted = false;
};

/// Something whose widgets follow a model that other threads may change.
class SyncTarget {
public:
    SyncTarget();
    virtual ~SyncTarget();
    SyncTarget(const SyncTarget&) = delete;
    SyncTarget& operator=(const SyncTarget&) = delete;

protected:
    /// Asks for SyncToView on the window thread; callable from any thread.
    void RequestSync() { ViewSync::Instance().Request(this); }
    static bool OnWindowThread() { return ViewSync::Instance().OnWindowThread(); }

    /// Window thread: read the model and update the widgets.
    virtual void SyncToView() = 0;

private:
    friend class ViewSync;
};

}  // namespace zephyl::glint
