// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace zephyl {

/// A periodic thread: calls its work function every period (measured from start to start), or
/// once. Stopping waits a bounded time; a thread still inside its work then is let go, and its
/// work function keeps alive whatever it captured until it returns, so the work never runs on
/// a destroyed object.
class CThreadBasic {
public:
    using WorkFunction = std::function<void()>;

    CThreadBasic() = default;
    ~CThreadBasic();
    CThreadBasic(const CThreadBasic&) = delete;
    CThreadBasic& operator=(const CThreadBasic&) = delete;

    /// Starts the thread unless it runs already; false when it was running. `name` (at most 15
    /// characters) is what tools such as top and the bench report show for the thread.
    bool StartThread(int periodMs, bool periodic, WorkFunction work, const char* name = nullptr);

    /// Asks the thread to end and waits at most `wait` for it. True when it ended in time.
    bool StopThread(std::chrono::milliseconds wait = std::chrono::milliseconds(1000));

    bool IsRunning() const;
    int Period() const { return m_period; }

private:
    struct Shared;

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
    int m_period = 0;
};

}  // namespace zephyl
