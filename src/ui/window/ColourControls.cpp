// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/window/ColourControls.h"

#include "glint/Glint.h"
#include "lighting/LightModes.h"
#include "ui/window/Page.h"

#include <algorithm>

namespace zephyl::window {
namespace {

constexpr std::array<int, 3> kStartComponents = {255, 225, 0};

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
    constexpr int kRowsHeight = 3 * kRow + 20 + 28;
    constexpr int kMaxWheel = 200;
    // Wide areas put the wheel beside the rows; narrow ones above them.
    const bool beside = area.width() >= 400;
    QRect rows;
    if (beside) {
        const int side = std::min(area.height(), kMaxWheel);
        Place(controls.wheel,
              QRect(area.left(), area.top() + (area.height() - side) / 2, side, side));
        const int top = area.top() + std::max(0, (area.height() - kRowsHeight) / 2);
        rows = glint::RectLTRB(area.left() + side + 30, top, area.right(), top + kRowsHeight);
    } else {
        const int side =
            std::max(0, std::min({area.width(), kMaxWheel, area.height() - kRowsHeight - 30}));
        const int total = side + 30 + kRowsHeight;
        const int top = area.top() + std::max(0, (area.height() - total) / 2);
        Place(controls.wheel, QRect(area.left() + (area.width() - side) / 2, top, side, side));
        rows = glint::RectLTRB(area.left(), top + side + 30, area.right(), top + total);
    }

    int y = rows.top();
    for (int i = 0; i < 3; ++i) {
        Place(controls.labels[i], QRect(rows.left(), y, 26, 28));
        Place(controls.sliders[i],
              glint::RectLTRB(rows.left() + 30, y + 4, rows.right() - 70, y + 24));
        Place(controls.fields[i], glint::RectLTRB(rows.right() - 58, y, rows.right(), y + 28));
        y += kRow;
    }
    y += 20;
    const int count = int(controls.swatches.size());
    if (count == 0) {
        return;
    }
    const int pitch = std::max(22, (rows.width() + 6) / count);
    const int side = std::min(26, pitch - 6);
    for (int i = 0; i < count; ++i) {
        Place(controls.swatches[size_t(i)], QRect(rows.left() + i * pitch, y, side, side));
    }
}

void ShowColourComponents(const ColourControls& controls, std::uint32_t bgr) {
    for (int i = 0; i < 3; ++i) {
        const int component = int((bgr >> (8 * i)) & 0xFF);
        if (controls.sliders[size_t(i)]) {
            controls.sliders[size_t(i)]->SetProgress(component);
        }
        if (controls.fields[size_t(i)]) {
            controls.fields[size_t(i)]->SetEditText(QString::number(component));
        }
    }
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
        ShowColourComponents(controls, colour);
        return colour;
    }
    if (id >= ids.firstSwatch && id < ids.firstSwatch + ids.swatchCount) {
        const std::uint32_t colour = controls.swatches[size_t(id - ids.firstSwatch)]->GetColor();
        ShowColourComponents(controls, colour);
        return colour;
    }
    if (id >= ids.firstSlider && id < ids.firstSlider + 3) {
        const size_t i = size_t(id - ids.firstSlider);
        controls.fields[i]->SetEditText(QString::number(controls.sliders[i]->GetProgress()));
        return FieldsColour(controls);
    }
    if (id >= ids.firstField && id < ids.firstField + 3) {
        const int i = id - ids.firstField;
        controls.sliders[size_t(i)]->SetProgress(ClampField(controls, i));
        return FieldsColour(controls);
    }
    return std::nullopt;
}

}  // namespace zephyl::window
