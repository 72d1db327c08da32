// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/MTabCtrl.h"

#include "glint/Look.h"
#include "glint/SkinImage.h"
#include "glint/TextFit.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace zephyl::glint {
namespace {

constexpr int kIconSide = 28;
constexpr int kSelectedIconState = 2;

}  // namespace

MTabCtrl::MTabCtrl(MDialog* owner, int id, QWidget* parent) : MControl(owner, id, parent) {
    setMouseTracking(true);
}

int MTabCtrl::InsertItem(int id, const QString& text, const QString& icon, MControl* container,
                         int iconStates, int) {
    int index = 0;
    {
        std::lock_guard lock(m_mutex);
        m_items.push_back({id, text, icon, std::max(iconStates, 1), container, true});
        index = int(m_items.size()) - 1;
    }
    Changed();
    return index;
}

int MTabCtrl::GetItemCount() const {
    std::lock_guard lock(m_mutex);
    return int(m_items.size());
}

int MTabCtrl::GetItemID(int index) const {
    std::lock_guard lock(m_mutex);
    return index >= 0 && index < int(m_items.size()) ? m_items[index].id : -1;
}

TabItemInfo MTabCtrl::GetItemInfo(int index) const {
    std::lock_guard lock(m_mutex);
    return index >= 0 && index < int(m_items.size()) ? m_items[index] : TabItemInfo{};
}

void MTabCtrl::SetItemText(int index, const QString& text) {
    {
        std::lock_guard lock(m_mutex);
        if (index < 0 || index >= int(m_items.size())) {
            return;
        }
        m_items[index].text = text;
    }
    Changed();
}

void MTabCtrl::SetItemVisible(int index, bool visible) {
    {
        std::lock_guard lock(m_mutex);
        if (index < 0 || index >= int(m_items.size())) {
            return;
        }
        m_items[index].visible = visible;
    }
    Changed();
}

bool MTabCtrl::GetItemVisible(int index) const {
    std::lock_guard lock(m_mutex);
    return index >= 0 && index < int(m_items.size()) && m_items[index].visible;
}

void MTabCtrl::SetSelectItem(int index) {
    {
        std::lock_guard lock(m_mutex);
        m_selected = index >= 0 && index < int(m_items.size()) ? index : -1;
    }
    ShowContainers();
    Changed();
}

int MTabCtrl::GetSelectItem() const {
    std::lock_guard lock(m_mutex);
    return m_selected;
}

void MTabCtrl::ShowContainers() {
    std::vector<std::pair<MControl*, bool>> changes;
    {
        std::lock_guard lock(m_mutex);
        for (int i = 0; i < int(m_items.size()); ++i) {
            if (m_items[i].container != nullptr) {
                changes.emplace_back(m_items[i].container, i == m_selected);
            }
        }
    }
    // Hide first, so two pages never show at once; the containers take their own locks.
    for (const auto& [container, shown] : changes) {
        if (!shown) {
            container->SetVisible(false);
        }
    }
    for (const auto& [container, shown] : changes) {
        if (shown) {
            container->SetVisible(true);
        }
    }
}

void MTabCtrl::SetTabCtrlWidth(int width) {
    std::lock_guard lock(m_mutex);
    m_itemWidth = std::max(width, 1);
}

void MTabCtrl::SetTabCtrlHeight(int height) {
    std::lock_guard lock(m_mutex);
    m_itemHeight = std::max(height, 1);
}

void MTabCtrl::SetItemWidth(int width, int, int) {
    {
        std::lock_guard lock(m_mutex);
        m_itemWidth = std::max(width, 1);
    }
    Changed();
}

void MTabCtrl::SetItemHeight(int height, int, int) {
    {
        std::lock_guard lock(m_mutex);
        m_itemHeight = std::max(height, 1);
    }
    Changed();
}

std::vector<std::pair<int, QRect>> MTabCtrl::VisibleItemRects() const {
    std::vector<std::pair<int, QRect>> rects;
    std::lock_guard lock(m_mutex);
    int top = 0;
    const int itemWidth = std::min(m_itemWidth, std::max(width(), 1));
    for (int i = 0; i < int(m_items.size()); ++i) {
        if (!m_items[i].visible) {
            continue;
        }
        rects.emplace_back(i, QRect(0, top, itemWidth, m_itemHeight));
        top += m_itemHeight;
    }
    return rects;
}

int MTabCtrl::IndexAt(const QPoint& point) const {
    for (const auto& [index, itemRect] : VisibleItemRects()) {
        if (itemRect.contains(point)) {
            return index;
        }
    }
    return -1;
}

void MTabCtrl::paintEvent(QPaintEvent*) {
    std::vector<TabItemInfo> items;
    int selected = -1;
    {
        std::lock_guard lock(m_mutex);
        items = m_items;
        selected = m_selected;
    }
    const QColor textColour = FromArgb(GetTextColor());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QFont font = look::DefaultFont(10);
    painter.setFont(font);
    for (const auto& [index, itemRect] : VisibleItemRects()) {
        const TabItemInfo& item = items[index];
        const bool isSelected = index == selected;
        if (isSelected) {
            painter.fillRect(itemRect, QColor(0x2E, 0x2E, 0x32));
            painter.fillRect(QRect(itemRect.left(), itemRect.top() + 8, 3, itemRect.height() - 16),
                             look::kAccent);
        } else if (index == m_hovered) {
            painter.fillRect(itemRect, QColor(0x26, 0x26, 0x2A));
        }
        int state = look::kNormal;
        if (!isEnabled()) {
            state = look::kDisabled;
        } else if (isSelected) {
            state = kSelectedIconState;
        } else if (index == m_hovered) {
            state = look::kHover;
        }
        const bool showText = itemRect.height() >= 48 && !item.text.isEmpty();
        const QRect iconArea(itemRect.left(), itemRect.top() + (showText ? 8 : 0), itemRect.width(),
                             showText ? kIconSide : itemRect.height());
        QRect iconRect(0, 0, kIconSide, kIconSide);
        iconRect.moveCenter(iconArea.center());
        const QPixmap icon = SkinImage::Load(item.icon);
        if (!icon.isNull()) {
            SkinImage::DrawStateCentred(painter, iconRect, icon, item.iconStates, state);
        } else {
            painter.setPen(Qt::NoPen);
            painter.setBrush(isSelected ? look::kAccent : look::kSurfaceHover);
            painter.drawRoundedRect(iconRect.adjusted(4, 4, -4, -4), 4, 4);
            painter.setPen(look::kText);
            painter.drawText(iconRect, Qt::AlignCenter, item.text.left(1));
        }
        if (showText) {
            const QRect textRect(itemRect.left() + 2, iconRect.bottom() + 3, itemRect.width() - 4,
                                 itemRect.bottom() - iconRect.bottom() - 4);
            painter.setPen(isSelected ? look::kText : textColour);
            // Captions wrap onto a second line and shrink before anything is cut: most
            // translations are longer than the English the sidebar was drawn for.
            painter.save();
            const int wrapFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;
            // Two lines take the room down to the item's bottom edge.
            const QRect wrapRect(itemRect.left() + 1, iconRect.bottom() + 1, itemRect.width() - 2,
                                 itemRect.bottom() - iconRect.bottom());
            const FittedText fitted =
                FitText(painter.font(), item.text, wrapRect, wrapFlags,
                        QStringLiteral("MTabCtrl %1 item %2").arg(GetID()).arg(index));
            painter.setFont(fitted.font);
            if (!fitted.cut) {
                painter.drawText(wrapRect, wrapFlags, item.text);
            } else {
                painter.drawText(
                    textRect, Qt::AlignHCenter | Qt::AlignTop,
                    painter.fontMetrics().elidedText(item.text, Qt::ElideRight, textRect.width()));
            }
            painter.restore();
        }
    }
}

void MTabCtrl::mouseMoveEvent(QMouseEvent* event) {
    const int index = IndexAt(event->position().toPoint());
    if (index != m_hovered) {
        m_hovered = index;
        const TabItemInfo item = GetItemInfo(index);
        setToolTip(index >= 0 ? item.text : GetTooltip());
        update();
    }
    MControl::mouseMoveEvent(event);
}

void MTabCtrl::leaveEvent(QEvent*) {
    m_hovered = -1;
    update();
}

void MTabCtrl::mousePressEvent(QMouseEvent* event) {
    const int index = IndexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index >= 0) {
        m_pressed = index;
        event->accept();
        return;
    }
    MControl::mousePressEvent(event);
}

void MTabCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_pressed >= 0) {
        const int index = IndexAt(event->position().toPoint());
        const bool same = index == m_pressed;
        m_pressed = -1;
        event->accept();
        if (same) {
            SetSelectItem(index);
            Notify(kEventClick, index);
        }
        return;
    }
    MControl::mouseReleaseEvent(event);
}

}  // namespace zephyl::glint
