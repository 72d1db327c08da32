// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/LCDPalette.h"

#include "glint/Look.h"
#include "glint/PaletteMath.h"
#include "glint/SkinImage.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace zephyl::glint {
namespace {

constexpr int kMarkWidth = 6;
constexpr int kGradientStops = 24;

}  // namespace

std::uint32_t LCDPaletteBar::GetSelectColor() const {
    std::lock_guard lock(m_mutex);
    return m_colour;
}

qreal LCDPaletteBar::GetFraction() const {
    std::lock_guard lock(m_mutex);
    return m_fraction;
}

void LCDPaletteBar::Store(qreal fraction, std::uint32_t bgr) {
    {
        std::lock_guard lock(m_mutex);
        m_fraction = std::clamp(fraction, 0.0, 1.0);
        m_colour = bgr & 0xFFFFFF;
    }
    Changed();
}

QRect LCDPaletteBar::BarRect() const {
    return rect().adjusted(kMarkWidth / 2, 2, -kMarkWidth / 2, -2);
}

void LCDPaletteBar::PickAt(qreal x) {
    const QRect bar = BarRect();
    const qreal fraction = std::clamp((x - bar.left()) / std::max(bar.width(), 1), 0.0, 1.0);
    Store(fraction, ToBgr(ColourAt(fraction)));
}

void LCDPaletteBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect bar = BarRect();
    const QPixmap image = DrawsImage() ? SkinImage::Load(GetImage()) : QPixmap();
    if (!image.isNull()) {
        painter.drawPixmap(bar, image);
    } else {
        QLinearGradient gradient(bar.topLeft(), bar.topRight());
        for (int i = 0; i <= kGradientStops; ++i) {
            const qreal at = qreal(i) / kGradientStops;
            gradient.setColorAt(at, ColourAt(at));
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(gradient);
        painter.drawRoundedRect(bar, 3, 3);
    }
    if (!isEnabled()) {
        painter.fillRect(bar, QColor(0x1B, 0x1B, 0x1D, 150));
    }
    const int x = bar.left() + int(GetFraction() * bar.width());
    const QRectF mark(x - kMarkWidth / 2.0, 0.5, kMarkWidth, height() - 1.0);
    painter.setPen(QPen(QColor(0, 0, 0, 170), 1));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(mark, 2, 2);
}

void LCDPaletteBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        MControl::mousePressEvent(event);
        return;
    }
    m_dragging = true;
    PickAt(event->position().x());
    event->accept();
}

void LCDPaletteBar::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging) {
        PickAt(event->position().x());
        event->accept();
        return;
    }
    MControl::mouseMoveEvent(event);
}

void LCDPaletteBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_dragging) {
        m_dragging = false;
        PickAt(event->position().x());
        event->accept();
        Notify(kEventClick, int(GetSelectColor()));
        return;
    }
    MControl::mouseReleaseEvent(event);
}

void LCDPalette2::SetSelectColor(std::uint32_t bgr) {
    Store(palette::HueBarFraction(FromBgr(bgr)), bgr);
}

QColor LCDPalette2::ColourAt(qreal fraction) const {
    return palette::HueBarColour(fraction);
}

LCDPalette3::LCDPalette3(MDialog* owner, int id, QWidget* parent)
    : LCDPaletteBar(owner, id, parent) {
    Store(0.5, m_base);
}

void LCDPalette3::SetSelectColor(std::uint32_t bgr) {
    {
        std::lock_guard lock(m_mutex);
        m_base = bgr & 0xFFFFFF;
    }
    Store(0.5, bgr);
}

void LCDPalette3::SetBaseColor(std::uint32_t bgr) {
    {
        std::lock_guard lock(m_mutex);
        m_base = bgr & 0xFFFFFF;
    }
    const qreal fraction = GetFraction();
    Store(fraction, ToBgr(ColourAt(fraction)));
}

std::uint32_t LCDPalette3::GetBaseColor() const {
    std::lock_guard lock(m_mutex);
    return m_base;
}

QColor LCDPalette3::ColourAt(qreal fraction) const {
    return palette::ShadeBarColour(FromBgr(GetBaseColor()), fraction);
}

}  // namespace zephyl::glint
