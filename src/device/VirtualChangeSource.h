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
    using WaitChange = int (*)(char* path, size_t pathSize, int* arrived, int timeoutMs);
    using InterruptWaits = void (*)();

    /// The source for a loaded virtual keyboard library; null for any other library.
    static std::unique_ptr<DeviceChangeSource> ForLibrary(const HidLibrary& library);

    /// Polls `nextChange` every `pollMs`: for a library that cannot wait on its queue.
    explicit VirtualChangeSource(NextChange nextChange, int pollMs = 20);
    /// Blocks on the library's queue, woken by each change and by `interrupt` when stopping.
    VirtualChangeSource(WaitChange waitChange, InterruptWaits interrupt);
    ~VirtualChangeSource() override;

    bool Start(DeviceChangeSubscriber* subscriber) override;
    void Stop() override;

private:
    void Run();

    void RunPolling();
    bool Stopping();
    void RunBlocking();

    NextChange m_nextChange = nullptr;
    WaitChange m_waitChange = nullptr;
    InterruptWaits m_interrupt = nullptr;
    int m_pollMs = 20;
    DeviceChangeSubscriber* m_subscriber = nullptr;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    bool m_finished = false;  ///< the blocking listener has left its loop
};

}  // namespace zephyl
