// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControlFont.h"

#include <vector>

namespace zephyl::glint {

/// One screen slot of the keyboard: its label and the picture it last received.
struct LCDViewSlot {
    QString label;
    QString picture;
};

/// The keyboard's screen slots side by side, each with its picture and label. A click selects
/// a slot and reports event 2 with its index.
class LCDViewCtrl : public MControlFont {
public:
    static constexpr const char* kClassName = "LCDViewCtrl";

    LCDViewCtrl(MDialog* owner, int id, QWidget* parent);
    const char* ClassName() const override { return kClassName; }

    /// Appends a slot; returns its index.
    int AddItem(const QString& label);
    /// The label and picture of a slot; an empty picture shows none.
    bool SetItemInfo(int index, const QString& label, const QString& picture);
    void DeleteAllItems();
    int GetItemCount() const;
    LCDViewSlot GetItem(int index) const;
    /// -1 when nothing is selected.
    int GetCurSel() const;
    /// An index out of range selects nothing.
    void SetCurSel(int index);

    /// Where slot `index` is drawn; window thread.
    QRect ItemRect(int index) const;
    /// The slot under `point`, -1 for none; window thread.
    int IndexAt(const QPoint& point) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::vector<LCDViewSlot> m_slots;
    int m_selected = -1;
};

}  // namespace zephyl::glint
