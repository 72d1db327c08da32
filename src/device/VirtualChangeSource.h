// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "device/DeviceChange.h"

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <thread>

namespace zephyl {

class HidLibrary;

/// Plug notifications of the virtual keyboard, taken from its queue of changes.
class VirtualChangeSource final : public DeviceChangeSource {
public:
    using NextChange = int (*)(char* path, size_t pathSize, int* arrived);

    /// The source for a loaded virtual keyboard library; null for any other library.
    static std::unique_ptr<DeviceChangeSource> ForLibrary(const HidLibrary& library);

    explicit VirtualChangeSource(NextChange nextChange, int pollMs = 20);
    ~VirtualChangeSource() override;

    bool Start(DeviceChangeSubscriber* subscriber) override;
    void Stop() override;

private:
    void Run();

    NextChange m_nextChange;
    int m_pollMs;
    DeviceChangeSubscriber* m_subscriber = nullptr;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
};

}  // namespace zephyl
