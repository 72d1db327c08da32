// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/CArea.h"

#include <QPainter>

#include <algorithm>

namespace zephyl::glint {

CArea::CArea(MDialog* owner, int id, QWidget* parent) : MControl(owner, id, parent) {
    SetPassive(true);
}

void CArea::SetTransparent(int transparency, int radius, std::uint32_t rgb) {
    {
        std::lock_guard lock(m_mutex);
        m_transparency = std::clamp(transparency, 0, 255);
        m_radius = std::max(radius, 0);
        m_colour = rgb & 0xFFFFFF;
    }
    Changed();
}

std::uint32_t CArea::GetColor() const {
    std::lock_guard lock(m_mutex);
    return m_colour;
}

int CArea::GetTransparency() const {
    std::lock_guard lock(m_mutex);
    return m_transparency;
}

void CArea::paintEvent(QPaintEvent*) {
    int transparency = 0;
    int radius = 0;
    QColor colour;
    {
        std::lock_guard lock(m_mutex);
        transparency = m_transparency;
        radius = m_radius;
        colour = FromRgb(m_colour);
    }
    colour.setAlpha(transparency == 0 ? 255 : transparency);
    QPainter painter(this);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    if (radius > 0) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.drawRoundedRect(rect(), radius, radius);
    } else {
        painter.fillRect(rect(), colour);
    }
}

}  // namespace zephyl::glint
