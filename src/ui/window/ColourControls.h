// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QRect>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace zephyl::glint {
class CColorButton;
class CirclePalette;
class MEdit;
class MSlider;
class MText;
}  // namespace zephyl::glint

namespace zephyl::window {

/// The ids of one colour chooser: a wheel, red/green/blue rows of label, slider and number
/// field, and a row of swatches; every group of ids is consecutive.
struct ColourControlIds {
    int wheel = 0;
    int firstLabel = 0;
    int firstSlider = 0;
    int firstField = 0;
    int firstSwatch = 0;
    int swatchCount = 0;
    const char* labelSuffix = "";  ///< after "R", "G", "B"
};

/// The built colour chooser.
struct ColourControls {
    glint::CirclePalette* wheel = nullptr;
    std::array<glint::MText*, 3> labels{};
    std::array<glint::MSlider*, 3> sliders{};
    std::array<glint::MEdit*, 3> fields{};
    std::vector<glint::CColorButton*> swatches;
};

/// Colours of the swatches (0x00BBGGRR): red, orange, yellow, green, blue, cyan, magenta, white,
/// then the user's own colour.
inline constexpr std::array<std::uint32_t, 9> kSwatchColours = {
    0xFF, 0x80FF, 0xFFFF, 0xFF00, 0xFF0000, 0xFFFF00, 0xFF00FF, 0xFFFFFF, 0};

/// Places a colour chooser in `area`: the wheel on the left, the three rows beside it, the
/// swatches below the rows.
void LayoutColourControls(const ColourControls& controls, const QRect& area);

/// Shows `bgr` (0x00BBGGRR) everywhere in the chooser: the sliders, the number fields (decimal
/// text), the wheel's mark (unless `moveWheel` is false: the wheel chose it) and the swatches,
/// where only a swatch of that very colour stays marked.
void ShowColourComponents(const ColourControls& controls, std::uint32_t bgr, bool moveWheel = true);

/// The colour the three number fields compose (text that is no number counts as 0).
std::uint32_t FieldsColour(const ColourControls& controls);

/// Clamps the number of field `index` to 0..255, rewriting its text when clamping changed it;
/// returns the value.
int ClampField(const ColourControls& controls, int index);

/// Control `id` of the chooser changed: the other sources follow it (a field is clamped first,
/// a slider's position becomes its field's text) and the colour chosen is returned. Nothing
/// when `id` is not one of the chooser's sources.
std::optional<std::uint32_t> TakeColourFrom(const ColourControls& controls,
                                            const ColourControlIds& ids, int id);

}  // namespace zephyl::window
