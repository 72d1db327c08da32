// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/CCheckButton.h"

#include "glint/Look.h"
#include "glint/SkinImage.h"

#include <QPainter>

#include <algorithm>

namespace zephyl::glint {
namespace {

constexpr int kMarkerSide = 16;
constexpr int kCheckedStates = 4;

}  // namespace

CCheckButton::CCheckButton(MDialog* owner, int id, QWidget* parent) : MButton(owner, id, parent) {
    SetDefaultAlignment(kAlignLeft, kAlignCenter);
}

bool CCheckButton::StoreCheck(bool check) {
    std::lock_guard lock(m_mutex);
    const bool changed = m_check != check;
    m_check = check;
    return changed;
}

void CCheckButton::SetCheck(int check) {
    StoreCheck(check != 0);
    Changed();
}

int CCheckButton::GetCheck() const {
    std::lock_guard lock(m_mutex);
    return m_check ? 1 : 0;
}

void CCheckButton::OnClicked() {
    SetCheck(GetCheck() == 0 ? 1 : 0);
    Notify(kEventClick, GetCheck());
}

void CCheckButton::PaintButton(QPainter& painter, int state) {
    const bool checked = GetCheck() != 0;
    const Caption caption = GetCaption();
    const QPixmap marker = SkinImage::Load(GetImage());
    const int markerState = state + (checked ? kCheckedStates : 0);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    if (caption.title.isEmpty()) {
        // A marker alone (direction arrows and the like) fills the control.
        if (!marker.isNull()) {
            SkinImage::DrawStateCentred(painter, rect(), marker, GetImageStates(), markerState);
        } else {
            const int side = std::min(width(), height()) - 2;
            QRect box(0, 0, side, side);
            box.moveCenter(rect().center());
            look::DrawButtonFace(painter, box, state, checked);
        }
        return;
    }

    int side = kMarkerSide;
    if (!marker.isNull()) {
        side = SkinImage::StateRect(marker, GetImageStates(), 0).height();
    }
    side = std::min(side, height());
    const QRect box(0, (height() - side) / 2, side, side);
    if (!marker.isNull()) {
        SkinImage::DrawStateCentred(painter, box, marker, GetImageStates(), markerState);
    } else {
        look::DrawCheckMark(painter, box, checked, RoundMarker(), state);
    }
    const QColor colour = state == look::kDisabled ? look::kTextDisabled : FromArgb(caption.colour);
    DrawCaption(painter, rect().adjusted(side + 8, 0, 0, 0), caption, colour);
}

}  // namespace zephyl::glint
