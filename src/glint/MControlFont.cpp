// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/MControlFont.h"

#include "glint/TextFit.h"

#include "glint/Look.h"

#include <QPainter>

namespace zephyl::glint {

void MControlFont::SetTitle(const QString& title) {
    {
        std::lock_guard lock(m_mutex);
        m_title = title;
    }
    Changed();
}

QString MControlFont::GetTitle() const {
    std::lock_guard lock(m_mutex);
    return m_title;
}

void MControlFont::SetAlignment(int alignment) {
    {
        std::lock_guard lock(m_mutex);
        m_alignment = alignment;
    }
    Changed();
}

void MControlFont::SetVAlignment(int alignment) {
    {
        std::lock_guard lock(m_mutex);
        m_vAlignment = alignment;
    }
    Changed();
}

void MControlFont::SetFont(const QString& face, int size, int style) {
    {
        std::lock_guard lock(m_mutex);
        m_face = face;
        m_size = size;
        m_style = style;
    }
    Changed();
}

void MControlFont::SetFontSize(int size) {
    {
        std::lock_guard lock(m_mutex);
        m_size = size;
    }
    Changed();
}

void MControlFont::SetMultiLine(bool multiLine) {
    {
        std::lock_guard lock(m_mutex);
        m_multiLine = multiLine;
    }
    Changed();
}

void MControlFont::SetDefaultAlignment(int alignment, int vAlignment) {
    std::lock_guard lock(m_mutex);
    m_alignment = alignment;
    m_vAlignment = vAlignment;
}

MControlFont::Caption MControlFont::GetCaption() const {
    Caption caption;
    caption.colour = GetTextColor();
    std::lock_guard lock(m_mutex);
    caption.title = m_title;
    caption.alignment = m_alignment;
    caption.vAlignment = m_vAlignment;
    caption.face = m_face;
    caption.size = m_size;
    caption.style = m_style;
    caption.multiLine = m_multiLine;
    return caption;
}

QFont MControlFont::CaptionFont(const Caption& caption) {
    QFont font = look::DefaultFont(caption.size);
    if (!caption.face.isEmpty()) {
        // An absent face falls back to the default family rather than to an odd substitute.
        font.setFamilies({caption.face, look::DefaultFont().family()});
    }
    font.setBold((caption.style & kFontBold) != 0);
    font.setItalic((caption.style & kFontItalic) != 0);
    font.setUnderline((caption.style & kFontUnderline) != 0);
    font.setStrikeOut((caption.style & kFontStrikeOut) != 0);
    return font;
}

Qt::Alignment MControlFont::CaptionFlags(const Caption& caption) {
    Qt::Alignment flags;
    switch (caption.alignment) {
        case kAlignCenter:
            flags |= Qt::AlignHCenter;
            break;
        case kAlignRight:
            flags |= Qt::AlignRight;
            break;
        default:
            flags |= Qt::AlignLeft;
    }
    switch (caption.vAlignment) {
        case kAlignTop:
            flags |= Qt::AlignTop;
            break;
        case kAlignBottom:
            flags |= Qt::AlignBottom;
            break;
        default:
            flags |= Qt::AlignVCenter;
    }
    return flags;
}

void MControlFont::DrawCaption(QPainter& painter, const QRect& rect, const Caption& caption,
                               const QColor& colour) const {
    if (caption.title.isEmpty() || rect.isEmpty()) {
        return;
    }
    painter.save();
    painter.setPen(isEnabled() ? colour : look::Dimmed(colour, 0.5));
    const int flags =
        int(CaptionFlags(caption)) | (caption.multiLine ? Qt::TextWordWrap : Qt::TextSingleLine);
    const FittedText fitted =
        FitText(CaptionFont(caption), caption.title, rect, flags,
                QStringLiteral("%1 %2").arg(metaObject()->className()).arg(GetID()));
    painter.setFont(fitted.font);
    painter.drawText(rect, flags, fitted.text);
    painter.restore();
}

}  // namespace zephyl::glint
