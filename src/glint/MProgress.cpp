// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/MProgress.h"

#include "glint/Look.h"
#include "glint/SkinImage.h"

#include <QPainter>

#include <algorithm>

namespace zephyl::glint {

void MProgress::SetProgress(int position) {
    {
        std::lock_guard lock(m_mutex);
        m_position = std::clamp(position, 0, m_maximum);
    }
    Changed();
}

int MProgress::GetProgress() const {
    std::lock_guard lock(m_mutex);
    return m_position;
}

void MProgress::SetMaxProgress(int maximum) {
    {
        std::lock_guard lock(m_mutex);
        m_maximum = std::max(maximum, 1);
        m_position = std::clamp(m_position, 0, m_maximum);
    }
    Changed();
}

int MProgress::GetMaxProgress() const {
    std::lock_guard lock(m_mutex);
    return m_maximum;
}

void MProgress::paintEvent(QPaintEvent*) {
    int position = 0;
    int maximum = 1;
    {
        std::lock_guard lock(m_mutex);
        position = m_position;
        maximum = m_maximum;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect bar = rect();
    const QRect filled(bar.left(), bar.top(), bar.width() * position / maximum, bar.height());
    const QPixmap image = SkinImage::Load(GetImage());
    const qreal radius = height() / 2.0;
    if (!image.isNull()) {
        const QMargins ends(int(radius), 0, int(radius), 0);
        SkinImage::DrawStateNineSlice(painter, bar, image, 2, 0, ends);
        SkinImage::DrawStateNineSlice(painter, filled, image, 2, 1, ends);
        return;
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(look::kSurfaceHover);
    painter.drawRoundedRect(bar, radius, radius);
    if (!filled.isEmpty()) {
        painter.setBrush(look::kAccent);
        painter.drawRoundedRect(filled, radius, radius);
    }
}

}  // namespace zephyl::glint
