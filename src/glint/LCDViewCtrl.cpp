// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/LCDViewCtrl.h"

#include "glint/ImageViewCache.h"
#include "glint/TextFit.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace zephyl::glint {
namespace {

// Two lines under each picture: a slot says how many frames it holds and how many it takes.
constexpr int kLabelHeight = 34;
constexpr int kGap = 8;
const QColor kSelectedFrame(0xEE, 0x6E, 0x01);
const QColor kFrame(0x60, 0x60, 0x60);

}  // namespace

LCDViewCtrl::LCDViewCtrl(MDialog* owner, int id, QWidget* parent)
    : MControlFont(owner, id, parent) {}

int LCDViewCtrl::AddItem(const QString& label) {
    int index = 0;
    {
        std::lock_guard lock(m_mutex);
        m_slots.push_back({label, {}});
        index = static_cast<int>(m_slots.size()) - 1;
    }
    Changed();
    return index;
}

bool LCDViewCtrl::SetItemInfo(int index, const QString& label, const QString& picture) {
    {
        std::lock_guard lock(m_mutex);
        if (index < 0 || index >= int(m_slots.size())) {
            return false;
        }
        m_slots[index] = {label, picture};
    }
    Changed();
    return true;
}

void LCDViewCtrl::DeleteAllItems() {
    {
        std::lock_guard lock(m_mutex);
        m_slots.clear();
        m_selected = -1;
    }
    Changed();
}

int LCDViewCtrl::GetItemCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_slots.size());
}

LCDViewSlot LCDViewCtrl::GetItem(int index) const {
    std::lock_guard lock(m_mutex);
    return index >= 0 && index < int(m_slots.size()) ? m_slots[index] : LCDViewSlot{};
}

int LCDViewCtrl::GetCurSel() const {
    std::lock_guard lock(m_mutex);
    return m_selected;
}

void LCDViewCtrl::SetCurSel(int index) {
    {
        std::lock_guard lock(m_mutex);
        m_selected = index >= 0 && index < int(m_slots.size()) ? index : -1;
    }
    Changed();
}

QRect LCDViewCtrl::ItemRect(int index) const {
    const int count = std::max(GetItemCount(), 1);
    // Square pictures in one row, as large as the width and the height both allow.
    const int side =
        std::max(1, std::min((width() - kGap * (count - 1)) / count, height() - kLabelHeight));
    const int used = count * side + (count - 1) * kGap;
    const int left = (width() - used) / 2 + index * (side + kGap);
    return QRect(left, 0, side, side + kLabelHeight);
}

int LCDViewCtrl::IndexAt(const QPoint& point) const {
    const int count = GetItemCount();
    for (int i = 0; i < count; ++i) {
        if (ItemRect(i).contains(point)) {
            return i;
        }
    }
    return -1;
}

void LCDViewCtrl::paintEvent(QPaintEvent*) {
    std::vector<LCDViewSlot> cells;
    int selected = -1;
    {
        std::lock_guard lock(m_mutex);
        cells = m_slots;
        selected = m_selected;
    }
    QPainter painter(this);
    painter.setFont(CaptionFont(GetCaption()));
    for (int i = 0; i < int(cells.size()); ++i) {
        const QRect cell = ItemRect(i);
        const QRect picture(cell.left(), cell.top(), cell.width(), cell.width());
        painter.fillRect(picture, Qt::black);
        const QPixmap pixmap = ScaledPicture(cells[i].picture, picture.size() - QSize(4, 4));
        if (!pixmap.isNull()) {
            painter.drawPixmap(picture.left() + (picture.width() - pixmap.width()) / 2,
                               picture.top() + (picture.height() - pixmap.height()) / 2, pixmap);
        }
        painter.setPen(QPen(i == selected ? kSelectedFrame : kFrame, i == selected ? 2 : 1));
        painter.drawRect(picture.adjusted(0, 0, -1, -1));
        painter.setPen(QColor::fromRgba(GetTextColor()));
        const QRect label(cell.left() - kGap / 2, picture.bottom(), cell.width() + kGap,
                          kLabelHeight);
        constexpr int kFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;
        const FittedText fitted =
            FitText(painter.font(), cells[i].label, label, kFlags,
                    QStringLiteral("LCDViewCtrl %1 slot %2").arg(GetID()).arg(i));
        painter.save();
        painter.setFont(fitted.font);
        painter.drawText(label, kFlags, fitted.text);
        painter.restore();
    }
}

void LCDViewCtrl::mousePressEvent(QMouseEvent* event) {
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

}  // namespace zephyl::glint
