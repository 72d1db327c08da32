// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/window/CustomLightPage.h"

#include "text/DefaultNames.h"

namespace zephyl::window {
namespace {

constexpr int kFirstEffectText = 370;
constexpr int kEffectCount = 9;

}  // namespace

void CustomLightPage::BuildControls() {
    MakeToolButton(kAdd, "imgbtn_add.png", 28);
    MakeToolButton(kDelete, "imgbtn_del.png", 30);
    MakeToolButton(kRename, "imgbtn_edit.png", 29);
    MakeToolButton(kImport, "imgbtn_import.png", 26);
    MakeToolButton(kExport, "imgbtn_export.png", 27);
    const int panels[4] = {kListPanel, kEffectPanel, kSettingsPanel, kColourPanel};
    for (int i = 0; i < 4; ++i) {
        m_panels[i] = MakePanel(panels[i]);
    }
    m_sets = MakeList(kSets);
    MakeText(kEffectsText, 53);
    m_effects = MakeList(kEffects);
    for (int i = 0; i < kEffectCount; ++i) {
        m_effects->AddString({}, i);
    }
    OnLanguage([this] {
        for (int i = 0; i < kEffectCount; ++i) {
            m_effects->ModifyItemString(i, Text(kFirstEffectText + i));
        }
    });
    m_effects->SetCurSel(0);
    MakeCheck(kAllKeys, 70);
    MakeCheck(kNumberKeys, 71);
    MakeCheck(kWasd, 0)->SetTitle(QStringLiteral("WASD"));
    m_lightMode = MakeLater("CustomLightMode", kLightMode);
    if (m_lightMode) {
        m_lightMode->AddMTimer();
    }
    MakeText(kSpeedText, 83);
    auto* speed = MakeColourSlider(kSpeed, 15);
    speed->SetMaxProgress(15);
    auto* colour = Make<glint::CColorButton>(kColour);
    colour->SetGroupName(QStringLiteral("IDC_CUSTOMLIGHT_STC_LIGHTCOLOR"));
    colour->SetColor(0xFF);
    MakeCheck(kMulticolour, 80);
    m_colourText = MakeText(kColourText, 81);
    m_colours = MakeColourControls({kWheel, kFirstLabel, kFirstSlider, kFirstField, kFirstSwatch,
                                    kLastSwatch - kFirstSwatch + 1, ""});
}

void CustomLightPage::Layout(const QSize& size) {
    // Ids 212 and 213 exist on the user lighting page too: only the page's own pointers are used.
    auto at = [this](int id, const QRect& rect) { Place(Window().GetControl(id), rect); };
    const int bottom = size.height() - kFooterRoom - 10;
    // The tools sit above the panel: they were made before it and would lie under it.
    int x = 14;
    for (int id = kAdd; id <= kExport; ++id) {
        at(id, QRect(x, 14, 32, 32));
        x += 44;
    }
    constexpr int kListRight = 250;
    m_panels[0]->SetRect(glint::RectLTRB(10, 56, kListRight, bottom));
    m_sets->SetRect(glint::RectLTRB(20, 66, kListRight - 10, bottom - 10));

    constexpr int kEffectsLeft = kListRight + 10;
    constexpr int kEffectsRight = kEffectsLeft + 240;
    m_panels[1]->SetRect(glint::RectLTRB(kEffectsLeft, 10, kEffectsRight, bottom));
    at(kEffectsText, QRect(kEffectsLeft + 16, 20, 200, 28));
    m_effects->SetRect(glint::RectLTRB(kEffectsLeft + 10, 56, kEffectsRight - 10, bottom - 10));

    const int left = kEffectsRight + 10;
    const int right = size.width() - 10;
    int top = 10;
    if (m_lightMode) {
        const int pictureBottom = 10 + (bottom - 10) * 52 / 100;
        m_lightMode->SetRect(glint::RectLTRB(left, 10, right, pictureBottom));
        top = pictureBottom + 10;
    }
    const int settingsRight = left + 300;
    m_panels[2]->SetRect(glint::RectLTRB(left, top, settingsRight, bottom));
    int y = top + 20;
    for (int id : {kAllKeys, kNumberKeys, kWasd}) {
        at(id, QRect(left + 20, y, 260, 30));
        y += 42;
    }
    y += 10;
    at(kSpeedText, QRect(left + 20, y, 90, 30));
    at(kSpeed, glint::RectLTRB(left + 110, y + 5, settingsRight - 20, y + 25));
    y += 48;
    m_colourText->SetRect(QRect(left + 20, y, 90, 30));
    at(kColour, QRect(left + 110, y + 2, 26, 26));
    at(kMulticolour, QRect(left + 150, y, 140, 30));

    m_panels[3]->SetRect(glint::RectLTRB(settingsRight + 10, top, right, bottom));
    LayoutColourControls(m_colours,
                         glint::RectLTRB(settingsRight + 30, top + 20, right - 24, bottom - 20));
}

bool CustomLightPage::AcceptsEvent(int id, int code) const {
    if (id == kWheel) {
        return code == glint::kEventWheelReleased;  // a drag streams colours; the release counts
    }
    return id == kSets || id == kEffects || (id >= kFirstField && id < kFirstField + 3) ||
           Page::AcceptsEvent(id, code);
}

int CustomLightPage::OnEvent(int id, int code, int) {
    switch (id) {
        case kSets:
            return code == glint::kEventClick ? OnSetChosen() : 0;
        case kEffects:
            return code == glint::kEventClick ? OnEffectChosen() : 0;
        case kWheel:
            return OnColourChosen();  // only its release comes through
        default:
            break;
    }
    if (id >= kFirstField && id < kFirstField + 3) {
        return code == glint::kEventTextChanged ? OnColourChosen() : 0;
    }
    if (code != glint::kEventClick) {
        return 0;
    }
    if (id >= kAdd && id <= kExport) {
        return OnSetListTool();
    }
    if (id >= kAllKeys && id <= kWasd) {
        return OnKeySelection();
    }
    if (id == kSpeed) {
        return OnSpeed();
    }
    if (id == kMulticolour) {
        return OnMulticolour();
    }
    if ((id >= kFirstSlider && id < kFirstSlider + 3) ||
        (id >= kFirstSwatch && id <= kLastSwatch)) {
        return OnColourChosen();
    }
    return 0;
}

void CustomLightPage::Refresh() {
    OnEffectChosen();
}

void CustomLightPage::SetKeyMap(const std::array<std::uint8_t, kMatrixSize>& workMap, int rows,
                                int columns) {
    std::lock_guard lock(m_keyMapMutex);
    m_workMap = workMap;
    m_rows = rows;
    m_columns = columns;
}

void CustomLightPage::ApplyLanguageTexts() {
    Page::ApplyLanguageTexts();
    LocalizeDefaultNames(m_sets, DefaultNameList::kCustomLighting);
}

int CustomLightPage::OnSetListTool() {
    return NotInThisBuild("custom lighting: set list tools");
}

int CustomLightPage::OnSetChosen() {
    return NotInThisBuild("custom lighting: set chosen");
}

int CustomLightPage::OnEffectChosen() {
    return NotInThisBuild("custom lighting: effect chosen");
}

int CustomLightPage::OnKeySelection() {
    return NotInThisBuild("custom lighting: key selection");
}

int CustomLightPage::OnSpeed() {
    return NotInThisBuild("custom lighting: speed");
}

int CustomLightPage::OnMulticolour() {
    return NotInThisBuild("custom lighting: multicolour");
}

int CustomLightPage::OnColourChosen() {
    return NotInThisBuild("custom lighting: key colour");
}

}  // namespace zephyl::window
