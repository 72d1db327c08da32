// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/MPicture.h"

#include "glint/SkinImage.h"

#include <QMouseEvent>
#include <QPainter>

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
            const QRect source = SkinImage::StateRect(picture, states, state);
            if (source.size() != size()) {
                SkinImage::DrawState(painter, rect(), picture, states, state);
                break;
            }
            // A window background under a small animation: drawn part by part, each part is
            // copied straight, while one call over a ragged region would go span by span and
            // share the work out to helper threads on every frame.
            for (const QRect& part : event->region()) {
                painter.drawPixmap(part, picture, part.translated(source.topLeft()));
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
