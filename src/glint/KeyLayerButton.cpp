// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/KeyLayerButton.h"

#include "glint/Look.h"
#include "glint/SkinImage.h"

#include <QPainter>

namespace zephyl::glint {
namespace {

constexpr int kCheckedStates = 4;

}  // namespace

void KeyLayerButton::SetCheck(int check) {
    {
        std::lock_guard lock(m_mutex);
        m_check = check != 0;
    }
    Changed();
}

int KeyLayerButton::GetCheck() const {
    std::lock_guard lock(m_mutex);
    return m_check ? 1 : 0;
}

void KeyLayerButton::OnClicked() {
    SetCheck(1);
    Notify(kEventClick, 1);
}

void KeyLayerButton::PaintButton(QPainter& painter, int state) {
    const bool checked = GetCheck() != 0;
    const QPixmap face = SkinImage::Load(GetImage());
    if (!face.isNull()) {
        SkinImage::DrawStateNineSlice(painter, rect(), face, GetImageStates(),
                                      state + (checked ? kCheckedStates : 0), QMargins(8, 8, 8, 8));
    } else {
        look::DrawButtonFace(painter, rect(), state, checked, height() / 2.0);
    }
    const Caption caption = GetCaption();
    const QColor colour = checked ? look::kText : look::kTextDim;
    DrawCaption(painter, rect().adjusted(8, 0, -8, 0), caption,
                state == look::kDisabled ? look::kTextDisabled : colour);
}

}  // namespace zephyl::glint
