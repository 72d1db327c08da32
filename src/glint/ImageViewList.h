// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControlFont.h"

#include <vector>

namespace zephyl::glint {

/// One frame of the strip.
struct ImageViewItem {
    QString imageFile;      ///< the frame's stored picture
    QString editImageFile;  ///< the picture with the edits not saved yet; the stored one if none
    int delayMs = 0;
    int frameId = 0;  ///< row of the frame, 0 for a frame not saved yet
    QString name;     ///< file name inside the animation's folder
    bool operator==(const ImageViewItem&) const = default;
};

/// The frames of an animation in a row, each with its picture and delay. A click selects a
/// frame and reports event 2 with its index; a double click reports event 9 (edit its delay).
/// The wheel scrolls.
class ImageViewList : public MControlFont {
public:
    static constexpr const char* kClassName = "ImageViewList";

    ImageViewList(MDialog* owner, int id, QWidget* parent);
    const char* ClassName() const override { return kClassName; }

    /// Inserts a frame at `index` (-1 or past the end appends); returns its index. An empty
    /// edit file means the stored picture. The selection stays on its frame.
    int AddString(const ImageViewItem& item, int index = -1);
    /// Removes a frame. The selection goes to the frame taking its place, else to the new last
    /// frame; an emptied strip selects nothing.
    bool DeleteItem(int index);
    void DeleteAllItems();
    int GetItemCount() const;
    int GetCurSel() const;
    /// Selects the frame and scrolls it into view; out of range selects nothing.
    void SetCurSel(int index);
    QString GetItemImageFile(int index) const;
    QString GetItemEditImageFile(int index) const;
    /// The frame's edited picture.
    bool UpdateItemImageFile(int index, const QString& editImageFile);
    int GetItemDelayTime(int index) const;
    bool SetItemDelayTime(int index, int delayMs);
    /// The same delay on every frame.
    void SetDelayTime(int delayMs);
    int GetFrameID(int index) const;
    QString GetFrameItemName(int index) const;
    std::vector<ImageViewItem> GetImageViewItems() const;
    /// Every frame's edited picture back to its stored one (edits thrown away).
    void RevertEdits();
    /// The unit written after each frame's delay ("ms" until the window gives its own).
    void SetDelayUnit(const QString& unit);
    QString GetDelayUnit() const;

    /// Where frame `index` is drawn at the current scroll; window thread.
    QRect ItemRect(int index) const;
    int IndexAt(const QPoint& point) const;

protected:
    void SyncExtra() override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    int CellWidth() const;
    int ClampedScroll(int scroll) const;

    std::vector<ImageViewItem> m_items;
    int m_selected = -1;
    bool m_scrollToSelection = false;
    QString m_delayUnit = QStringLiteral("ms");

    // Window thread only.
    int m_scroll = 0;
};

}  // namespace zephyl::glint
