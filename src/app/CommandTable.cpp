// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/CommandTable.h"

namespace zephyl {

void CommandTable::Add(CommandRow row) {
    std::lock_guard lock(m_mutex);
    const int id = row.id;
    m_rows[id] = std::move(row);
}

std::optional<CommandRow> CommandTable::Find(int id) const {
    std::lock_guard lock(m_mutex);
    const auto found = m_rows.find(id);
    if (found == m_rows.end()) {
        return std::nullopt;
    }
    return found->second;
}

bool CommandTable::SetHandler(int id, CommandRow::Handler handler) {
    std::lock_guard lock(m_mutex);
    const auto found = m_rows.find(id);
    if (found == m_rows.end()) {
        return false;
    }
    found->second.handler = std::move(handler);
    return true;
}

}  // namespace zephyl
