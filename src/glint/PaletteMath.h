// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QColor>
#include <QPointF>

namespace zephyl::glint {

/// The colour geometry shared by the colour wheel, the colour bars and the skin images drawn
/// for them, so a picked point means the same colour whichever way the control is drawn.
namespace palette {

/// Colour at `offset` from the wheel's centre on a wheel of `radius`: the angle
/// (counter-clockwise from the right, screen y pointing down) is the hue, the distance the
/// saturation; full value. Points outside take the rim's colour.
QColor WheelColour(const QPointF& offset, qreal radius);
/// Where a colour sits on the wheel, as an offset from the centre (its value is ignored).
QPointF WheelOffset(const QColor& colour, qreal radius);

/// The hue bar: fraction 0..1 from left to right runs once round the hues.
QColor HueBarColour(qreal fraction);
/// Where a colour's hue sits on the hue bar.
qreal HueBarFraction(const QColor& colour);

/// The shade bar of `base`: black at 0, the base at 0.5, white at 1.
QColor ShadeBarColour(const QColor& base, qreal fraction);

}  // namespace palette
}  // namespace zephyl::glint
