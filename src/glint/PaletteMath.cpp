// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/PaletteMath.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zephyl::glint::palette {

QColor WheelColour(const QPointF& offset, qreal radius) {
    const qreal distance = std::hypot(offset.x(), offset.y());
    qreal angle = std::atan2(-offset.y(), offset.x()) * 180.0 / std::numbers::pi;
    if (angle < 0) {
        angle += 360.0;
    }
    const qreal saturation = radius > 0 ? std::clamp(distance / radius, 0.0, 1.0) : 0.0;
    return QColor::fromHsvF(std::fmod(angle, 360.0) / 360.0, saturation, 1.0);
}

QPointF WheelOffset(const QColor& colour, qreal radius) {
    const qreal hue = std::max<qreal>(colour.hsvHueF(), 0.0) * 2.0 * std::numbers::pi;
    const qreal distance = colour.hsvSaturationF() * radius;
    return QPointF(std::cos(hue) * distance, -std::sin(hue) * distance);
}

QColor HueBarColour(qreal fraction) {
    const qreal hue = std::clamp(fraction, 0.0, 1.0);
    return QColor::fromHsvF(hue >= 1.0 ? 0.0 : hue, 1.0, 1.0);
}

qreal HueBarFraction(const QColor& colour) {
    return std::max<qreal>(colour.hsvHueF(), 0.0);
}

QColor ShadeBarColour(const QColor& base, qreal fraction) {
    const qreal t = std::clamp(fraction, 0.0, 1.0);
    const auto mix = [](int from, int to, qreal amount) {
        return int(std::lround(from + (to - from) * amount));
    };
    if (t <= 0.5) {
        const qreal amount = t / 0.5;
        return QColor(mix(0, base.red(), amount), mix(0, base.green(), amount),
                      mix(0, base.blue(), amount));
    }
    const qreal amount = (t - 0.5) / 0.5;
    return QColor(mix(base.red(), 255, amount), mix(base.green(), 255, amount),
                  mix(base.blue(), 255, amount));
}

}  // namespace zephyl::glint::palette
