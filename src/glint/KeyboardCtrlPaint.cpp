// SPDX-License-Identifier: GPL-2.0-or-later
// Drawing of the keyboard picture: the plate and every key as a keycap with its name.
#include "glint/KeyboardCtrl.h"

#include "glint/Look.h"
#include "glint/SkinImage.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace zephyl::glint {
namespace {

constexpr qreal kLegendSize = 12;
constexpr qreal kSmallestLegend = 6.5;

QColor Mix(const QColor& from, const QColor& to, qreal amount) {
    return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * amount,
                            from.greenF() + (to.greenF() - from.greenF()) * amount,
                            from.blueF() + (to.blueF() - from.blueF()) * amount);
}

/// A legend colour that stays readable on a dark cap: the key's hue at full brightness.
QColor LitLegend(const QColor& colour) {
    QColor legend = QColor::fromHsvF(std::max<qreal>(colour.hsvHueF(), 0.0),
                                     colour.hsvSaturationF() * 0.3, 1.0);
    return legend;
}

}  // namespace

void KeyboardCtrl::DrawKey(QPainter& painter, const KeyInfo& key, const QRectF& area, int mode,
                           int current, bool hovered) const {
    const qreal side = std::min(area.width(), area.height());
    const qreal radius = std::max<qreal>(2, side * 0.12);
    const QRectF cap = area.adjusted(1, 1, -1, -1);
    const QColor colour = FromBgr(key.colour);
    const bool lit = mode != kKeyboardModeAssign && key.colour != 0;

    QColor body(0x2B, 0x2B, 0x30);
    QColor face(0x38, 0x38, 0x3E);
    QColor border(0x16, 0x16, 0x19);
    QColor legend(0xD8, 0xD8, 0xDC);
    if (mode == kKeyboardModeAssign) {
        if (key.checked) {
            face = Mix(face, look::kAccent, 0.22);
            legend = look::kAccent.lighter(130);
        }
        if (key.code == current && current != 0) {
            face = look::kAccent;
            body = look::kAccentDim;
            legend = look::kText;
        }
    } else if (lit) {
        body = Mix(look::kKeyUnlit, colour, 0.25);
        face = Mix(QColor(0x30, 0x30, 0x34), colour, 0.38);
        border = colour;
        legend = LitLegend(colour);
    } else {
        body = look::kKeyUnlit;
        face = QColor(0x2C, 0x2C, 0x30);
        legend = QColor(0x8A, 0x8A, 0x90);
    }
    if (hovered) {
        face = face.lighter(125);
    }
    if (key.disabled || !isEnabled()) {
        body = look::Dimmed(body, 0.6);
        face = look::Dimmed(face, 0.6);
        legend = look::Dimmed(legend, 0.5);
    }

    // Glow under a lit key, then the cap's skirt, then its top face.
    if (lit && !key.disabled) {
        QColor glow = colour;
        glow.setAlpha(70);
        painter.setPen(Qt::NoPen);
        painter.setBrush(glow);
        painter.drawRoundedRect(area.adjusted(-1.5, -1.5, 1.5, 1.5), radius + 1.5, radius + 1.5);
    }
    painter.setPen(QPen(border, lit ? 1.2 : 1.0));
    painter.setBrush(body);
    painter.drawRoundedRect(cap, radius, radius);
    const qreal inset = std::max<qreal>(1.5, side * 0.09);
    const QRectF top = cap.adjusted(inset, inset * 0.6, -inset, -inset * 1.4);
    painter.setPen(Qt::NoPen);
    painter.setBrush(face);
    painter.drawRoundedRect(top, radius * 0.8, radius * 0.8);

    if (mode == kKeyboardModeColour && key.checked) {
        painter.setPen(QPen(look::kText, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(area.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
        QPainterPath tick;
        const QPointF corner(area.right() - side * 0.28, area.top() + side * 0.14);
        tick.moveTo(corner + QPointF(0, side * 0.06));
        tick.lineTo(corner + QPointF(side * 0.05, side * 0.11));
        tick.lineTo(corner + QPointF(side * 0.14, 0));
        painter.setPen(QPen(look::kText, std::max<qreal>(1.2, side * 0.04), Qt::SolidLine,
                            Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(tick);
    }
    if (mode == kKeyboardModeAssign && key.checked && key.code != current) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(look::kAccent);
        const qreal dot = std::max<qreal>(3, side * 0.1);
        painter.drawEllipse(QRectF(top.right() - dot * 1.6, top.top() + dot * 0.6, dot, dot));
    }

    if (key.name.isEmpty()) {
        return;
    }
    // The legend shrinks until it fits its cap, so long names stay whole.
    QFont font = look::DefaultFont();
    qreal size = std::clamp(side * 0.3, kSmallestLegend, kLegendSize + 2);
    const qreal room = top.width() - 4;
    for (;;) {
        font.setPixelSize(std::max(1, int(size)));
        const QFontMetricsF metrics(font);
        if (metrics.horizontalAdvance(key.name) <= room || size <= kSmallestLegend) {
            break;
        }
        size -= 0.5;
    }
    painter.setFont(font);
    painter.setPen(legend);
    painter.drawText(top, Qt::AlignCenter, key.name);
}

void KeyboardCtrl::paintEvent(QPaintEvent*) {
    std::vector<KeyInfo> keys;
    int mode = kKeyboardModeAssign;
    QString plate;
    QColor plateColour;
    int current = 0;
    {
        std::lock_guard lock(m_mutex);
        keys = m_keys;
        mode = m_mode;
        plate = m_plate;
        plateColour = FromBgr(m_plateColour);
        current = m_current;
    }
    const Placement place = Place();
    if (place.picture.isEmpty()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF plateRect(place.offset, place.picture * place.scale);
    const QPixmap plateImage = SkinImage::Load(plate);
    if (!plateImage.isNull()) {
        painter.drawPixmap(plateRect, plateImage, QRectF(plateImage.rect()));
    } else {
        QLinearGradient shade(plateRect.topLeft(), plateRect.bottomLeft());
        shade.setColorAt(0, plateColour.lighter(125));
        shade.setColorAt(1, plateColour);
        painter.setPen(QPen(QColor(0x3A, 0x3A, 0x40), 1));
        painter.setBrush(shade);
        const qreal radius = 14 * place.scale;
        painter.drawRoundedRect(plateRect.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    }
    for (const KeyInfo& key : keys) {
        const QRectF area(place.offset + QPointF(key.rect.topLeft()) * place.scale,
                          QSizeF(key.rect.size()) * place.scale);
        DrawKey(painter, key, area, mode, current,
                key.code == m_hovered && mode != kKeyboardModeMusic && isEnabled());
    }
    if (m_banding && !m_band.isEmpty()) {
        QColor fill = look::kAccent;
        fill.setAlpha(40);
        painter.setPen(QPen(look::kAccent, 1, Qt::DashLine));
        painter.setBrush(fill);
        painter.drawRect(m_band);
    }
}

}  // namespace zephyl::glint
