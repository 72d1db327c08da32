// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/MButton.h"

#include "glint/Look.h"
#include "glint/SkinImage.h"

#include <QMouseEvent>
#include <QPainter>

namespace zephyl::glint {
namespace {

constexpr int kFaceBorder = 8;

}  // namespace

MButton::MButton(MDialog* owner, int id, QWidget* parent) : MControlFont(owner, id, parent) {
    SetDefaultAlignment(kAlignCenter, kAlignCenter);
    setCursor(Qt::PointingHandCursor);
}

bool MButton::PaintFace(QPainter& painter, const QRect& rect, int state) {
    const QPixmap face = SkinImage::Load(GetImage());
    if (face.isNull()) {
        return false;
    }
    SkinImage::DrawStateNineSlice(painter, rect, face, GetImageStates(), state,
                                  QMargins(kFaceBorder, kFaceBorder, kFaceBorder, kFaceBorder));
    return true;
}

void MButton::PaintButton(QPainter& painter, int state) {
    if (!PaintFace(painter, rect(), state)) {
        look::DrawButtonFace(painter, rect(), state);
    }
    const Caption caption = GetCaption();
    DrawCaption(painter, CaptionRect(6), caption, FromArgb(caption.colour));
}

void MButton::SetCaptionIndent(int pixels) {
    m_captionIndent = pixels;
    Changed();
}

QRect MButton::CaptionRect(int margin) const {
    return rect().adjusted(margin + m_captionIndent.load(), 0, -margin, 0);
}

void MButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    PaintButton(painter, ButtonState());
}

void MButton::enterEvent(QEnterEvent*) {
    m_hovered = true;
    update();
}

void MButton::leaveEvent(QEvent*) {
    m_hovered = false;
    update();
}

void MButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        m_hovered = true;
        update();
        event->accept();
        return;
    }
    MControlFont::mousePressEvent(event);
}

void MButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_pressed) {
        m_pressed = false;
        update();
        event->accept();
        if (rect().contains(event->position().toPoint())) {
            OnClicked();
        }
        return;
    }
    MControlFont::mouseReleaseEvent(event);
}

}  // namespace zephyl::glint
