// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/window/ColourControls.h"

#include "glint/Glint.h"
#include "lighting/LightModes.h"
#include "ui/window/Page.h"

#include <algorithm>

namespace zephyl::window {
namespace {

constexpr std::array<int, 3> kStartComponents = {255, 225, 0};

/// A swatch stays marked only while its colour is the one chosen.
void MarkSwatchOf(const ColourControls& controls, std::uint32_t bgr) {
    glint::CColorButton* matching = nullptr;
    for (glint::CColorButton* swatch : controls.swatches) {
        if (!matching && (swatch->GetColor() & 0xFFFFFF) == (bgr & 0xFFFFFF)) {
            matching = swatch;
        } else if (swatch->IsSelected()) {
            swatch->SetSelected(false);
        }
    }
    if (matching && !matching->IsSelected()) {
        matching->SetSelected(true);
    }
}

}  // namespace

ColourControls Page::MakeColourControls(const ColourControlIds& ids) {
    ColourControls controls;
    controls.wheel = Make<glint::CirclePalette>(ids.wheel);
    controls.wheel->SetImage(QStringLiteral("img_circlepalette.png"));
    controls.wheel->SetColor(std::uint32_t(kStartComponents[0]) |
                             (std::uint32_t(kStartComponents[1]) << 8) |
                             (std::uint32_t(kStartComponents[2]) << 16));
    static constexpr const char* kLetters[] = {"R", "G", "B"};
    for (int i = 0; i < 3; ++i) {
        controls.labels[i] =
            MakeArea<glint::MText>(ids.firstLabel + i, QString::fromLatin1(kLetters[i]) +
                                                           QString::fromLatin1(ids.labelSuffix));
    }
    for (int i = 0; i < 3; ++i) {
        controls.sliders[i] = MakeColourSlider(ids.firstSlider + i, kStartComponents[i]);
    }
    for (int i = 0; i < 3; ++i) {
        controls.fields[i] = MakeNumberField(ids.firstField + i);
        controls.fields[i]->SetEditText(QString::number(kStartComponents[i]));
    }
    for (int i = 0; i < ids.swatchCount; ++i) {
        auto* swatch = Make<glint::CColorButton>(ids.firstSwatch + i);
        swatch->SetGroupName(QStringLiteral("IDC_LIGHT_STC_DEFAULTCOLOR"));
        swatch->SetColor(kSwatchColours[std::min<size_t>(size_t(i), kSwatchColours.size() - 1)]);
        controls.swatches.push_back(swatch);
    }
    return controls;
}

void LayoutColourControls(const ColourControls& controls, const QRect& area) {
    constexpr int kRow = 36;
    constexpr int kRowsOnly = 3 * kRow;
    constexpr int kSwatchRow = 20 + 28;  // the gap above the swatches, and the swatches
    constexpr int kRowsHeight = kRowsOnly + kSwatchRow;
    constexpr int kMaxWheel = 200;
    constexpr int kGap = 30;
    // A label, a slider still worth dragging and a number field.
    constexpr int kMinRowsWidth = 180;
    QRect rows;
    QRect swatchRow;
    if (area.width() >= 400) {
        // Wide areas put the wheel beside the rows and the swatches.
        const int side = std::min(area.height(), kMaxWheel);
        Place(controls.wheel,
              QRect(area.left(), area.top() + (area.height() - side) / 2, side, side));
        const int top = area.top() + std::max(0, (area.height() - kRowsHeight) / 2);
        rows = glint::RectLTRB(area.left() + side + kGap, top, area.right(), top + kRowsOnly);
        swatchRow =
            glint::RectLTRB(rows.left(), top + kRowsOnly + 20, area.right(), top + kRowsHeight);
    } else {
        // Narrow ones put the wheel above the rows, or beside the rows with the swatches under
        // both, whichever leaves the wheel larger: a short area would shrink it to a dot above.
        const int above =
            std::max(0, std::min({area.width(), kMaxWheel, area.height() - kRowsHeight - kGap}));
        const int beside = std::max(0, std::min({kMaxWheel, area.height() - kSwatchRow,
                                                 area.width() - kGap - kMinRowsWidth}));
        if (beside > above) {
            const int upper = std::max(beside, kRowsOnly);
            const int top = area.top() + std::max(0, (area.height() - upper - kSwatchRow) / 2);
            Place(controls.wheel, QRect(area.left(), top + (upper - beside) / 2, beside, beside));
            const int rowsTop = top + (upper - kRowsOnly) / 2;
            rows = glint::RectLTRB(area.left() + beside + kGap, rowsTop, area.right(),
                                   rowsTop + kRowsOnly);
            swatchRow = glint::RectLTRB(area.left(), top + upper + 20, area.right(),
                                        top + upper + kSwatchRow);
        } else {
            const int total = above + kGap + kRowsHeight;
            const int top = area.top() + std::max(0, (area.height() - total) / 2);
            Place(controls.wheel,
                  QRect(area.left() + (area.width() - above) / 2, top, above, above));
            rows = glint::RectLTRB(area.left(), top + above + kGap, area.right(),
                                   top + above + kGap + kRowsOnly);
            swatchRow = glint::RectLTRB(area.left(), top + above + kGap + kRowsOnly + 20,
                                        area.right(), top + total);
        }
    }

    int y = rows.top();
    for (int i = 0; i < 3; ++i) {
        Place(controls.labels[i], QRect(rows.left(), y, 26, 28));
        Place(controls.sliders[i],
              glint::RectLTRB(rows.left() + 30, y + 4, rows.right() - 70, y + 24));
        Place(controls.fields[i], glint::RectLTRB(rows.right() - 58, y, rows.right(), y + 28));
        y += kRow;
    }
    const int count = int(controls.swatches.size());
    if (count == 0) {
        return;
    }
    const int pitch = std::max(22, (swatchRow.width() + 6) / count);
    const int side = std::min(26, pitch - 6);
    for (int i = 0; i < count; ++i) {
        Place(controls.swatches[size_t(i)],
              QRect(swatchRow.left() + i * pitch, swatchRow.top(), side, side));
    }
}

void ShowColourComponents(const ColourControls& controls, std::uint32_t bgr, bool moveWheel) {
    bgr &= 0xFFFFFF;
    for (int i = 0; i < 3; ++i) {
        const int component = int((bgr >> (8 * i)) & 0xFF);
        if (controls.sliders[size_t(i)]) {
            controls.sliders[size_t(i)]->SetProgress(component);
        }
        if (controls.fields[size_t(i)]) {
            controls.fields[size_t(i)]->SetEditText(QString::number(component));
        }
    }
    if (moveWheel && controls.wheel) {
        controls.wheel->SetColor(bgr);
    }
    MarkSwatchOf(controls, bgr);
}

std::uint32_t FieldsColour(const ColourControls& controls) {
    std::array<int, 3> components{};
    for (size_t i = 0; i < 3; ++i) {
        components[i] = controls.fields[i]
                            ? ClampComponent(controls.fields[i]->GetEditText().toStdString())
                            : 0;
    }
    return ComposeColour(components[0], components[1], components[2]);
}

int ClampField(const ColourControls& controls, int index) {
    glint::MEdit* field = controls.fields[size_t(index)];
    const QString text = field->GetEditText();
    const int value = ClampComponent(text.toStdString());
    bool number = false;
    const long long typed = text.trimmed().toLongLong(&number);
    // A number out of range is shown as the value it became; other text is left to the user.
    if (number && typed != value) {
        field->SetEditText(QString::number(value));
    }
    return value;
}

std::optional<std::uint32_t> TakeColourFrom(const ColourControls& controls,
                                            const ColourControlIds& ids, int id) {
    if (id == ids.wheel && controls.wheel) {
        const std::uint32_t colour = controls.wheel->GetColor();
        ShowColourComponents(controls, colour, false);
        return colour;
    }
    if (id >= ids.firstSwatch && id < ids.firstSwatch + ids.swatchCount) {
        glint::CColorButton* swatch = controls.swatches[size_t(id - ids.firstSwatch)];
        const std::uint32_t colour = swatch->GetColor();
        ShowColourComponents(controls, colour);
        // The swatch clicked is the one marked, even where another has the same colour.
        swatch->SetSelected(true);
        return colour;
    }
    if (id >= ids.firstSlider && id < ids.firstSlider + 3) {
        const size_t i = size_t(id - ids.firstSlider);
        controls.fields[i]->SetEditText(QString::number(controls.sliders[i]->GetProgress()));
    } else if (id >= ids.firstField && id < ids.firstField + 3) {
        const int i = id - ids.firstField;
        controls.sliders[size_t(i)]->SetProgress(ClampField(controls, i));
    } else {
        return std::nullopt;
    }
    // The wheel's mark and the swatches follow the numbers; the field being typed in keeps its
    // text as typed.
    const std::uint32_t colour = FieldsColour(controls);
    if (controls.wheel) {
        controls.wheel->SetColor(colour);
    }
    MarkSwatchOf(controls, colour);
    return colour;
}

}  // namespace zephyl::window
