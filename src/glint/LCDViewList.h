// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControlFont.h"

#include <QElapsedTimer>

#include <vector>

namespace zephyl::glint {

/// One animation of the screen library as the list shows it.
struct LCDViewItem {
    QString thumbnail;  ///< picture of frame 0
    QString folder;     ///< the animation's folder
    int frameCount = 0;
    int ledId = 0;
    /// Every frame's picture and delay: the row plays them on the window's animation ticks.
    std::vector<QString> frameFiles;
    std::vector<int> delaysMs;
};

/// The animation library: its caption (the frame limit) on top, then one row per animation
/// with its thumbnail playing and its frame count. A click selects a row and reports event 2
/// with its index. The wheel scrolls, and so does the scroll bar shown at the right while the
/// rows do not all fit; a row that becomes selected is scrolled into view.
class LCDViewList : public MControlFont {
public:
    static constexpr const char* kClassName = "LCDViewList";

    LCDViewList(MDialog* owner, int id, QWidget* parent);
    const char* ClassName() const override { return kClassName; }

    /// Appends an animation; returns its index.
    int AddString(const QString& thumbnail, const QString& folder, int frameCount, int ledId);
    /// The frames a row plays; the first one becomes its thumbnail.
    bool SetItemFrames(int index, std::vector<QString> frameFiles, std::vector<int> delaysMs);
    /// New thumbnail and frame count after a save.
    bool SetFrameData(int index, const QString& thumbnail, int frameCount);
    /// Removes a row; the selection moves to the row taking its place, else to the new last row.
    bool DeleteItem(int index);
    void DeleteAllItems();
    int GetItemCount() const;
    /// -1 when nothing is selected.
    int GetCurSel() const;
    /// An index out of range selects nothing.
    void SetCurSel(int index);
    /// 0 for an index out of range.
    int GetItemLEDId(int index) const;
    int GetItemFrameSize(int index) const;
    /// Selects the row of animation `ledId`; its index, -1 when no row has it.
    int SetItemLEDIdSelect(int ledId);
    LCDViewItem GetItem(int index) const;
    void SetItemHeight(int height);

    /// The frame row `index` shows `elapsedMs` into its animation.
    int ShownFrame(int index, std::int64_t elapsedMs) const;
    /// The row under `point` (widget coordinates), -1 for none; window thread.
    int IndexAt(const QPoint& point) const;

    /// How far the rows are scrolled, in pixels; window thread.
    int Scroll() const { return m_scroll; }
    /// The scroll bar's track, empty while every row fits; window thread.
    QRect ScrollBarRect() const;

protected:
    void OnMTimer() override;
    void SyncExtra() override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int TitleHeight() const;
    /// The height of all rows together.
    int ContentHeight() const;
    int ClampedScroll(int scroll) const;
    /// Scrolls so that row `index` is wholly in view.
    void ScrollTo(int index);
    /// Scrolls as the scroll bar's thumb dragged to `y` asks.
    void ScrollToBar(int y);

    std::vector<LCDViewItem> m_items;
    int m_selected = -1;
    int m_itemHeight = 64;

    // Window thread only.
    int m_scroll = 0;
    int m_shownSelection = -1;
    bool m_draggingBar = false;
    int m_barGrab = 0;  ///< where in the thumb the drag took hold
    QElapsedTimer m_clock;
};

}  // namespace zephyl::glint
