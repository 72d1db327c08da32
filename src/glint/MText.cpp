// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/MText.h"

#include <QPainter>

namespace zephyl::glint {

MText::MText(MDialog* owner, int id, QWidget* parent) : MControlFont(owner, id, parent) {
    SetPassive(true);
}

void MText::paintEvent(QPaintEvent*) {
    const Caption caption = GetCaption();
    QPainter painter(this);
    DrawCaption(painter, rect(), caption, FromArgb(caption.colour));
}

}  // namespace zephyl::glint
