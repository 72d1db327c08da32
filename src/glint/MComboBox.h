// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControlFont.h"

#include <functional>
#include <vector>

namespace zephyl::glint {

class ComboPopup;

/// A drop-down list of texts, each with an item value, over a four-state frame image. Choosing
/// an item from the opened list selects it and reports event 2 with its index.
class MComboBox : public MControlFont {
public:
    static constexpr const char* kClassName = "MComboBox";
    MComboBox(MDialog* owner, int id, QWidget* parent);
    ~MComboBox() override;
    const char* ClassName() const override { return kClassName; }

    /// Appends an item; returns its index.
    int AddItem(const QString& text, int data);
    void DelAllItems();
    int GetItemCount() const;
    /// Selects the item; an index out of range selects nothing.
    void SetCurSel(int index);
    /// -1 when nothing is selected.
    int GetCurSel() const;
    /// 0 for an index out of range.
    int GetItemData(int index) const;
    QString GetItemText(int index) const;
    bool SetItemText(int index, const QString& text);
    /// The selected item's value; -1 when nothing is selected.
    int GetCurData() const;
    /// Selects the first item with this value; without one the selection stays.
    bool SelectData(int data);

    /// Opens and closes the list; window thread.
    void ShowDropDown();
    void HideDropDown();
    /// The open list, null when closed; window thread.
    QWidget* GetDropDown() const;
    /// Runs on the window thread each time the list is about to open, before it shows its
    /// items: for lists whose items change outside the program (running programs, devices).
    void SetDropDownHandler(std::function<void()> handler);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    friend class ComboPopup;
    struct Item {
        QString text;
        int data = 0;
    };
    std::vector<Item> Items() const;
    void Choose(int index);

    std::vector<Item> m_items;
    int m_selected = -1;

    // Window thread only.
    bool m_hovered = false;
    ComboPopup* m_popup = nullptr;
    std::function<void()> m_dropDownHandler;
};

}  // namespace zephyl::glint
