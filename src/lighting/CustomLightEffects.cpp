// SPDX-License-Identifier: GPL-2.0-or-later
#include "lighting/CustomLightEffects.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zephyl {
namespace {

constexpr int kSlowestPeriodMs = 4000;
constexpr int kPeriodStepMs = 220;
constexpr int kFullLevel = 255;
constexpr int kPlaceScale = 1000;
constexpr double kPi = 3.14159265358979323846;

/// Where in its cycle a key is, 0 ≤ phase < 1, counting the key's light_type head start.
double CyclePhase(std::int64_t timeMs, int periodMs, int lightType, std::int64_t* cycle = nullptr) {
    const std::int64_t shifted =
        timeMs + static_cast<std::int64_t>(periodMs) *
                     (((lightType % kCustomLightPhaseSteps) + kCustomLightPhaseSteps) %
                      kCustomLightPhaseSteps) /
                     kCustomLightPhaseSteps;
    const std::int64_t wrapped = ((shifted % periodMs) + periodMs) % periodMs;
    if (cycle) {
        *cycle = (shifted - wrapped) / periodMs;
    }
    return static_cast<double>(wrapped) / periodMs;
}

int Level(double share) {
    return std::clamp(static_cast<int>(std::lround(share * kFullLevel)), 0, kFullLevel);
}

/// Multicolour keys take their colour from `hue`, the others keep theirs.
std::uint32_t ColourOf(const KeyEffect& effect, double hue) {
    return effect.colourType != 0 ? HueColour(static_cast<int>(std::lround(hue))) : effect.colour;
}

KeyLook Lit(std::uint32_t colour, int level) {
    return {colour, level, true};
}

}  // namespace

int EffectPeriodMs(int speed) {
    return kSlowestPeriodMs - std::clamp(speed, 0, kCustomLightMaxSpeed) * kPeriodStepMs;
}

std::uint32_t HueColour(int hue) {
    const int h = ((hue % 360) + 360) % 360;
    const int sector = h / 60;
    const int rising = (h % 60) * 255 / 60;
    const int falling = 255 - rising;
    int red = 0;
    int green = 0;
    int blue = 0;
    switch (sector) {
        case 0:
            red = 255;
            green = rising;
            break;
        case 1:
            red = falling;
            green = 255;
            break;
        case 2:
            green = 255;
            blue = rising;
            break;
        case 3:
            green = falling;
            blue = 255;
            break;
        case 4:
            red = rising;
            blue = 255;
            break;
        default:
            red = 255;
            blue = falling;
            break;
    }
    return static_cast<std::uint32_t>(red) | (static_cast<std::uint32_t>(green) << 8) |
           (static_cast<std::uint32_t>(blue) << 16);
}

KeyLook EvaluateKeyEffect(const KeyEffect& effect, const KeyPlace& place, int speed,
                          std::int64_t timeMs) {
    const int period = EffectPeriodMs(speed);
    const double x = std::clamp(place.x, 0, kPlaceScale) / double(kPlaceScale);
    switch (effect.lightMode) {
        case kCustomLightAlwaysOn:
            // A still rainbow across the keyboard for multicolour keys.
            return Lit(ColourOf(effect, x * 300), kFullLevel);
        case kCustomLightBreathing: {
            std::int64_t cycle = 0;
            const double phase = CyclePhase(timeMs, period, effect.lightType, &cycle);
            // Multicolour keys change colour with every breath, while dark.
            return Lit(ColourOf(effect, double(cycle % 6) * 60),
                       Level((1 - std::cos(2 * kPi * phase)) / 2));
        }
        case kCustomLightSpectrum: {
            const double phase = CyclePhase(timeMs, period * 2, effect.lightType);
            return Lit(HueColour(static_cast<int>(std::lround(phase * 360))), kFullLevel);
        }
        case kCustomLightReactive: {
            // A key that reacts lights at once and dies away within a third of its cycle; the
            // picture plays the presses one cycle of three apart.
            std::int64_t cycle = 0;
            const double phase = CyclePhase(timeMs, period * 3, effect.lightType, &cycle);
            const int level = Level(1 - phase * 3);
            if (level == 0) {
                return {};
            }
            return Lit(ColourOf(effect, double(cycle % 6) * 60), level);
        }
        case kCustomLightRipple: {
            // Rings run out from the middle of the keyboard.
            const double dx = x - 0.5;
            const double dy = (std::clamp(place.y, 0, kPlaceScale) / double(kPlaceScale) - 0.5) / 3;
            const double distance = std::min(1.0, std::sqrt(dx * dx + dy * dy) * 2);
            const double phase = CyclePhase(timeMs, period, effect.lightType);
            double apart = std::fabs(phase - distance);
            apart = std::min(apart, 1 - apart);
            const int level = Level(1 - apart * 4);
            if (level == 0) {
                return {};
            }
            return Lit(ColourOf(effect, distance * 300), level);
        }
        case kCustomLightFlash: {
            const double phase = CyclePhase(timeMs, period, effect.lightType);
            if (phase >= 0.5) {
                return {};
            }
            return Lit(ColourOf(effect, phase * 720), kFullLevel);
        }
        case kCustomLightWave: {
            // A crest runs from left to right.
            const double phase = CyclePhase(timeMs, period, effect.lightType) - x;
            return Lit(ColourOf(effect, (phase + 1) * 360),
                       Level((1 + std::cos(2 * kPi * phase)) / 2));
        }
        case kCustomLightFadeOut: {
            std::int64_t cycle = 0;
            const double phase = CyclePhase(timeMs, period, effect.lightType, &cycle);
            const int level = Level(1 - phase);
            if (level == 0) {
                return {};
            }
            return Lit(ColourOf(effect, double(cycle % 6) * 60), level);
        }
        default:
            return {};
    }
}

int EffectHiddenControls(int lightMode) {
    switch (lightMode) {
        case kCustomLightAlwaysOn:
            return kHideSpeed | kHideColourButton | kHideMulticolour | kClearMulticolour;
        case kCustomLightSpectrum:
            return kHideColourButton | kHideMulticolour;
        case kCustomLightOff:
            return kHideWholeGroup;
        default:
            return kHideNothing;
    }
}

}  // namespace zephyl
