// SPDX-License-Identifier: GPL-2.0-or-later
#include "appprofiles/FocusDecision.h"

namespace zephyl {

std::string FocusedProgram::Shown() const {
    return process.empty() ? windowClass : process;
}

int BoundProfile(const std::vector<ProfileBinding>& bindings, const FocusedProgram& program,
                 std::string* matched) {
    for (const ProfileBinding& binding : bindings) {
        for (const std::string& name : binding.programs) {
            for (const std::string* candidate :
                 {&program.process, &program.windowClass, &program.instance}) {
                if (!candidate->empty() && SameProgram(name, *candidate)) {
                    if (matched) {
                        *matched = name;
                    }
                    return binding.profile;
                }
            }
        }
    }
    return 0;
}

void FocusDebounce::Focus(const FocusedProgram& program, std::int64_t nowMs) {
    m_pending = program;
    m_changedAt = nowMs;
}

std::optional<FocusedProgram> FocusDebounce::Settled(std::int64_t nowMs) {
    if (!m_pending || nowMs - m_changedAt < m_settleMs) {
        return std::nullopt;
    }
    std::optional<FocusedProgram> settled = std::move(m_pending);
    m_pending.reset();
    return settled;
}

std::int64_t FocusDebounce::WaitMs(std::int64_t nowMs) const {
    if (!m_pending) {
        return -1;
    }
    const std::int64_t left = m_settleMs - (nowMs - m_changedAt);
    return left > 0 ? left : 0;
}

SwitchDecision DecideSwitch(int bound, int following, int userProfile, int currentProfile) {
    int target = 0;
    if (bound != 0) {
        target = bound;
    } else if (following != 0) {
        target = userProfile;
    }
    SwitchDecision decision;
    decision.following = bound;
    if (target != 0 && target != currentProfile) {
        decision.makeCurrent = target;
    }
    return decision;
}

}  // namespace zephyl
