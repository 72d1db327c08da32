// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "appprofiles/FocusDecision.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace zephyl {

class KeyboardController;
class X11FocusSource;

/// Follows the focused program and makes the profile bound to it current, writing its key
/// tables (command 6); when focus leaves bound programs the user's own profile (the one marked
/// active in the store) comes back. Runs on a thread of its own that waits on the display
/// connection and a wake-up pipe, so stopping never waits for a timeout.
class AppProfileFollower {
public:
    /// A switch made: the profile now current and the bound name that matched (empty when the
    /// user's own profile came back). Called on the follower's thread.
    using SwitchShown = std::function<void(int profile, const std::string& program)>;

    AppProfileFollower(KeyboardController& controller, std::unique_ptr<X11FocusSource> source,
                       std::int64_t settleMs = FocusDebounce::kDefaultSettleMs);
    ~AppProfileFollower();
    AppProfileFollower(const AppProfileFollower&) = delete;
    AppProfileFollower& operator=(const AppProfileFollower&) = delete;

    /// Set before Start.
    void SetSwitchShown(SwitchShown shown) { m_shown = std::move(shown); }
    /// Starts following; the window focused now counts as the first change.
    void Start();
    /// Ends the thread; safe to call twice.
    void Stop();
    /// The bound profile in force, 0 while the user's own profile is.
    int Following() const { return m_following.load(); }

private:
    void Run();
    /// False when it must wait: a command is queued, and it could be one for the same tables.
    bool Apply(const FocusedProgram& program);

    std::weak_ptr<KeyboardController> m_controller;
    std::unique_ptr<X11FocusSource> m_source;
    FocusDebounce m_debounce;
    SwitchShown m_shown;
    std::atomic<int> m_following{0};
    std::atomic<bool> m_stop{false};
    int m_wake[2] = {-1, -1};
    std::thread m_thread;
};

}  // namespace zephyl
