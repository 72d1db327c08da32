// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/CHelpButton.h"

#include "glint/Look.h"
#include "glint/SkinImage.h"

#include <QLabel>
#include <QPainter>

namespace zephyl::glint {
namespace {

constexpr int kBubbleWidth = 320;

}  // namespace

CHelpButton::CHelpButton(MDialog* owner, int id, QWidget* parent) : MButton(owner, id, parent) {
    setCursor(Qt::WhatsThisCursor);
}

CHelpButton::~CHelpButton() {
    delete m_bubble;
}

void CHelpButton::SetAirbladderMode(int mode) {
    std::lock_guard lock(m_mutex);
    m_mode = mode;
}

int CHelpButton::GetAirbladderMode() const {
    std::lock_guard lock(m_mutex);
    return m_mode;
}

bool CHelpButton::IsBubbleShown() const {
    return m_bubble != nullptr && m_bubble->isVisible();
}

void CHelpButton::PaintButton(QPainter& painter, int state) {
    const QPixmap image = SkinImage::Load(GetImage());
    if (!image.isNull()) {
        SkinImage::DrawStateCentred(painter, rect(), image, GetImageStates(), state);
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    const int side = std::min(width(), height()) - 2;
    QRectF circle(0, 0, side, side);
    circle.moveCenter(QRectF(rect()).center());
    const QColor colour = state == look::kHover ? look::kAccent : look::kTextDim;
    painter.setPen(QPen(colour, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(circle);
    painter.setFont(look::DefaultFont(std::max(8, side * 2 / 3)));
    painter.drawText(circle, Qt::AlignCenter, QStringLiteral("?"));
}

void CHelpButton::enterEvent(QEnterEvent* event) {
    MButton::enterEvent(event);
    ShowBubble();
}

void CHelpButton::leaveEvent(QEvent* event) {
    MButton::leaveEvent(event);
    HideBubble();
}

void CHelpButton::hideEvent(QHideEvent* event) {
    HideBubble();
    MButton::hideEvent(event);
}

void CHelpButton::ShowBubble() {
    const QString text = GetTitle();
    if (text.isEmpty()) {
        return;
    }
    if (m_bubble == nullptr) {
        m_bubble = new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
        m_bubble->setWordWrap(true);
        m_bubble->setMargin(10);
        m_bubble->setFont(look::DefaultFont(12));
        m_bubble->setStyleSheet(
            QStringLiteral("QLabel { background: #2E2E32; color: #FFFFFF; "
                           "border: 1px solid #FF7A1A; border-radius: 4px; }"));
    }
    m_bubble->setText(text);
    m_bubble->setFixedWidth(kBubbleWidth);
    m_bubble->adjustSize();
    const QPoint anchor =
        GetAirbladderMode() == 1
            ? mapToGlobal(QPoint(width() + 6, -m_bubble->height() / 2 + height() / 2))
            : mapToGlobal(QPoint(0, height() + 6));
    m_bubble->move(anchor);
    m_bubble->show();
}

void CHelpButton::HideBubble() {
    if (m_bubble != nullptr) {
        m_bubble->hide();
    }
}

}  // namespace zephyl::glint
