// SPDX-License-Identifier: GPL-2.0-or-later
#include "virtual/VirtualBus.h"

#include <cstdio>
#include <fstream>
#include <sstream>

// The state file holds the keyboards' memory, so that it persists between runs as a real
// keyboard's does:
//
//     {"version":1,
//      "keyboards":{"101":{<memory>}, ...},
//      "status":{"101":{"plugged":[0,2],"battery":100,"asleep":false,"release":262}},
//      "faults":{...},"reports":123}
//
// Only "keyboards" is read back; the rest shows how the scenario stands. The memory object is
// described in KeyboardMemory.h (MemoryToJson).

namespace zephyl::virtualhid {

JsonValue VirtualBus::StateLocked() const {
    JsonValue keyboards = JsonValue::MakeObject();
    JsonValue status = JsonValue::MakeObject();
    for (const auto& keyboard : m_keyboards) {
        const std::string key = std::to_string(keyboard->model.deviceType);
        keyboards.Set(key, MemoryToJson(keyboard->memory));
        JsonValue entry = JsonValue::MakeObject();
        JsonValue plugged = JsonValue::MakeArray();
        for (const int mode : keyboard->plugged) {
            plugged.Append(JsonValue(mode));
        }
        entry.Set("plugged", std::move(plugged));
        entry.Set("battery", JsonValue(keyboard->status.battery));
        entry.Set("asleep", JsonValue(keyboard->status.asleep));
        entry.Set("release", JsonValue(keyboard->status.release));
        status.Set(key, std::move(entry));
    }
    for (const auto& [name, memory] : m_otherModels.Members()) {
        keyboards.Set(name, memory);
    }
    JsonValue state = JsonValue::MakeObject();
    state.Set("version", JsonValue(1));
    state.Set("keyboards", std::move(keyboards));
    state.Set("status", std::move(status));
    state.Set("faults", m_faults.ToJson());
    state.Set("reports", JsonValue(m_reports));
    return state;
}

void VirtualBus::ReadStateFile() {
    m_otherModels = JsonValue::MakeObject();
    if (m_statePath.empty()) {
        return;
    }
    std::ifstream file(m_statePath, std::ios::binary);
    if (!file) {
        return;
    }
    std::ostringstream content;
    content << file.rdbuf();
    JsonValue state;
    std::string error;
    if (!ParseJson(content.str(), state, error)) {
        // A damaged file is a keyboard whose memory was wiped: start from factory content.
        std::fprintf(stderr, "virtual keyboard: state file %s ignored: %s\n", m_statePath.c_str(),
                     error.c_str());
        return;
    }
    for (const auto& [name, memory] : state["keyboards"].Members()) {
        if (memory.IsObject()) {
            m_otherModels.Set(name, memory);
        }
    }
}

void VirtualBus::WriteStateFile() {
    if (m_statePath.empty()) {
        return;
    }
    // Written beside and renamed, so a reader never sees half a file.
    const std::string temporary = m_statePath + ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file) {
            return;
        }
        file << WriteJson(StateLocked()) << '\n';
        if (!file) {
            return;
        }
    }
    std::rename(temporary.c_str(), m_statePath.c_str());
}

}  // namespace zephyl::virtualhid
