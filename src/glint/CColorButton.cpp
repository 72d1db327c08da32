// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/CColorButton.h"

#include "glint/Look.h"
#include "glint/MDialog.h"

#include <QMouseEvent>
#include <QPainter>

namespace zephyl::glint {

CColorButton::CColorButton(MDialog* owner, int id, QWidget* parent) : MControl(owner, id, parent) {
    setCursor(Qt::PointingHandCursor);
}

void CColorButton::SetColor(std::uint32_t bgr) {
    {
        std::lock_guard lock(m_mutex);
        m_colour = bgr & 0xFFFFFF;
    }
    Changed();
}

std::uint32_t CColorButton::GetColor() const {
    std::lock_guard lock(m_mutex);
    return m_colour;
}

void CColorButton::SetGroupName(const QString& group) {
    std::lock_guard lock(m_mutex);
    m_group = group;
}

QString CColorButton::GetGroupName() const {
    std::lock_guard lock(m_mutex);
    return m_group;
}

void CColorButton::StoreSelected(bool selected) {
    {
        std::lock_guard lock(m_mutex);
        m_selected = selected;
    }
    Changed();
}

void CColorButton::SetSelected(bool selected) {
    StoreSelected(selected);
    const QString group = GetGroupName();
    if (!selected || group.isEmpty() || GetOwner() == nullptr) {
        return;
    }
    for (MControl* control : GetOwner()->GetControls()) {
        auto* other = dynamic_cast<CColorButton*>(control);
        if (other != nullptr && other != this && other->GetGroupName() == group) {
            other->StoreSelected(false);
        }
    }
}

bool CColorButton::IsSelected() const {
    std::lock_guard lock(m_mutex);
    return m_selected;
}

void CColorButton::paintEvent(QPaintEvent*) {
    std::uint32_t colour = 0;
    bool selected = false;
    {
        std::lock_guard lock(m_mutex);
        colour = m_colour;
        selected = m_selected;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF outer = QRectF(rect()).adjusted(1, 1, -1, -1);
    QColor ring = look::kBorder;
    if (selected) {
        ring = look::kText;
    } else if (m_hovered) {
        ring = look::kAccent;
    }
    painter.setPen(QPen(ring, selected ? 2 : 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(outer, 4, 4);
    QColor fill = FromBgr(colour);
    if (!isEnabled()) {
        fill = look::Dimmed(fill, 0.45);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(outer.adjusted(3, 3, -3, -3), 2, 2);
}

void CColorButton::enterEvent(QEnterEvent*) {
    m_hovered = true;
    update();
}

void CColorButton::leaveEvent(QEvent*) {
    m_hovered = false;
    update();
}

void CColorButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        event->accept();
        return;
    }
    MControl::mousePressEvent(event);
}

void CColorButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_pressed) {
        m_pressed = false;
        event->accept();
        if (rect().contains(event->position().toPoint())) {
            SetSelected(true);
            Notify(kEventClick, int(GetColor()));
        }
        return;
    }
    MControl::mouseReleaseEvent(event);
}

}  // namespace zephyl::glint
