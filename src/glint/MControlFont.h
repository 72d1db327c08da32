// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControl.h"

#include <QFont>

namespace zephyl::glint {

/// A control with a caption: texts, buttons, fields.
class MControlFont : public MControl {
public:
    using MControl::MControl;

    void SetTitle(const QString& title);
    QString GetTitle() const;
    /// kAlignLeft, kAlignCenter or kAlignRight.
    void SetAlignment(int alignment);
    /// kAlignTop, kAlignCenter or kAlignBottom.
    void SetVAlignment(int alignment);
    /// Face (empty keeps the default), pixel size (0 keeps it) and kFont* style bits.
    void SetFont(const QString& face, int size, int style = 0);
    void SetFontSize(int size);
    /// Lets the caption wrap onto several lines.
    void SetMultiLine(bool multiLine);

protected:
    struct Caption {
        QString title;
        int alignment = kAlignLeft;
        int vAlignment = kAlignCenter;
        QString face;
        int size = 0;
        int style = 0;
        bool multiLine = false;
        std::uint32_t colour = 0xFFFFFFFF;
    };
    /// The caption as the model holds it now.
    Caption GetCaption() const;
    static QFont CaptionFont(const Caption& caption);
    static Qt::Alignment CaptionFlags(const Caption& caption);
    /// Draws the caption's text into `rect` with `colour`.
    void DrawCaption(QPainter& painter, const QRect& rect, const Caption& caption,
                     const QColor& colour) const;

    /// Default alignment of a control class before the window chooses one.
    void SetDefaultAlignment(int alignment, int vAlignment);

private:
    QString m_title;
    int m_alignment = kAlignLeft;
    int m_vAlignment = kAlignCenter;
    QString m_face;
    int m_size = 0;
    int m_style = 0;
    bool m_multiLine = false;
};

}  // namespace zephyl::glint
