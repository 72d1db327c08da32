// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/CDeviceList.h"

#include "glint/Look.h"
#include "glint/SkinImage.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace zephyl::glint {
namespace {

constexpr int kCardWidth = 220;
constexpr int kCardGap = 16;
constexpr int kNameHeight = 24;

}  // namespace

CDeviceList::CDeviceList(MDialog* owner, int id, QWidget* parent) : MControl(owner, id, parent) {
    setMouseTracking(true);
}

int CDeviceList::AddDevice(const QString& name, int deviceType, const QString& disconnectedPicture,
                           const QString& connectedPicture) {
    int index = 0;
    {
        std::lock_guard lock(m_mutex);
        m_devices.push_back({name, deviceType, disconnectedPicture, connectedPicture, 0});
        index = int(m_devices.size()) - 1;
    }
    Changed();
    return index;
}

void CDeviceList::ClearList() {
    {
        std::lock_guard lock(m_mutex);
        m_devices.clear();
        m_selected = -1;
    }
    Changed();
}

int CDeviceList::GetDeviceCount() const {
    std::lock_guard lock(m_mutex);
    return int(m_devices.size());
}

int CDeviceList::GetSelectDevice() const {
    std::lock_guard lock(m_mutex);
    return m_selected < 0 ? 0 : m_devices[m_selected].type;
}

int CDeviceList::GetSelectIndex() const {
    std::lock_guard lock(m_mutex);
    return m_selected;
}

void CDeviceList::SetSelectDevice(int deviceType) {
    {
        std::lock_guard lock(m_mutex);
        const auto found =
            std::find_if(m_devices.begin(), m_devices.end(),
                         [deviceType](const Device& d) { return d.type == deviceType; });
        if (found != m_devices.end()) {
            m_selected = int(found - m_devices.begin());
        } else if (m_selected < 0 && !m_devices.empty()) {
            m_selected = 0;
        }
    }
    Changed();
}

void CDeviceList::SetDeviceState(int deviceType, int state) {
    {
        std::lock_guard lock(m_mutex);
        for (Device& device : m_devices) {
            if (device.type == deviceType) {
                device.state = state;
            }
        }
    }
    Changed();
}

void CDeviceList::SetAllDeviceState(int state) {
    {
        std::lock_guard lock(m_mutex);
        for (Device& device : m_devices) {
            device.state = state;
        }
    }
    Changed();
}

int CDeviceList::GetDeviceState(int deviceType) const {
    std::lock_guard lock(m_mutex);
    for (const Device& device : m_devices) {
        if (device.type == deviceType) {
            return device.state;
        }
    }
    return 0;
}

QRect CDeviceList::CardRect(int index) const {
    const int count = GetDeviceCount();
    const int total = count * kCardWidth + std::max(count - 1, 0) * kCardGap;
    // Cards are centred while they fit, and start at the left edge when they do not.
    const int left = std::max((width() - total) / 2, 0);
    return QRect(left + index * (kCardWidth + kCardGap), 0, kCardWidth, height());
}

int CDeviceList::IndexAt(const QPoint& point) const {
    const int count = GetDeviceCount();
    for (int i = 0; i < count; ++i) {
        if (CardRect(i).contains(point)) {
            return i;
        }
    }
    return -1;
}

void CDeviceList::paintEvent(QPaintEvent* event) {
    std::vector<Device> devices;
    int selected = -1;
    {
        std::lock_guard lock(m_mutex);
        devices = m_devices;
        selected = m_selected;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int i = 0; i < int(devices.size()); ++i) {
        const Device& device = devices[i];
        const QRect card = CardRect(i);
        if (!event->region().intersects(card)) {
            continue;
        }
        const bool connected = device.state != 0;
        QColor border = look::kBorder;
        if (i == selected) {
            border = look::kAccent;
        } else if (i == m_hovered) {
            border = look::kTextDim;
        }
        painter.setPen(QPen(border, i == selected ? 2 : 1));
        painter.setBrush(QColor(0x22, 0x22, 0x25, 220));
        painter.drawRoundedRect(QRectF(card).adjusted(1, 1, -1, -1), 8, 8);

        const QRect pictureArea = card.adjusted(10, 8, -10, -kNameHeight - 6);
        const QPixmap picture =
            SkinImage::Load(connected ? device.connectedPicture : device.disconnectedPicture);
        if (!picture.isNull()) {
            SkinImage::DrawStateCentred(painter, pictureArea, picture, 1, 0);
        } else {
            // A keyboard outline stands in for a missing picture.
            QRectF outline(0, 0, pictureArea.width() * 0.8, pictureArea.height() * 0.55);
            outline.moveCenter(QRectF(pictureArea).center());
            painter.setPen(QPen(connected ? look::kText : look::kTextDisabled, 1.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(outline, 6, 6);
        }
        const QRect nameArea(card.left() + 24, card.bottom() - kNameHeight - 4, card.width() - 34,
                             kNameHeight);
        painter.setPen(Qt::NoPen);
        painter.setBrush(connected ? QColor(0x4C, 0xC2, 0x5A) : look::kTextDisabled);
        painter.drawEllipse(QRectF(card.left() + 12, nameArea.center().y() - 3.5, 7, 7));
        painter.setFont(look::DefaultFont(13));
        painter.setPen(connected ? look::kText : look::kTextDim);
        painter.drawText(
            nameArea, Qt::AlignLeft | Qt::AlignVCenter,
            painter.fontMetrics().elidedText(device.name, Qt::ElideRight, nameArea.width()));
    }
}

void CDeviceList::mouseMoveEvent(QMouseEvent* event) {
    const int index = IndexAt(event->position().toPoint());
    if (index != m_hovered) {
        m_hovered = index;
        update();
    }
    MControl::mouseMoveEvent(event);
}

void CDeviceList::leaveEvent(QEvent*) {
    m_hovered = -1;
    update();
}

void CDeviceList::mousePressEvent(QMouseEvent* event) {
    const int index = IndexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index >= 0) {
        m_pressed = index;
        event->accept();
        return;
    }
    MControl::mousePressEvent(event);
}

void CDeviceList::mouseReleaseEvent(QMouseEvent* event) {
    const int index = IndexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && m_pressed >= 0) {
        const bool same = index == m_pressed;
        m_pressed = -1;
        event->accept();
        if (same) {
            {
                std::lock_guard lock(m_mutex);
                m_selected = index;
            }
            Changed();
            Notify(kEventClick, index);
        }
        return;
    }
    MControl::mouseReleaseEvent(event);
}

}  // namespace zephyl::glint
