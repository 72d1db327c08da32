// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/VirtualChangeSource.h"

#include "device/HidLibrary.h"

#include <chrono>

namespace zephyl {

std::unique_ptr<DeviceChangeSource> VirtualChangeSource::ForLibrary(const HidLibrary& library) {
    if (library.LibraryKind() != HidLibrary::Kind::kVirtual) {
        return nullptr;
    }
    auto next = reinterpret_cast<NextChange>(library.Symbol("zephyl_virtual_next_change"));
    if (!next) {
        return nullptr;
    }
    return std::make_unique<VirtualChangeSource>(next);
}

VirtualChangeSource::VirtualChangeSource(NextChange nextChange, int pollMs)
    : m_nextChange(nextChange), m_pollMs(pollMs) {}

VirtualChangeSource::~VirtualChangeSource() {
    Stop();
}

bool VirtualChangeSource::Start(DeviceChangeSubscriber* subscriber) {
    if (m_thread.joinable() || !subscriber || !m_nextChange) {
        return false;
    }
    m_subscriber = subscriber;
    m_stopping = false;
    m_thread = std::thread([this] { Run(); });
    return true;
}

void VirtualChangeSource::Stop() {
    if (!m_thread.joinable()) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
    m_subscriber = nullptr;
}

void VirtualChangeSource::Run() {
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
