// SPDX-License-Identifier: GPL-2.0-or-later
#include "LayoutPreview.h"

#include <QPainter>

#include <algorithm>

namespace zephyl {

LayoutPreview::LayoutPreview(QWidget* parent) : QWidget(parent) {
    setMinimumHeight(200);
}

void LayoutPreview::SetLayout(const KeyboardLayout& layout) {
    m_layout = layout;
    update();
}

void LayoutPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int width = m_layout.keyboardRect.right - m_layout.keyboardRect.left;
    const int height = m_layout.keyboardRect.bottom - m_layout.keyboardRect.top;
    if (width <= 0 || height <= 0) {
        return;
    }
    const double scale = std::min(this->width() / double(width), this->height() / double(height));
    painter.translate((this->width() - width * scale) / 2, (this->height() - height * scale) / 2);
    painter.scale(scale, scale);
    painter.setBrush(QColor(0x1E, 0x1E, 0x1E));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(0, 0, width, height), 12, 12);
    QFont font = painter.font();
    font.setPixelSize(11);
    painter.setFont(font);
    for (const auto& key : m_layout.keys) {
        const QRectF rect(key.rect.left, key.rect.top, key.rect.right - key.rect.left,
                          key.rect.bottom - key.rect.top);
        painter.setPen(QColor(0x55, 0x55, 0x5A));
        painter.setBrush(QColor(0x2C, 0x2C, 0x30));
        painter.drawRoundedRect(rect, 4, 4);
        painter.setPen(QColor(0xE0, 0xE0, 0xE0));
        painter.drawText(rect, Qt::AlignCenter | Qt::TextWordWrap,
                         QString::fromStdString(key.name));
    }
}

}  // namespace zephyl
