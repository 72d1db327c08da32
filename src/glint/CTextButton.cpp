// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/CTextButton.h"

#include "glint/Look.h"

#include <QPainter>

namespace zephyl::glint {

CTextButton::CTextButton(MDialog* owner, int id, QWidget* parent) : MButton(owner, id, parent) {}

void CTextButton::SetTextButtonColor(std::uint32_t background, std::uint32_t normal,
                                     std::uint32_t hover, std::uint32_t disabled) {
    {
        std::lock_guard lock(m_mutex);
        m_background = background;
        m_normal = normal;
        m_hover = hover;
        m_disabled = disabled;
    }
    Changed();
}

void CTextButton::PaintButton(QPainter& painter, int state) {
    std::uint32_t background = 0;
    std::uint32_t text = 0;
    {
        std::lock_guard lock(m_mutex);
        background = m_background;
        switch (state) {
            case look::kHover:
            case look::kPressed:
                text = m_hover;
                break;
            case look::kDisabled:
                text = m_disabled;
                break;
            default:
                text = m_normal;
        }
    }
    const bool hasFace = PaintFace(painter, rect(), state);
    // A skin face lights up on hover by itself, in the accent colour the hover text would have:
    // over a face the caption keeps its normal colour so it stays readable.
    if (hasFace && (state == look::kHover || state == look::kPressed)) {
        std::lock_guard lock(m_mutex);
        text = m_normal;
    }
    if (!hasFace && background != 0xFFFFFFFF) {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(FromArgb(background));
        painter.drawRoundedRect(rect(), 4, 4);
        painter.restore();
    }
    Caption caption = GetCaption();
    if (state == look::kHover) {
        caption.style |= kFontUnderline;
    }
    DrawCaption(painter, CaptionRect(4), caption, FromArgb(text));
}

}  // namespace zephyl::glint
