// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/CustomLightMode.h"

#include <algorithm>
#include <utility>

namespace zephyl::glint {

CustomLightMode::CustomLightMode(MDialog* owner, int id, QWidget* parent)
    : KeyboardCtrl(owner, id, parent) {
    SetKeyboardCtrlMode(kKeyboardModeColour);
}

std::uint32_t CustomLightMode::ShownColour(const LightKeyRecord& record) {
    if (!record.lit) {
        return 0;
    }
    const int level = std::clamp(record.level, 0, 255);
    std::uint32_t shown = 0;
    for (int shift : {0, 8, 16}) {
        const std::uint32_t channel = (record.colour >> shift) & 0xFF;
        shown |= (channel * static_cast<std::uint32_t>(level) / 256) << shift;
    }
    return shown;
}

void CustomLightMode::SetKeyRecords(std::span<const LightKeyRecord> records) {
    bool running = false;
    {
        std::lock_guard lock(m_mutex);
        m_records.assign(records.begin(), records.end());
        running = m_running;
    }
    if (!running) {
        return;
    }
    std::vector<std::pair<int, std::uint32_t>> colours;
    colours.reserve(records.size());
    for (const LightKeyRecord& record : records) {
        colours.emplace_back(record.code, ShownColour(record));
    }
    SetKeyColors(colours);
}

std::vector<LightKeyRecord> CustomLightMode::GetKeyRecords() const {
    std::lock_guard lock(m_mutex);
    return m_records;
}

void CustomLightMode::SetAnimateRun(int run) {
    std::vector<LightKeyRecord> records;
    {
        std::lock_guard lock(m_mutex);
        m_running = run != 0;
        if (!m_running) {
            return;
        }
        records = m_records;
    }
    // Whatever came while stopped shows now.
    SetKeyRecords(records);
}

int CustomLightMode::GetAnimateRun() const {
    std::lock_guard lock(m_mutex);
    return m_running ? 1 : 0;
}

void CustomLightMode::SetKeyMap(const std::array<std::uint8_t, kMatrixSize>& workMap, int rows,
                                int columns) {
    std::lock_guard lock(m_mutex);
    m_workMap = workMap;
    m_rows = rows;
    m_columns = columns;
}

std::array<std::uint8_t, kMatrixSize> CustomLightMode::GetKeyMap() const {
    std::lock_guard lock(m_mutex);
    return m_workMap;
}

}  // namespace zephyl::glint
