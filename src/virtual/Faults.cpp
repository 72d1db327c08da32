// SPDX-License-Identifier: GPL-2.0-or-later
#include "virtual/Faults.h"

#include <algorithm>

namespace zephyl::virtualhid {

namespace {

// A slow answer longer than this would only hang the caller; it is not a useful fault.
constexpr int kMaxSlowMilliseconds = 10000;

}  // namespace

bool FaultState::Set(std::string_view name, int value) {
    if (value < 0) {
        return false;
    }
    if (name == "busy") {
        m_busy = value;
    } else if (name == "wrong_status") {
        m_wrongStatus = value;
    } else if (name == "lost_answer") {
        m_lostAnswer = value;
    } else if (name == "no_echo") {
        m_noEcho = value;
    } else if (name == "unplug_after") {
        m_unplugAfter = value;
    } else if (name == "unplug_in_block") {
        m_unplugInBlock = value;
    } else if (name == "slow") {
        m_slow = std::min(value, kMaxSlowMilliseconds);
    } else {
        return false;
    }
    return true;
}

JsonValue FaultState::ToJson() const {
    JsonValue json = JsonValue::MakeObject();
    json.Set("busy", JsonValue(m_busy));
    json.Set("wrong_status", JsonValue(m_wrongStatus));
    json.Set("lost_answer", JsonValue(m_lostAnswer));
    json.Set("no_echo", JsonValue(m_noEcho));
    json.Set("unplug_after", JsonValue(m_unplugAfter));
    json.Set("unplug_in_block", JsonValue(m_unplugInBlock));
    json.Set("slow", JsonValue(m_slow));
    return json;
}

}  // namespace zephyl::virtualhid
