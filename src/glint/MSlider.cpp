// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/MSlider.h"

#include "glint/Look.h"
#include "glint/SkinImage.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace zephyl::glint {
namespace {

constexpr int kTrackHeight = 4;
constexpr int kDefaultThumb = 14;

}  // namespace

MSlider::MSlider(MDialog* owner, int id, QWidget* parent) : MControl(owner, id, parent) {
    setCursor(Qt::PointingHandCursor);
}

void MSlider::SetProgress(int position) {
    {
        std::lock_guard lock(m_mutex);
        m_position = std::clamp(position, 0, m_maximum);
    }
    Changed();
}

int MSlider::GetProgress() const {
    std::lock_guard lock(m_mutex);
    return m_position;
}

void MSlider::SetMaxProgress(int maximum) {
    {
        std::lock_guard lock(m_mutex);
        m_maximum = std::max(maximum, 1);
        m_position = std::clamp(m_position, 0, m_maximum);
    }
    Changed();
}

int MSlider::GetMaxProgress() const {
    std::lock_guard lock(m_mutex);
    return m_maximum;
}

void MSlider::SetThumbImage(const QString& file, int states) {
    {
        std::lock_guard lock(m_mutex);
        m_thumb = file;
        m_thumbStates = std::max(states, 1);
    }
    Changed();
}

int MSlider::ThumbSide() const {
    QString thumb;
    {
        std::lock_guard lock(m_mutex);
        thumb = m_thumb;
    }
    const QPixmap image = SkinImage::Load(thumb);
    const int side = image.isNull() ? kDefaultThumb : image.height();
    return std::min(side, std::max(height(), 1));
}

QRect MSlider::TrackRect() const {
    const int half = ThumbSide() / 2;
    return QRect(half, (height() - kTrackHeight) / 2, std::max(width() - 2 * half, 1),
                 kTrackHeight);
}

int MSlider::PositionAt(int x) const {
    const QRect track = TrackRect();
    const int maximum = GetMaxProgress();
    const double fraction = std::clamp(double(x - track.left()) / track.width(), 0.0, 1.0);
    return int(std::lround(fraction * maximum));
}

void MSlider::paintEvent(QPaintEvent*) {
    int position = 0;
    int maximum = 1;
    QString thumbFile;
    int thumbStates = 4;
    {
        std::lock_guard lock(m_mutex);
        position = m_position;
        maximum = m_maximum;
        thumbFile = m_thumb;
        thumbStates = m_thumbStates;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect track = TrackRect();
    const int fillEnd = track.left() + track.width() * position / maximum;
    const QRect filled(track.left(), track.top(), fillEnd - track.left(), track.height());
    const bool enabled = isEnabled();

    const QPixmap back = SkinImage::Load(GetImage());
    if (!back.isNull()) {
        const QMargins ends(2, 0, 2, 0);
        SkinImage::DrawStateNineSlice(painter, track, back, 2, 0, ends);
        SkinImage::DrawStateNineSlice(painter, filled, back, 2, 1, ends);
    } else {
        painter.setPen(Qt::NoPen);
        painter.setBrush(look::kSurfaceHover);
        painter.drawRoundedRect(track, 2, 2);
        painter.setBrush(enabled ? look::kAccent : look::kTextDisabled);
        painter.drawRoundedRect(filled, 2, 2);
    }

    const int side = ThumbSide();
    QRect thumb(0, 0, side, side);
    thumb.moveCenter(QPoint(fillEnd, track.center().y()));
    const int state = WidgetState(m_dragging, m_hovered);
    const QPixmap thumbImage = SkinImage::Load(thumbFile);
    if (!thumbImage.isNull()) {
        SkinImage::DrawState(painter, thumb, thumbImage, thumbStates, state);
    } else {
        painter.setPen(QPen(enabled ? look::kAccent : look::kTextDisabled, 2));
        painter.setBrush(state == look::kHover || state == look::kPressed
                             ? look::kText
                             : QColor(0xE8, 0xE8, 0xE8));
        painter.drawEllipse(QRectF(thumb).adjusted(1, 1, -1, -1));
    }
}

void MSlider::enterEvent(QEnterEvent*) {
    m_hovered = true;
    update();
}

void MSlider::leaveEvent(QEvent*) {
    m_hovered = false;
    update();
}

void MSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        MControl::mousePressEvent(event);
        return;
    }
    m_dragging = true;
    SetProgress(PositionAt(int(event->position().x())));
    event->accept();
}

void MSlider::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging) {
        SetProgress(PositionAt(int(event->position().x())));
        event->accept();
        return;
    }
    MControl::mouseMoveEvent(event);
}

void MSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_dragging) {
        m_dragging = false;
        SetProgress(PositionAt(int(event->position().x())));
        event->accept();
        Notify(kEventClick, GetProgress());
        return;
    }
    MControl::mouseReleaseEvent(event);
}

}  // namespace zephyl::glint
