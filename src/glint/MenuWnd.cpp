// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/MenuWnd.h"

#include "glint/Look.h"

#include <QMenu>

namespace zephyl::glint {

MenuWnd::MenuWnd() = default;

MenuWnd::~MenuWnd() = default;

void MenuWnd::AddMenuItem(int command, const QString& text, bool enabled) {
    m_entries.push_back({command, text, enabled, false});
}

void MenuWnd::AddSeparator() {
    m_entries.push_back({0, {}, true, true});
}

int MenuWnd::GetItemCount() const {
    int count = 0;
    for (const Entry& entry : m_entries) {
        count += entry.separator ? 0 : 1;
    }
    return count;
}

int MenuWnd::TrackPopupMenu(const QPoint& globalPos, QWidget* owner) {
    QMenu menu(owner);
    look::StyleMenu(menu);
    for (const Entry& entry : m_entries) {
        if (entry.separator) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(entry.text);
        action->setData(entry.command);
        action->setEnabled(entry.enabled);
    }
    m_open = &menu;
    QAction* chosen = menu.exec(globalPos);
    m_open = nullptr;
    return chosen != nullptr ? chosen->data().toInt() : 0;
}

}  // namespace zephyl::glint
