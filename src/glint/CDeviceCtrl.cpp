// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/CDeviceCtrl.h"

#include "glint/Look.h"
#include "glint/SkinImage.h"

#include <QPainter>

namespace zephyl::glint {

void CDeviceCtrl::SetDeviceStatus(int status) {
    {
        std::lock_guard lock(m_mutex);
        m_status = status;
    }
    Changed();
}

int CDeviceCtrl::GetDeviceStatus() const {
    std::lock_guard lock(m_mutex);
    return m_status;
}

void CDeviceCtrl::paintEvent(QPaintEvent*) {
    const bool connected = GetDeviceStatus() != 0;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QPixmap picture = SkinImage::Load(GetImage());
    const QRect area = rect().adjusted(0, 0, 0, -12);
    painter.setOpacity(connected && isEnabled() ? 1.0 : 0.45);
    if (!picture.isNull()) {
        SkinImage::DrawStateCentred(painter, area, picture, 1, 0);
    } else {
        look::DrawButtonFace(painter,
                             area.adjusted(area.width() / 6, area.height() / 4, -area.width() / 6,
                                           -area.height() / 4),
                             look::kNormal);
    }
    painter.setOpacity(1.0);
    const QRectF dot(width() / 2.0 - 4, height() - 9, 8, 8);
    painter.setPen(Qt::NoPen);
    painter.setBrush(connected ? QColor(0x4C, 0xC2, 0x5A) : look::kTextDisabled);
    painter.drawEllipse(dot);
}

}  // namespace zephyl::glint
