// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/UpgradeButton.h"

#include <QPainter>

namespace zephyl::glint {

void UpgradeButton::SetUpgradeState(bool available) {
    {
        std::lock_guard lock(m_mutex);
        m_available = available;
    }
    Changed();
}

bool UpgradeButton::GetUpgradeState() const {
    std::lock_guard lock(m_mutex);
    return m_available;
}

void UpgradeButton::PaintButton(QPainter& painter, int state) {
    MButton::PaintButton(painter, state);
    if (!GetUpgradeState()) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x1B, 0x1B, 0x1D), 1.5));
    painter.setBrush(QColor(0xE5, 0x39, 0x35));
    painter.drawEllipse(QRectF(width() - 11, 2, 9, 9));
    painter.restore();
}

}  // namespace zephyl::glint
