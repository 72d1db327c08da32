// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/CThreadBasic.h"

#include <condition_variable>
#include <mutex>
#include <pthread.h>
#include <string>

namespace zephyl {

struct CThreadBasic::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    bool running = true;
    bool stopped = false;  ///< the stop event: set by the thread when it ends
};

CThreadBasic::~CThreadBasic() {
    StopThread();
}

bool CThreadBasic::StartThread(int periodMs, bool periodic, WorkFunction work, const char* name) {
    if (IsRunning()) {
        return false;
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
    m_period = periodMs;
    m_shared = std::make_shared<Shared>();
    m_thread = std::thread([shared = m_shared, periodMs, periodic, work = std::move(work),
                            name = std::string(name ? name : "")] {
        using Clock = std::chrono::steady_clock;
        if (!name.empty()) {
            pthread_setname_np(pthread_self(), name.substr(0, 15).c_str());
        }
        if (!periodic) {
            work();
        } else {
            std::unique_lock lock(shared->mutex);
            while (shared->running) {
                lock.unlock();
                const auto start = Clock::now();
                work();
                lock.lock();
                // Sleep to the period, waking at once when asked to stop.
                shared->changed.wait_until(lock, start + std::chrono::milliseconds(periodMs),
                                           [&shared] { return !shared->running; });
            }
        }
        std::lock_guard lock(shared->mutex);
        shared->stopped = true;
        shared->changed.notify_all();
    });
    return true;
}

bool CThreadBasic::StopThread(std::chrono::milliseconds wait) {
    if (!m_shared) {
        return true;
    }
    bool stoppedInTime = false;
    {
        std::unique_lock lock(m_shared->mutex);
        m_shared->running = false;
        m_shared->changed.notify_all();
        stoppedInTime =
            m_shared->changed.wait_for(lock, wait, [this] { return m_shared->stopped; });
    }
    if (m_thread.joinable()) {
        if (stoppedInTime) {
            m_thread.join();
        } else {
            m_thread.detach();
        }
    }
    m_shared.reset();
    return stoppedInTime;
}

bool CThreadBasic::IsRunning() const {
    if (!m_shared) {
        return false;
    }
    std::lock_guard lock(m_shared->mutex);
    return m_shared->running && !m_shared->stopped;
}

}  // namespace zephyl
