// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControlFont.h"

#include <vector>

class QLineEdit;

namespace zephyl::glint {

/// One row of a step list: what happened, its kind, its value and the pause after it.
struct RecordItem {
    QString text;
    int type = 0;   ///< 2 key down, 3 key up, 4 button down, 5 button up, 0 repeated press
    int value = 0;  ///< key code or mouse button
    int delay = 0;  ///< pause after the step, ms
    bool operator==(const RecordItem&) const = default;
};

/// The steps of a macro in three columns: the event (a direction mark and the text), the value
/// and the pause. A click selects a row and reports event 2 with its index. A double click on a
/// row's pause edits it in place (digits only, at most five); Return or leaving the editor keeps
/// the new pause and reports event 29 with the row's index, Escape abandons it. Long lists
/// scroll with the wheel, and the selected row is scrolled into view.
class CRecordList : public MControlFont {
public:
    static constexpr const char* kClassName = "CRecordList";
    static constexpr int kLongestDelay = 65535;  ///< a pause is sent as 16 bits

    CRecordList(MDialog* owner, int id, QWidget* parent);
    const char* ClassName() const override { return kClassName; }

    /// Inserts a row at `index` (-1 or past the end appends); returns its index. The selection
    /// stays on its row. Every pause the list holds lies in 0..kLongestDelay; longer ones are
    /// held as kLongestDelay, negative ones as 0.
    int AddString(const QString& text, int type, int value, int delay, int index = -1);
    /// Sets the pause of the last row; false when the list is empty.
    bool UpdateDelayTime(int delay);
    /// Removes a row. A selected row passes the selection to the row that takes its place, else
    /// to the new last row; an emptied list selects nothing.
    bool DeleteItem(int index);
    void DeleteAllItems();
    int GetItemCount() const;
    std::vector<RecordItem> GetRecordItems() const;
    /// Replaces every row; the selection is kept when its index still exists.
    void SetRecordItems(const std::vector<RecordItem>& items);
    /// -1 when nothing is selected.
    int GetCurSel() const;
    /// Selects the row and scrolls it into view; an index out of range selects nothing.
    void SetCurSel(int index);
    void SetItemHeight(int height);
    int GetItemHeight() const;

    /// The row under `point`, -1 for none; window thread.
    int IndexAt(const QPoint& point) const;
    /// Starts editing the pause of `index` in place; window thread.
    void EditDelay(int index);
    /// Whether the pause editor is open; window thread.
    QLineEdit* GetEditor() const { return m_editor; }

protected:
    void SyncExtra() override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CloseEditor(bool keep);
    int ClampedScroll(int scroll) const;
    void ScrollTo(int index);
    /// Where the pause of `index` is drawn, in widget coordinates at the current scroll.
    QRect DelayCell(int index) const;

    std::vector<RecordItem> m_items;
    int m_selected = -1;
    int m_itemHeight = 30;
    bool m_scrollToSelection = false;
    /// Changes whenever rows come or go, so an open editor knows its row may be gone.
    unsigned m_generation = 0;

    // Window thread only.
    int m_scroll = 0;
    QLineEdit* m_editor = nullptr;
    int m_editIndex = -1;
    unsigned m_editGeneration = 0;
};

}  // namespace zephyl::glint
