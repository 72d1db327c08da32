// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The built-in effects as the profile database keeps them, and the values the lighting page and
// the command line turn into stored settings.

#include "protocol/LightingReports.h"
#include "store/ProfileRecords.h"

#include <cstdint>
#include <optional>
#include <string>

namespace zephyl {

class ProfileDatabase;
struct KeyboardLayout;

/// Bits of an effect's `config_func`: which settings it offers.
enum EffectSetting : int {
    kEffectBrightness = 0x01,
    kEffectSpeed = 0x02,
    kEffectLeftRight = 0x04,
    kEffectUpDown = 0x08,
    kEffectRgbEditor = 0x10,
    kEffectColour = 0x20,
    /// Colour edits change only the colour button: nothing is stored or sent.
    kEffectColourShownOnly = 0x100,
};

enum EffectDirection : int {
    kDirectionLeft = 0,
    kDirectionRight = 1,
    kDirectionUp = 2,
    kDirectionDown = 3
};

/// The colour an effect gets when the user clears its multicolour box (pure red).
inline constexpr std::uint32_t kDefaultEffectColour = 0x0000FF;
inline constexpr int kEffectCount = 20;

/// One row of the effect table: its language text, its number and what it offers.
struct EffectRow {
    int textId;
    int mode;
    int configFunc;
};

/// The effects in list order (effect 0 last).
extern const EffectRow kEffectTable[kEffectCount];

/// Fills t_light_data with the effect table when it holds no row, with the layout's default
/// brightness and speed, and marks `default_mode` active. Returns the rows inserted.
int SeedLightEffects(ProfileDatabase& database, const KeyboardLayout& layout);

/// The controls an effect shows, from its `config_func`.
struct EffectControls {
    bool brightness = false;
    bool speed = false;
    bool leftRight = false;
    bool upDown = false;
    bool rgbEditor = false;
    bool colour = false;
};
EffectControls ControlsOf(int configFunc);

/// The colour the red/green/blue editor shows: red while the keyboard picks its own colours.
std::uint32_t EditorColour(const LightEffect& effect);

/// The record command 9 sends for a stored effect.
LightingRecord RecordOf(const LightEffect& effect);

/// Side light: the item values of the selector are 32..41, stored as 1..10.
inline constexpr int kSideLightFirstItem = 32;
inline constexpr int kSideLightModes = 10;
/// The stored text of an item value; nothing for a value that is not an item.
std::optional<std::string> StoredSideLight(int itemValue);
/// The item value of the stored text; the first item for text that is not a stored value.
int SideLightItem(const std::string& stored);

/// A colour component typed into a number field, clamped to 0..255; text that is not a number
/// counts as 0.
int ClampComponent(const std::string& text);

/// Colour 0x00BBGGRR from its three components (each cut to 8 bits).
std::uint32_t ComposeColour(int red, int green, int blue);

/// "RRGGBB" (hex, as people write colours) to 0x00BBGGRR; nothing for other text.
std::optional<std::uint32_t> ParseHexColour(const std::string& text);
std::string HexColour(std::uint32_t bgr);

}  // namespace zephyl
