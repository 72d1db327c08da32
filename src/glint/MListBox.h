// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControlFont.h"

#include <vector>

class QLineEdit;

namespace zephyl::glint {

/// A list of texts, each with an item value. The image is the item marker (two states: normal,
/// selected). A click selects an item and reports event 2 with its index; the right button
/// selects the item under it and reports event 5. ShowEdit renames the selected item in place;
/// Return or leaving the editor keeps the text and reports event 29, Escape abandons it.
class MListBox : public MControlFont {
public:
    static constexpr const char* kClassName = "MListBox";
    MListBox(MDialog* owner, int id, QWidget* parent);
    const char* ClassName() const override { return kClassName; }

    /// Inserts at `index` (-1 or past the end appends); returns the item's index.
    int AddString(const QString& text, int data, int index = -1);
    bool DeleteItem(int index);
    void DeleteAllItems();
    int GetItemCount() const;
    /// -1 when nothing is selected.
    int GetCurSel() const;
    /// Selects the item; an index out of range selects nothing.
    void SetCurSel(int index);
    /// 0 for an index out of range.
    int GetItemData(int index) const;
    QString GetItemText(int index) const;
    bool ModifyItemString(int index, const QString& text);
    /// The selected item's value; -1 when nothing is selected.
    int GetCurData() const;
    /// Selects the first item with this value; selects nothing when no item has it.
    bool SetCurData(int data);

    /// Starts renaming the selected item in place; nothing happens without a selection.
    void ShowEdit();
    /// Whether the in-place editor is open; window thread.
    bool IsEditing() const { return m_editor != nullptr; }
    QLineEdit* GetEditor() const { return m_editor; }
    /// The in-place editor's frame image.
    void SetEditImage(const QString& file, int states = 4);
    void SetItemHeight(int height);
    int GetItemHeight() const;

    /// The item under `point`, -1 for none; window thread.
    int IndexAt(const QPoint& point) const;

protected:
    void SyncExtra() override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Item {
        QString text;
        int data = 0;
    };

    void OpenEditor();
    void CloseEditor(bool keep);
    int ClampedScroll(int scroll) const;
    void ScrollTo(int index);

    std::vector<Item> m_items;
    int m_selected = -1;
    int m_itemHeight = 34;
    QString m_editImage;
    int m_editImageStates = 4;
    bool m_editRequested = false;
    /// Changes whenever items come or go, so an open editor knows its item may be gone.
    unsigned m_generation = 0;

    // Window thread only.
    int m_scroll = 0;
    int m_hovered = -1;
    QLineEdit* m_editor = nullptr;
    int m_editIndex = -1;
    unsigned m_editGeneration = 0;
    int m_shownSelection = -1;
};

}  // namespace zephyl::glint
