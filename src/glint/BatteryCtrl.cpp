// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/BatteryCtrl.h"

#include "glint/Look.h"
#include "glint/SkinImage.h"

#include <QPainter>

#include <algorithm>

namespace zephyl::glint {
namespace {

constexpr int kBodyWidth = 34;
constexpr int kBodyHeight = 16;
constexpr int kLowLevel = 20;

}  // namespace

void BatteryCtrl::SetBatteryIcon(const QString& levelImage, const QString& chargingImage) {
    {
        std::lock_guard lock(m_mutex);
        m_levelImage = levelImage;
        m_chargingImage = chargingImage;
    }
    Changed();
}

void BatteryCtrl::SetBatteryInfo(int percent, int charging) {
    {
        std::lock_guard lock(m_mutex);
        m_percent = std::clamp(percent, 0, 100);
        m_charging = charging != 0;
    }
    Changed();
}

int BatteryCtrl::GetBatteryPercent() const {
    std::lock_guard lock(m_mutex);
    return m_percent;
}

bool BatteryCtrl::IsCharging() const {
    std::lock_guard lock(m_mutex);
    return m_charging;
}

void BatteryCtrl::paintEvent(QPaintEvent*) {
    QString levelFile;
    QString chargingFile;
    int percent = 0;
    bool charging = false;
    {
        std::lock_guard lock(m_mutex);
        levelFile = m_levelImage;
        chargingFile = m_chargingImage;
        percent = m_percent;
        charging = m_charging;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPixmap frame = SkinImage::Load(GetImage());
    const QPixmap level = SkinImage::Load(levelFile);
    const QSize bodySize = frame.isNull() ? QSize(kBodyWidth, kBodyHeight) : frame.size();
    QRect body(QPoint(0, 0), bodySize.boundedTo(size()));
    body.moveTop((height() - body.height()) / 2);

    if (!frame.isNull()) {
        painter.drawPixmap(body, frame);
    } else {
        painter.setPen(QPen(look::kTextDim, 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(body).adjusted(0.75, 0.75, -3.75, -0.75), 3, 3);
        painter.setBrush(look::kTextDim);
        painter.setPen(Qt::NoPen);
        painter.drawRect(QRectF(body.right() - 2, body.center().y() - 3, 2.5, 6));
    }
    if (!level.isNull()) {
        const int shown = level.width() * percent / 100;
        const QRect source(0, 0, shown, level.height());
        QRect target(body.topLeft(),
                     QSize(shown * body.width() / std::max(level.width(), 1), body.height()));
        painter.drawPixmap(target, level, source);
    } else {
        const QRectF inside = QRectF(body).adjusted(3, 3, -6.5, -3);
        QRectF filled = inside;
        filled.setWidth(inside.width() * percent / 100.0);
        painter.setPen(Qt::NoPen);
        painter.setBrush(percent <= kLowLevel ? QColor(0xE5, 0x39, 0x35)
                                              : QColor(0x4C, 0xC2, 0x5A));
        painter.drawRoundedRect(filled, 1.5, 1.5);
    }
    if (charging) {
        const QPixmap bolt = SkinImage::Load(chargingFile);
        if (!bolt.isNull()) {
            SkinImage::DrawStateCentred(painter, body, bolt, 1, 0);
        } else {
            const QPointF c = QRectF(body).center();
            const QPolygonF shape({c + QPointF(1, -6), c + QPointF(-4, 1), c + QPointF(0, 1),
                                   c + QPointF(-1, 6), c + QPointF(4, -1), c + QPointF(0, -1)});
            painter.setBrush(look::kText);
            painter.setPen(QPen(QColor(0, 0, 0, 140), 0.8));
            painter.drawPolygon(shape);
        }
    }
    const QRect text = rect().adjusted(body.width() + 4, 0, 0, 0);
    if (!text.isEmpty()) {
        painter.setFont(look::DefaultFont(12));
        painter.setPen(look::kTextDim);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("%1%").arg(percent));
    }
}

}  // namespace zephyl::glint
