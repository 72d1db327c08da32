// SPDX-License-Identifier: GPL-2.0-or-later
#include "lighting/LightModes.h"

#include "catalogue/KeyboardLayout.h"
#include "store/ConfigValues.h"
#include "store/ProfileDatabase.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace zephyl {

// clang-format off
const EffectRow kEffectTable[kEffectCount] = {
    {521, 1, 0x31},  {522, 2, 0x33},  {523, 3, 0x33},  {524, 4, 0x33},  {525, 5, 0x33},
    {526, 6, 0x03},  {527, 7, 0x33},  {528, 8, 0x03},  {529, 9, 0x33},  {530, 10, 0x3B},
    {531, 11, 0x37}, {532, 12, 0x37}, {533, 13, 0x33}, {534, 14, 0x33}, {535, 15, 0x33},
    {536, 16, 0x37}, {537, 17, 0x33}, {538, 18, 0x37}, {539, 19, 0x33}, {540, 0, 0x00},
};
// clang-format on

int SeedLightEffects(ProfileDatabase& database, const KeyboardLayout& layout) {
    if (database.CountLightEffects() > 0) {
        return 0;
    }
    int inserted = 0;
    for (const EffectRow& row : kEffectTable) {
        LightEffect effect;
        effect.profile = kSettingsProfile;
        effect.name = std::to_string(row.textId);
        effect.mode = row.mode;
        effect.brightness = layout.defaultBrightness;
        effect.speed = layout.defaultSpeed;
        effect.direction = kDirectionLeft;
        effect.colorful = 1;
        effect.color_value = int(kDefaultEffectColour);
        effect.config_func = row.configFunc;
        if (database.AddLightEffect(effect) > 0) {
            ++inserted;
        }
    }
    database.SetActiveLightEffect(layout.defaultMode);
    return inserted;
}

EffectControls ControlsOf(int configFunc) {
    EffectControls controls;
    controls.brightness = (configFunc & kEffectBrightness) != 0;
    controls.speed = (configFunc & kEffectSpeed) != 0;
    // An effect that runs sideways offers left and right only, even when it names both.
    controls.leftRight = (configFunc & kEffectLeftRight) != 0;
    controls.upDown = !controls.leftRight && (configFunc & kEffectUpDown) != 0;
    controls.rgbEditor = (configFunc & kEffectRgbEditor) != 0;
    controls.colour = (configFunc & kEffectColour) != 0;
    return controls;
}

std::uint32_t EditorColour(const LightEffect& effect) {
    return effect.colorful == 1 ? kDefaultEffectColour : std::uint32_t(effect.color_value);
}

LightingRecord RecordOf(const LightEffect& effect) {
    LightingRecord record;
    record.mode = effect.mode;
    record.colour = std::uint32_t(effect.color_value);
    record.colorful = effect.colorful;
    record.brightness = effect.brightness;
    record.speed = effect.speed;
    record.direction = effect.direction;
    return record;
}

std::optional<std::string> StoredSideLight(int itemValue) {
    if (itemValue < kSideLightFirstItem || itemValue >= kSideLightFirstItem + kSideLightModes) {
        return std::nullopt;
    }
    return std::to_string(itemValue - (kSideLightFirstItem - 1));
}

int SideLightItem(const std::string& stored) {
    const int number = ParseConfigNumber(stored);
    if (number < 1 || number > kSideLightModes) {
        return kSideLightFirstItem;
    }
    return number + (kSideLightFirstItem - 1);
}

int ClampComponent(const std::string& text) {
    // Leading sign and digits only, as a field that takes numbers reads them.
    const char* start = text.c_str();
    char* end = nullptr;
    const long long value = std::strtoll(start, &end, 10);
    if (end == start) {
        return 0;
    }
    return value < 0 ? 0 : value > 255 ? 255 : int(value);
}

std::uint32_t ComposeColour(int red, int green, int blue) {
    return std::uint32_t(red & 0xFF) | (std::uint32_t(green & 0xFF) << 8) |
           (std::uint32_t(blue & 0xFF) << 16);
}

std::optional<std::uint32_t> ParseHexColour(const std::string& text) {
    std::string digits = text;
    if (!digits.empty() && digits[0] == '#') {
        digits.erase(0, 1);
    }
    if (digits.size() != 6) {
        return std::nullopt;
    }
    for (char c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
    }
    const unsigned long rgb = std::strtoul(digits.c_str(), nullptr, 16);
    return ComposeColour(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF));
}

std::string HexColour(std::uint32_t bgr) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", unsigned(bgr & 0xFF),
                  unsigned((bgr >> 8) & 0xFF), unsigned((bgr >> 16) & 0xFF));
    return text;
}

}  // namespace zephyl
