// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "appprofiles/AppBindings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zephyl {

/// What names the program owning the focused window; all empty when no window has the focus.
struct FocusedProgram {
    std::string instance;     ///< WM_CLASS, first part
    std::string windowClass;  ///< WM_CLASS, second part
    std::string process;      ///< /proc/PID/comm of _NET_WM_PID
    bool operator==(const FocusedProgram&) const = default;
    /// The name shown for it: the process name, else the window class.
    std::string Shown() const;
};

/// The profile `program` is bound to, 0 when none; `matched` gets the bound name that matched.
/// A name matches the process name or either part of WM_CLASS.
int BoundProfile(const std::vector<ProfileBinding>& bindings, const FocusedProgram& program,
                 std::string* matched = nullptr);

/// Lets a burst of focus changes (Alt+Tab through several windows) settle: only the program
/// focused last counts, once no change came for the settle time.
class FocusDebounce {
public:
    static constexpr std::int64_t kDefaultSettleMs = 300;
    explicit FocusDebounce(std::int64_t settleMs = kDefaultSettleMs) : m_settleMs(settleMs) {}

    void Focus(const FocusedProgram& program, std::int64_t nowMs);
    /// The program the burst settled on, handed out once; nothing while the burst goes on.
    std::optional<FocusedProgram> Settled(std::int64_t nowMs);
    /// How long until a pending focus settles; −1 when none is pending.
    std::int64_t WaitMs(std::int64_t nowMs) const;

private:
    std::int64_t m_settleMs;
    std::optional<FocusedProgram> m_pending;
    std::int64_t m_changedAt = 0;
};

/// The result of a settled focus.
struct SwitchDecision {
    int makeCurrent = 0;  ///< the profile to make current and write; 0: nothing to do
    int following = 0;    ///< the bound profile now followed; 0 when the user's own is in force
};

/// What a settled focus on a program bound to `bound` (0: none) does. `following` is the bound
/// profile in force before; the user's own choice `userProfile` comes back only when focus
/// leaves a bound program, so with nothing bound the current profile is never touched.
SwitchDecision DecideSwitch(int bound, int following, int userProfile, int currentProfile);

}  // namespace zephyl
