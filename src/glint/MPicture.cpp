// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/MPicture.h"

#include "glint/SkinImage.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace zephyl::glint {

MPicture::MPicture(MDialog* owner, int id, QWidget* parent) : MControl(owner, id, parent) {}

void MPicture::SetShowMode(int mode, int value) {
    {
        std::lock_guard lock(m_mutex);
        m_mode = mode;
        m_value = value;
    }
    Changed();
}

int MPicture::GetShowMode() const {
    std::lock_guard lock(m_mutex);
    return m_mode;
}

void MPicture::SyncExtra() {
    // A stretched picture without transparency covers all it owns: what lies beneath (the
    // window's own background) is then not painted under it on every frame of an animation.
    const bool stretched = GetShowMode() == 1;
    const QPixmap picture = stretched ? SkinImage::Load(GetImage()) : QPixmap();
    setAttribute(Qt::WA_OpaquePaintEvent, !picture.isNull() && !picture.hasAlphaChannel());
}

void MPicture::paintEvent(QPaintEvent* event) {
    int mode = 0;
    int value = 0;
    {
        std::lock_guard lock(m_mutex);
        mode = m_mode;
        value = m_value;
    }
    const QPixmap picture = SkinImage::Load(GetImage());
    if (picture.isNull()) {
        return;
    }
    const int states = GetImageStates();
    const int state = (m_hovered && states > 1) ? 1 : 0;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    switch (mode) {
        case 1: {
            // A window background under a small animation is drawn part by part of the region
            // to repaint, each clipped to its own rectangle: one call over a ragged region, or
            // a clip of the whole region, would go span by span (the raster engine builds a
            // span list of the region, megabytes for a window of sparks) and share the work
            // out to helper threads on every frame. At its own size a part is copied
            // straight. Stretched, it is sampled without smoothing, so that every part maps
            // the picture exactly as the whole does and the parts meet without seams; the
            // stretched pictures are soft backgrounds, where smoothing shows no difference.
            const QRect source = SkinImage::StateRect(picture, states, state);
            const double sx = double(source.width()) / std::max(width(), 1);
            const double sy = double(source.height()) / std::max(height(), 1);
            painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
            for (const QRect& part : event->region()) {
                painter.setClipRect(part);
                if (source.size() == size()) {
                    painter.drawPixmap(part, picture, part.translated(source.topLeft()));
                } else {
                    painter.drawPixmap(
                        QRectF(part), picture,
                        QRectF(source.x() + part.x() * sx, source.y() + part.y() * sy,
                               part.width() * sx, part.height() * sy));
                }
            }
            break;
        }
        case 2: {
            const QRect source = SkinImage::StateRect(picture, states, state);
            QRect place(QPoint(0, 0), source.size().scaled(size(), Qt::KeepAspectRatio));
            place.moveCenter(rect().center());
            painter.drawPixmap(place, picture, source);
            break;
        }
        case 3:
            SkinImage::DrawStateNineSlice(painter, rect(), picture, states, state,
                                          QMargins(value, value, value, value));
            break;
        default:
            SkinImage::DrawStateCentred(painter, rect(), picture, states, state);
    }
}

void MPicture::enterEvent(QEnterEvent*) {
    m_hovered = true;
    update();
}

void MPicture::leaveEvent(QEvent*) {
    m_hovered = false;
    m_pressed = false;
    update();
}

void MPicture::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        event->accept();
        return;
    }
    MControl::mousePressEvent(event);
}

void MPicture::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_pressed) {
        m_pressed = false;
        if (rect().contains(event->position().toPoint())) {
            Notify(kEventClick);
        }
        event->accept();
        return;
    }
    MControl::mouseReleaseEvent(event);
}

}  // namespace zephyl::glint
