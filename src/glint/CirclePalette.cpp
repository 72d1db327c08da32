// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/CirclePalette.h"

#include "glint/Look.h"
#include "glint/PaletteMath.h"
#include "glint/SkinImage.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace zephyl::glint {

CirclePalette::CirclePalette(MDialog* owner, int id, QWidget* parent)
    : MControl(owner, id, parent) {
    setCursor(Qt::CrossCursor);
}

void CirclePalette::SetColor(std::uint32_t bgr) {
    {
        std::lock_guard lock(m_mutex);
        m_colour = bgr & 0xFFFFFF;
    }
    Changed();
}

std::uint32_t CirclePalette::GetColor() const {
    std::lock_guard lock(m_mutex);
    return m_colour;
}

QPointF CirclePalette::WheelCentre() const {
    return QRectF(rect()).center();
}

qreal CirclePalette::WheelRadius() const {
    return std::max(std::min(width(), height()) / 2.0 - 1.0, 1.0);
}

const QImage& CirclePalette::ComputedWheel(int side) {
    if (m_wheel.width() != side) {
        m_wheel = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
        m_wheel.fill(Qt::transparent);
        const qreal radius = side / 2.0;
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                const QPointF offset(x + 0.5 - radius, y + 0.5 - radius);
                const qreal distance = std::hypot(offset.x(), offset.y());
                if (distance > radius) {
                    continue;
                }
                QColor colour = palette::WheelColour(offset, radius);
                colour.setAlphaF(std::clamp(radius - distance, 0.0, 1.0));
                m_wheel.setPixelColor(x, y, colour);
            }
        }
    }
    return m_wheel;
}

void CirclePalette::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const qreal radius = WheelRadius();
    const QPointF centre = WheelCentre();
    const QRectF square(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    const QPixmap image = SkinImage::Load(GetImage());
    if (!image.isNull()) {
        painter.drawPixmap(square, image, QRectF(image.rect()));
    } else {
        painter.drawImage(square, ComputedWheel(int(2 * radius)));
    }
    if (!isEnabled()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x1B, 0x1B, 0x1D, 150));
        painter.drawEllipse(square);
    }
    const QPointF mark = centre + palette::WheelOffset(FromBgr(GetColor()), radius);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0, 0, 0, 160), 3));
    painter.drawEllipse(mark, 6, 6);
    painter.setPen(QPen(Qt::white, 1.5));
    painter.drawEllipse(mark, 6, 6);
}

void CirclePalette::PickAt(const QPointF& point) {
    const QColor colour = palette::WheelColour(point - WheelCentre(), WheelRadius());
    SetColor(ToBgr(colour));
}

void CirclePalette::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        MControl::mousePressEvent(event);
        return;
    }
    m_dragging = true;
    PickAt(event->position());
    event->accept();
}

void CirclePalette::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging) {
        PickAt(event->position());
        event->accept();
        return;
    }
    MControl::mouseMoveEvent(event);
}

void CirclePalette::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_dragging) {
        m_dragging = false;
        PickAt(event->position());
        event->accept();
        const int colour = int(GetColor());
        Notify(kEventWheelReleased, colour);
        Notify(kEventClick, colour);
        return;
    }
    MControl::mouseReleaseEvent(event);
}

}  // namespace zephyl::glint
