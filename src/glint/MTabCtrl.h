// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControl.h"

#include <vector>

namespace zephyl::glint {

/// What the tab strip holds for one item.
struct TabItemInfo {
    int id = 0;
    QString text;
    QString icon;
    int iconStates = 4;
    MControl* container = nullptr;
    bool visible = true;
};

/// A vertical strip of tab items, each an icon strip (normal, hover, selected, disabled) over
/// its text. Selecting an item shows its container and hides the others'. A click on an item
/// selects it and reports event 2 with its index.
class MTabCtrl : public MControl {
public:
    static constexpr const char* kClassName = "MTabCtrl";
    MTabCtrl(MDialog* owner, int id, QWidget* parent);
    const char* ClassName() const override { return kClassName; }

    /// Appends an item; returns its index. `iconStates` is the icon strip's state count.
    int InsertItem(int id, const QString& text, const QString& icon, MControl* container,
                   int iconStates = 4, int reserved = 0);
    int GetItemCount() const;
    /// The item's id; -1 for an index out of range.
    int GetItemID(int index) const;
    /// A copy of the item; a default item for an index out of range.
    TabItemInfo GetItemInfo(int index) const;
    void SetItemText(int index, const QString& text);
    void SetItemVisible(int index, bool visible);
    bool GetItemVisible(int index) const;
    /// Selects the item and shows its container; out of range selects nothing.
    void SetSelectItem(int index);
    int GetSelectItem() const;

    void SetTabCtrlWidth(int width);
    void SetTabCtrlHeight(int height);
    /// Size of an item; the second size and the flag are kept for the windows' calls.
    void SetItemWidth(int width, int selectedWidth = 0, int flag = 0);
    void SetItemHeight(int height, int selectedHeight = 0, int flag = 0);

    /// The item under `point` (only visible items take room), -1 for none; window thread.
    int IndexAt(const QPoint& point) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    /// Items in drawing order with their rectangles.
    std::vector<std::pair<int, QRect>> VisibleItemRects() const;
    void ShowContainers();

    std::vector<TabItemInfo> m_items;
    int m_selected = -1;
    int m_itemWidth = 60;
    int m_itemHeight = 60;

    int m_hovered = -1;  // window thread
    int m_pressed = -1;  // window thread
};

}  // namespace zephyl::glint
