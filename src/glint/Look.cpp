// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/Look.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace zephyl::glint::look {

QFont DefaultFont(int pixelSize) {
    QFont font = QApplication::font();
    font.setPixelSize(pixelSize > 0 ? pixelSize : 13);
    return font;
}

void DrawButtonFace(QPainter& painter, const QRectF& rect, int state, bool accent, qreal radius) {
    QColor fill = kSurface;
    QColor border = kBorder;
    if (accent) {
        fill = state == kPressed ? kAccentDim : kAccent;
        border = fill.lighter(115);
        if (state == kHover) {
            fill = fill.lighter(112);
        }
    } else if (state == kHover) {
        fill = kSurfaceHover;
        border = kAccent;
    } else if (state == kPressed) {
        fill = kSurfacePressed;
        border = kAccentDim;
    }
    if (state == kDisabled) {
        fill = Dimmed(fill, 0.6);
        border = Dimmed(border, 0.6);
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(border, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    painter.restore();
}

void DrawFieldFrame(QPainter& painter, const QRectF& rect, int state, bool focused) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QColor border = focused ? kAccent : (state == kHover ? kTextDim : kBorder);
    QColor fill(0x1F, 0x1F, 0x22);
    if (state == kDisabled) {
        border = Dimmed(border, 0.6);
        fill = Dimmed(fill, 0.8);
    }
    painter.setPen(QPen(border, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    painter.restore();
}

void DrawCheckMark(QPainter& painter, const QRectF& rect, bool checked, bool round, int state) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QColor border = checked ? kAccent : (state == kHover ? kTextDim : kBorder);
    QColor fill = checked ? kAccent : QColor(0x1F, 0x1F, 0x22);
    if (state == kDisabled) {
        border = Dimmed(border, 0.5);
        fill = Dimmed(fill, 0.5);
    }
    const QRectF box = rect.adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(border, 1.2));
    if (round) {
        painter.setBrush(QColor(0x1F, 0x1F, 0x22));
        painter.drawEllipse(box);
        if (checked) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(fill);
            const qreal inset = box.width() * 0.27;
            painter.drawEllipse(box.adjusted(inset, inset, -inset, -inset));
        }
    } else {
        painter.setBrush(fill);
        painter.drawRoundedRect(box, 3, 3);
        if (checked) {
            QPainterPath tick;
            tick.moveTo(box.left() + box.width() * 0.22, box.top() + box.height() * 0.52);
            tick.lineTo(box.left() + box.width() * 0.42, box.top() + box.height() * 0.72);
            tick.lineTo(box.left() + box.width() * 0.78, box.top() + box.height() * 0.30);
            painter.setPen(QPen(kText, std::max<qreal>(1.5, box.width() / 8), Qt::SolidLine,
                                Qt::RoundCap, Qt::RoundJoin));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(tick);
        }
    }
    painter.restore();
}

void DrawDownArrow(QPainter& painter, const QRectF& rect, const QColor& colour) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal size = std::min(rect.width(), rect.height()) * 0.18;
    const QPointF centre = rect.center();
    QPainterPath arrow;
    arrow.moveTo(centre.x() - size, centre.y() - size / 2);
    arrow.lineTo(centre.x(), centre.y() + size / 2);
    arrow.lineTo(centre.x() + size, centre.y() - size / 2);
    painter.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(arrow);
    painter.restore();
}

QColor Dimmed(const QColor& colour, qreal factor) {
    return QColor::fromHsvF(colour.hsvHueF(), colour.hsvSaturationF(),
                            std::clamp(colour.valueF() * factor, 0.0, 1.0), colour.alphaF());
}

void StyleMenu(QMenu& menu) {
    menu.setFont(DefaultFont(13));
    menu.setStyleSheet(QStringLiteral(
        "QMenu { background: #26262A; color: #FFFFFF; border: 1px solid #4A4A50; padding: 4px; }"
        "QMenu::item { padding: 6px 24px 6px 16px; border-radius: 3px; }"
        "QMenu::item:selected { background: #FF7A1A; }"
        "QMenu::item:disabled { color: #6E6E72; }"
        "QMenu::separator { height: 1px; background: #4A4A50; margin: 4px 8px; }"));
}

QPalette DarkPalette() {
    QPalette palette;
    palette.setColor(QPalette::Window, kWindow);
    palette.setColor(QPalette::WindowText, kText);
    palette.setColor(QPalette::Base, kPanel);
    palette.setColor(QPalette::AlternateBase, kSurface);
    palette.setColor(QPalette::Text, kText);
    palette.setColor(QPalette::Button, kSurface);
    palette.setColor(QPalette::ButtonText, kText);
    palette.setColor(QPalette::Highlight, kAccent);
    palette.setColor(QPalette::HighlightedText, kText);
    palette.setColor(QPalette::ToolTipBase, kSurface);
    palette.setColor(QPalette::ToolTipText, kText);
    palette.setColor(QPalette::PlaceholderText, kTextDim);
    palette.setColor(QPalette::Light, kSurfaceHover);
    palette.setColor(QPalette::Midlight, kSurface);
    palette.setColor(QPalette::Mid, kBorder);
    palette.setColor(QPalette::Dark, kSurfacePressed);
    palette.setColor(QPalette::Shadow, kWindow);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, kTextDisabled);
    }
    return palette;
}

}  // namespace zephyl::glint::look
