// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

#include <vector>

class QMenu;
class QPoint;
class QWidget;

namespace zephyl::glint {

/// A context menu of commands. Built and run on the window thread.
class MenuWnd {
public:
    MenuWnd();
    ~MenuWnd();
    MenuWnd(const MenuWnd&) = delete;
    MenuWnd& operator=(const MenuWnd&) = delete;

    /// Appends an item that returns `command` when chosen.
    void AddMenuItem(int command, const QString& text, bool enabled = true);
    void AddSeparator();
    int GetItemCount() const;

    /// Shows the menu at `globalPos` and waits for the choice: the chosen command, 0 when the
    /// menu was dismissed.
    int TrackPopupMenu(const QPoint& globalPos, QWidget* owner = nullptr);
    /// The menu while it is open (for tests and accessibility); null otherwise.
    QMenu* GetMenu() const { return m_open; }

private:
    struct Entry {
        int command = 0;
        QString text;
        bool enabled = true;
        bool separator = false;
    };
    std::vector<Entry> m_entries;
    QMenu* m_open = nullptr;
};

}  // namespace zephyl::glint
