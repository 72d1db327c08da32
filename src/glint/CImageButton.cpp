// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/CImageButton.h"

#include "glint/Look.h"
#include "glint/SkinImage.h"

#include <QPainter>

#include <algorithm>

namespace zephyl::glint {

void CImageButton::PaintButton(QPainter& painter, int state) {
    const QPixmap image = SkinImage::Load(GetImage());
    if (!image.isNull()) {
        SkinImage::DrawStateCentred(painter, rect(), image, GetImageStates(), state);
        return;
    }
    look::DrawButtonFace(painter, rect(), state);
    const QString tip = GetTooltip().isEmpty() ? GetTitle() : GetTooltip();
    if (!tip.isEmpty()) {
        painter.setFont(look::DefaultFont(std::max(9, height() / 2)));
        painter.setPen(state == look::kDisabled ? look::kTextDisabled : look::kText);
        painter.drawText(rect(), Qt::AlignCenter, tip.left(1).toUpper());
    }
}

}  // namespace zephyl::glint
