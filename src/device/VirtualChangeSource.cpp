// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/VirtualChangeSource.h"

#include "device/HidLibrary.h"

#include <chrono>

namespace zephyl {

std::unique_ptr<DeviceChangeSource> VirtualChangeSource::ForLibrary(const HidLibrary& library) {
    if (library.LibraryKind() != HidLibrary::Kind::kVirtual) {
        return nullptr;
    }
    auto wait = reinterpret_cast<WaitChange>(library.Symbol("zephyl_virtual_wait_change"));
    auto interrupt =
        reinterpret_cast<InterruptWaits>(library.Symbol("zephyl_virtual_interrupt_change_waits"));
    if (wait && interrupt) {
        return std::make_unique<VirtualChangeSource>(wait, interrupt);
    }
    auto next = reinterpret_cast<NextChange>(library.Symbol("zephyl_virtual_next_change"));
    if (!next) {
        return nullptr;
    }
    return std::make_unique<VirtualChangeSource>(next);
}

VirtualChangeSource::VirtualChangeSource(NextChange nextChange, int pollMs)
    : m_nextChange(nextChange), m_pollMs(pollMs) {}

VirtualChangeSource::VirtualChangeSource(WaitChange waitChange, InterruptWaits interrupt)
    : m_waitChange(waitChange), m_interrupt(interrupt) {}

VirtualChangeSource::~VirtualChangeSource() {
    Stop();
}

bool VirtualChangeSource::Start(DeviceChangeSubscriber* subscriber) {
    if (m_thread.joinable() || !subscriber || (!m_nextChange && !m_waitChange)) {
        return false;
    }
    m_subscriber = subscriber;
    m_stopping = false;
    m_finished = false;
    m_thread = std::thread([this] { Run(); });
    return true;
}

void VirtualChangeSource::Stop() {
    if (!m_thread.joinable()) {
        return;
    }
    {
        std::unique_lock lock(m_mutex);
        m_stopping = true;
        m_wake.notify_all();
        // An interrupt that reaches the library just before the listener starts its next wait
        // would not end that wait: interrupt until the listener has gone.
        while (m_interrupt && !m_finished) {
            lock.unlock();
            m_interrupt();
            lock.lock();
            m_wake.wait_for(lock, std::chrono::milliseconds(5), [this] { return m_finished; });
        }
    }
    m_thread.join();
    m_subscriber = nullptr;
}

void VirtualChangeSource::Run() {
    if (m_waitChange) {
        RunBlocking();
    } else {
        RunPolling();
    }
}

bool VirtualChangeSource::Stopping() {
    std::lock_guard lock(m_mutex);
    return m_stopping;
}

void VirtualChangeSource::RunBlocking() {
    // The wait ends with a change or when Stop interrupts it; the bound only keeps a lost
    // interrupt from holding the listener for long.
    constexpr int kLongestWaitMs = 1000;
    while (!Stopping()) {
        char path[1024];
        int arrived = 0;
        if (m_waitChange(path, sizeof path, &arrived, kLongestWaitMs) == 1) {
            path[sizeof path - 1] = '\0';
            m_subscriber->OnDeviceChange(DeviceChange{path, arrived != 0});
        }
    }
    std::lock_guard lock(m_mutex);
    m_finished = true;
    m_wake.notify_all();
}

void VirtualChangeSource::RunPolling() {
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        lock.unlock();
        char path[1024];
        int arrived = 0;
        while (m_nextChange(path, sizeof path, &arrived) == 1) {
            path[sizeof path - 1] = '\0';
            m_subscriber->OnDeviceChange(DeviceChange{path, arrived != 0});
        }
        lock.lock();
        m_wake.wait_for(lock, std::chrono::milliseconds(m_pollMs), [this] { return m_stopping; });
    }
}

}  // namespace zephyl
