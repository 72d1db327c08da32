// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The per-key effects of custom lighting as pure functions of time: what a key looks like at a
// moment, given its effect, colour, colour type, light_type and place on the keyboard.

#include <cstdint>

namespace zephyl {

/// The `light_mode` values of the per-key effects.
enum CustomLightEffect : int {
    kCustomLightOff = 0,
    kCustomLightAlwaysOn = 1,
    kCustomLightBreathing = 4,
    kCustomLightSpectrum = 5,
    kCustomLightReactive = 7,
    kCustomLightRipple = 9,
    kCustomLightFlash = 10,
    kCustomLightWave = 11,
    kCustomLightFadeOut = 12,
};

/// The effect list in its order; entry i is named by language text 370 + i.
inline constexpr int kCustomLightEffectCount = 9;
inline constexpr int kCustomLightEffects[kCustomLightEffectCount] = {
    kCustomLightAlwaysOn, kCustomLightBreathing, kCustomLightSpectrum,
    kCustomLightReactive, kCustomLightRipple,    kCustomLightFlash,
    kCustomLightWave,     kCustomLightFadeOut,   kCustomLightOff};
inline constexpr int kCustomLightFirstEffectText = 370;

inline constexpr int kCustomLightMaxSpeed = 15;
/// light_type is a phase: the key's cycle starts this many sixteenths of a cycle early.
inline constexpr int kCustomLightPhaseSteps = 16;

/// What the user gave one key of a set.
struct KeyEffect {
    int lightMode = kCustomLightOff;
    std::uint32_t colour = 0;  ///< 0x00BBGGRR
    int lightType = 0;
    int colourType = 0;  ///< 1 multicolour, 0 the single colour
};

/// Where a key sits, as a share of the keyboard's width and height (0..1000).
struct KeyPlace {
    int x = 0;
    int y = 0;
};

/// One key's look at a moment: the colour shown, its level (0..255) and whether it is lit.
struct KeyLook {
    std::uint32_t colour = 0;
    int level = 0;
    bool lit = false;
    bool operator==(const KeyLook&) const = default;
};

/// Length of one cycle of an effect at `speed` (0 slowest .. 15 fastest), in ms.
int EffectPeriodMs(int speed);

/// The fully saturated colour of `hue` degrees (0 red, 120 green, 240 blue), 0x00BBGGRR.
std::uint32_t HueColour(int hue);

/// The look of a key at `timeMs` of the animation.
KeyLook EvaluateKeyEffect(const KeyEffect& effect, const KeyPlace& place, int speed,
                          std::int64_t timeMs);

/// Which controls of the colour and speed group an effect hides.
enum EffectControlHiding : int {
    kHideNothing = 0,
    kHideSpeed = 0x01,         ///< the speed label and slider
    kHideColourButton = 0x02,  ///< the current colour button
    kHideMulticolour = 0x04,   ///< the multicolour box
    kClearMulticolour = 0x08,  ///< the box is also cleared
    kHideWholeGroup = 0x10,    ///< the whole colour and speed group
};

/// The controls `lightMode` hides when chosen (EffectControlHiding bits).
int EffectHiddenControls(int lightMode);

}  // namespace zephyl
