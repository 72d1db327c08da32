// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControl.h"

#include <QImage>

namespace zephyl::glint {

/// A colour wheel. Pressing and dragging moves the mark; releasing reports event 27 and then
/// event 2, both with the chosen colour (0x00BBGGRR).
class CirclePalette : public MControl {
public:
    static constexpr const char* kClassName = "CirclePalette";
    CirclePalette(MDialog* owner, int id, QWidget* parent);
    const char* ClassName() const override { return kClassName; }

    /// Moves the mark to the colour's hue and saturation; the colour is kept as given.
    void SetColor(std::uint32_t bgr);
    std::uint32_t GetColor() const;

    /// The wheel's centre and radius in the control; window thread.
    QPointF WheelCentre() const;
    qreal WheelRadius() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void PickAt(const QPointF& point);
    const QImage& ComputedWheel(int side);

    std::uint32_t m_colour = 0xFFFFFF;

    // Window thread only.
    bool m_dragging = false;
    QImage m_wheel;
};

}  // namespace zephyl::glint
