// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControlFont.h"

#include <atomic>

namespace zephyl::glint {

/// A push button with a caption over a four-state image strip (normal, hover, pressed,
/// disabled). A click reports event 2.
class MButton : public MControlFont {
public:
    static constexpr const char* kClassName = "MButton";
    MButton(MDialog* owner, int id, QWidget* parent);
    const char* ClassName() const override { return kClassName; }

    /// Keeps the caption `pixels` further from the left edge: room for a glyph that the face
    /// image draws there. Any thread.
    void SetCaptionIndent(int pixels);

protected:
    /// Window thread: a completed click. The default reports event 2 with value 0.
    virtual void OnClicked() { Notify(kEventClick); }
    /// Draws the button in `state` (look::State).
    virtual void PaintButton(QPainter& painter, int state);
    /// The image strip's face, borders kept; false when the image is missing.
    bool PaintFace(QPainter& painter, const QRect& rect, int state);

    int ButtonState() const { return WidgetState(m_pressed && m_hovered, m_hovered); }
    /// The room the caption has inside the button, `margin` on each side plus the indent.
    QRect CaptionRect(int margin) const;
    bool IsHovered() const { return m_hovered; }

    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::atomic<int> m_captionIndent{0};
    bool m_hovered = false;  // window thread
    bool m_pressed = false;  // window thread
};

}  // namespace zephyl::glint
