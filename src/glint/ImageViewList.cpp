// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/ImageViewList.h"

#include "glint/ImageViewCache.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

namespace zephyl::glint {
namespace {

constexpr int kDelayHeight = 20;
constexpr int kGap = 6;
const QColor kSelectedFrame(0xEE, 0x6E, 0x01);
const QColor kFrame(0x60, 0x60, 0x60);

}  // namespace

ImageViewList::ImageViewList(MDialog* owner, int id, QWidget* parent)
    : MControlFont(owner, id, parent) {}

int ImageViewList::AddString(const ImageViewItem& item, int index) {
    {
        std::lock_guard lock(m_mutex);
        ImageViewItem added = item;
        if (added.editImageFile.isEmpty()) {
            added.editImageFile = added.imageFile;
        }
        if (index < 0 || index > int(m_items.size())) {
            index = static_cast<int>(m_items.size());
        }
        m_items.insert(m_items.begin() + index, std::move(added));
        if (m_selected >= index) {
            ++m_selected;
        }
    }
    Changed();
    return index;
}

bool ImageViewList::DeleteItem(int index) {
    {
        std::lock_guard lock(m_mutex);
        if (index < 0 || index >= int(m_items.size())) {
            return false;
        }
        m_items.erase(m_items.begin() + index);
        if (m_items.empty()) {
            m_selected = -1;
        } else if (m_selected > index) {
            --m_selected;
        } else if (m_selected >= int(m_items.size())) {
            m_selected = static_cast<int>(m_items.size()) - 1;
        }
    }
    Changed();
    return true;
}

void ImageViewList::DeleteAllItems() {
    {
        std::lock_guard lock(m_mutex);
        m_items.clear();
        m_selected = -1;
    }
    Changed();
}

int ImageViewList::GetItemCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_items.size());
}

int ImageViewList::GetCurSel() const {
    std::lock_guard lock(m_mutex);
    return m_selected;
}

void ImageViewList::SetCurSel(int index) {
    {
        std::lock_guard lock(m_mutex);
        m_selected = index >= 0 && index < int(m_items.size()) ? index : -1;
        m_scrollToSelection = m_selected >= 0;
    }
    Changed();
}

QString ImageViewList::GetItemImageFile(int index) const {
    std::lock_guard lock(m_mutex);
    return index >= 0 && index < int(m_items.size()) ? m_items[index].imageFile : QString();
}

QString ImageViewList::GetItemEditImageFile(int index) const {
    std::lock_guard lock(m_mutex);
    return index >= 0 && index < int(m_items.size()) ? m_items[index].editImageFile : QString();
}

bool ImageViewList::UpdateItemImageFile(int index, const QString& editImageFile) {
    {
        std::lock_guard lock(m_mutex);
        if (index < 0 || index >= int(m_items.size())) {
            return false;
        }
        m_items[index].editImageFile =
            editImageFile.isEmpty() ? m_items[index].imageFile : editImageFile;
    }
    Changed();
    return true;
}

int ImageViewList::GetItemDelayTime(int index) const {
    std::lock_guard lock(m_mutex);
    return index >= 0 && index < int(m_items.size()) ? m_items[index].delayMs : 0;
}

bool ImageViewList::SetItemDelayTime(int index, int delayMs) {
    {
        std::lock_guard lock(m_mutex);
        if (index < 0 || index >= int(m_items.size())) {
            return false;
        }
        m_items[index].delayMs = delayMs;
    }
    Changed();
    return true;
}

void ImageViewList::SetDelayTime(int delayMs) {
    {
        std::lock_guard lock(m_mutex);
        for (ImageViewItem& item : m_items) {
            item.delayMs = delayMs;
        }
    }
    Changed();
}

int ImageViewList::GetFrameID(int index) const {
    std::lock_guard lock(m_mutex);
    return index >= 0 && index < int(m_items.size()) ? m_items[index].frameId : 0;
}

QString ImageViewList::GetFrameItemName(int index) const {
    std::lock_guard lock(m_mutex);
    return index >= 0 && index < int(m_items.size()) ? m_items[index].name : QString();
}

std::vector<ImageViewItem> ImageViewList::GetImageViewItems() const {
    std::lock_guard lock(m_mutex);
    return m_items;
}

void ImageViewList::RevertEdits() {
    {
        std::lock_guard lock(m_mutex);
        for (ImageViewItem& item : m_items) {
            item.editImageFile = item.imageFile;
        }
    }
    Changed();
}

int ImageViewList::CellWidth() const {
    return std::max(height() - kDelayHeight, 8);
}

QRect ImageViewList::ItemRect(int index) const {
    const int side = CellWidth();
    return QRect(index * (side + kGap) - m_scroll, 0, side, side + kDelayHeight);
}

int ImageViewList::IndexAt(const QPoint& point) const {
    const int pitch = CellWidth() + kGap;
    const int x = point.x() + m_scroll;
    if (x < 0 || x % pitch >= CellWidth()) {
        return -1;
    }
    const int index = x / pitch;
    return index < GetItemCount() ? index : -1;
}

int ImageViewList::ClampedScroll(int scroll) const {
    const int content = GetItemCount() * (CellWidth() + kGap) - kGap;
    return std::clamp(scroll, 0, std::max(0, content - width()));
}

void ImageViewList::SyncExtra() {
    int selected = -1;
    {
        std::lock_guard lock(m_mutex);
        if (!m_scrollToSelection) {
            return;
        }
        m_scrollToSelection = false;
        selected = m_selected;
    }
    const QRect cell = ItemRect(selected);
    if (cell.left() < 0) {
        m_scroll = ClampedScroll(m_scroll + cell.left());
    } else if (cell.right() >= width()) {
        m_scroll = ClampedScroll(m_scroll + cell.right() - width() + 1);
    }
    update();
}

void ImageViewList::SetDelayUnit(const QString& unit) {
    {
        std::lock_guard lock(m_mutex);
        if (m_delayUnit == unit) {
            return;
        }
        m_delayUnit = unit;
    }
    Changed();
}

QString ImageViewList::GetDelayUnit() const {
    std::lock_guard lock(m_mutex);
    return m_delayUnit;
}

void ImageViewList::paintEvent(QPaintEvent*) {
    std::vector<ImageViewItem> items;
    int selected = -1;
    QString unit;
    {
        std::lock_guard lock(m_mutex);
        items = m_items;
        selected = m_selected;
        unit = m_delayUnit;
    }
    QPainter painter(this);
    painter.setFont(CaptionFont(GetCaption()));
    for (int i = 0; i < int(items.size()); ++i) {
        const QRect cell = ItemRect(i);
        if (cell.right() < 0 || cell.left() > width()) {
            continue;
        }
        const QRect picture(cell.left(), cell.top(), cell.width(), cell.width());
        painter.fillRect(picture, Qt::black);
        const QPixmap pixmap = ScaledPicture(items[i].editImageFile, picture.size() - QSize(4, 4));
        if (!pixmap.isNull()) {
            painter.drawPixmap(picture.left() + (picture.width() - pixmap.width()) / 2,
                               picture.top() + (picture.height() - pixmap.height()) / 2, pixmap);
        }
        painter.setPen(QPen(i == selected ? kSelectedFrame : kFrame, i == selected ? 2 : 1));
        painter.drawRect(picture.adjusted(0, 0, -1, -1));
        painter.setPen(QColor::fromRgba(GetTextColor()));
        painter.drawText(QRect(cell.left(), picture.bottom(), cell.width(), kDelayHeight),
                         Qt::AlignCenter, QStringLiteral("%1 %2").arg(items[i].delayMs).arg(unit));
    }
}

void ImageViewList::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        return;
    }
    const int index = IndexAt(event->position().toPoint());
    if (index < 0) {
        return;
    }
    SetCurSel(index);
    Notify(kEventClick, index);
}

void ImageViewList::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        return;
    }
    const int index = IndexAt(event->position().toPoint());
    if (index >= 0) {
        Notify(kEventActivate, index);
    }
}

void ImageViewList::wheelEvent(QWheelEvent* event) {
    const int delta =
        event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    m_scroll = ClampedScroll(m_scroll - delta / 2);
    update();
}

}  // namespace zephyl::glint
