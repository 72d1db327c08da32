// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/ViewSync.h"

#include <QCoreApplication>

#include <algorithm>

namespace zephyl::glint {

ViewSync& ViewSync::Instance() {
    static ViewSync* instance = new ViewSync();
    return *instance;
}

ViewSync::ViewSync() : m_windowThread(std::this_thread::get_id()) {
    if (QCoreApplication::instance() != nullptr) {
        moveToThread(QCoreApplication::instance()->thread());
    }
}

void ViewSync::Request(SyncTarget* target) {
    if (OnWindowThread()) {
        target->SyncToView();
        return;
    }
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        if (std::find(m_pending.begin(), m_pending.end(), target) == m_pending.end()) {
            m_pending.push_back(target);
        }
        if (!m_wakePosted) {
            m_wakePosted = true;
            wake = true;
        }
    }
    if (wake) {
        // Carries no data: the window thread finds the work under m_mutex.
        QMetaObject::invokeMethod(this, "Flush", Qt::QueuedConnection);
    }
}

void ViewSync::Remove(SyncTarget* target) {
    std::lock_guard lock(m_mutex);
    m_pending.erase(std::remove(m_pending.begin(), m_pending.end(), target), m_pending.end());
}

void ViewSync::Flush() {
    {
        std::lock_guard lock(m_mutex);
        m_wakePosted = false;
    }
    // One at a time, so a target destroyed by an earlier update is never touched.
    for (;;) {
        SyncTarget* target = nullptr;
        {
            std::lock_guard lock(m_mutex);
            if (m_pending.empty()) {
                return;
            }
            target = m_pending.front();
            m_pending.pop_front();
        }
        target->SyncToView();
    }
}

SyncTarget::SyncTarget() {
    ViewSync::Instance();
}

SyncTarget::~SyncTarget() {
    ViewSync::Instance().Remove(this);
}

}  // namespace zephyl::glint
