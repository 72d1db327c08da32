// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/window/LightingPage.h"

namespace zephyl::window {
namespace {

constexpr int kFirstSideLightText = 661;
constexpr int kFirstSideLightValue = 32;
constexpr int kSideLightModes = 10;

}  // namespace

void LightingPage::BuildControls() {
    MakePanel(kListPanel);
    m_effects = MakeList(kEffects);
    m_sideLightText = MakeText(kSideLightText, 660);
    m_sideLight = MakeCombo(kSideLight);
    std::vector<std::pair<int, int>> modes;
    for (int i = 0; i < kSideLightModes; ++i) {
        modes.emplace_back(kFirstSideLightText + i, kFirstSideLightValue + i);
    }
    LanguageItems(m_sideLight, modes);
    m_sideLight->SetCurSel(0);
    m_keyboard = Make<glint::KeyboardCtrl>(kKeyboard);
    m_keyboard->SetKeyboardCtrlMode(glint::kKeyboardModeColour);

    MakePanel(kSettingsPanel);
    auto* colour = Make<glint::CColorButton>(kColour);
    colour->SetGroupName(QStringLiteral("IDC_CUSTOMLIGHT_STC_LIGHTCOLOR"));
    colour->SetColor(0xFF);
    MakeCheck(kMulticolour, 80);
    MakeText(kColourText, 81);
    MakePanel(kColourPanel);
    m_colours =
        MakeColourControls({kWheel, kFirstLabel, kFirstSlider, kFirstField, kFirstSwatch, 9, ""});

    MakeText(kBrightnessText, 82);
    m_brightness = MakeColourSlider(kBrightness, 3);
    m_brightness->SetMaxProgress(4);
    m_brightness->SetProgress(3);
    MakeText(kSpeedText, 83);
    m_speed = MakeColourSlider(kSpeed, 0);
    m_speed->SetMaxProgress(4);
    MakeText(kDirectionText, 85);
    static constexpr const char* kDirections[] = {"img_direction_right.png",
                                                  "img_direction_left.png", "img_direction_top.png",
                                                  "img_direction_bottom.png"};
    for (int i = 0; i < 4; ++i) {
        auto* direction = Make<glint::CRadioButton>(kFirstDirection + i);
        direction->SetImage(QString::fromLatin1(kDirections[i]), 8);
        direction->SetGroupName(QStringLiteral("GROUP_LIGHT_DIRECTION"));
    }
}

void LightingPage::Layout(const QSize& size) {
    auto at = [this](int id, const QRect& rect) { Place(Window().GetControl(id), rect); };
    const int bottom = size.height() - kFooterRoom - 10;
    constexpr int kListRight = 250;
    at(kListPanel, glint::RectLTRB(10, 10, kListRight, bottom));
    m_sideLightText->SetRect(QRect(24, bottom - 92, kListRight - 44, 28));
    m_sideLight->SetRect(QRect(20, bottom - 56, kListRight - 40, 32));
    m_effects->SetRect(glint::RectLTRB(20, 20, kListRight - 10, bottom - 104));

    const int left = kListRight + 10;
    const int right = size.width() - 10;
    const int pictureBottom = 10 + (bottom - 10) * 48 / 100;
    m_keyboard->SetRect(glint::RectLTRB(left, 10, right, pictureBottom));

    const int lowerTop = pictureBottom + 10;
    const int settingsRight = left + 420;
    at(kSettingsPanel, glint::RectLTRB(left, lowerTop, settingsRight, bottom));
    int y = lowerTop + 20;
    const int inner = left + 20;
    at(kColourText, QRect(inner, y, 110, 30));
    at(kColour, QRect(inner + 120, y + 2, 26, 26));
    at(kMulticolour, QRect(inner + 180, y, 200, 30));
    y += 48;
    at(kBrightnessText, QRect(inner, y, 110, 30));
    at(kBrightness, glint::RectLTRB(inner + 120, y + 5, settingsRight - 24, y + 25));
    y += 44;
    at(kSpeedText, QRect(inner, y, 110, 30));
    at(kSpeed, glint::RectLTRB(inner + 120, y + 5, settingsRight - 24, y + 25));
    y += 44;
    at(kDirectionText, QRect(inner, y + 6, 110, 30));
    for (int i = 0; i < 4; ++i) {
        at(kFirstDirection + i, QRect(inner + 120 + i * 58, y, 44, 44));
    }

    at(kColourPanel, glint::RectLTRB(settingsRight + 10, lowerTop, right, bottom));
    LayoutColourControls(
        m_colours, glint::RectLTRB(settingsRight + 30, lowerTop + 20, right - 24, bottom - 20));
}

bool LightingPage::AcceptsEvent(int id, int code) const {
    if (id == kWheel) {
        return code == glint::kEventWheelReleased;  // a drag streams colours; the release counts
    }
    return id == kEffects || id == kSideLight || (id >= kFirstField && id < kFirstField + 3) ||
           Page::AcceptsEvent(id, code);
}

int LightingPage::OnEvent(int id, int code, int) {
    // Lists, fields and the wheel hear every event; they act on choices and finished edits.
    const bool acts = code == glint::kEventClick || code == glint::kEventWheelReleased ||
                      code == glint::kEventTextChanged || code == glint::kEventEditFinished;
    if (!acts) {
        return 0;
    }
    switch (id) {
        case kEffects:
            return code == glint::kEventClick ? OnEffectChosen() : 0;
        case kSideLight:
            return code == glint::kEventClick ? OnSideLightChosen() : 0;
        case kKeyboard:
            return OnKeysChosen();
        case kMulticolour:
            return OnMulticolour();
        case kBrightness:
            return OnBrightness();
        case kSpeed:
            return OnSpeed();
        default:
            break;
    }
    if (id >= kFirstDirection && id < kFirstDirection + 4) {
        return OnDirection();
    }
    const bool colourControl =
        id == kColour || id == kWheel || (id >= kFirstSlider && id < kFirstSlider + 3) ||
        (id >= kFirstField && id < kFirstField + 3) || (id >= kFirstSwatch && id <= kUserColour);
    return colourControl ? OnColourChosen() : 0;
}

void LightingPage::Refresh() {
    OnEffectChosen();
}

void LightingPage::SetSliderMaxima(int brightnessMax, int speedMax) {
    if (brightnessMax > 0) {
        m_brightness->SetMaxProgress(brightnessMax);
    }
    if (speedMax > 0) {
        m_speed->SetMaxProgress(speedMax);
    }
}

void LightingPage::ShowSideLight(bool shown) {
    m_sideLightText->SetVisible(shown);
    m_sideLight->SetVisible(shown);
}

int LightingPage::OnEffectChosen() {
    return NotInThisBuild("lighting: effect chosen");
}

int LightingPage::OnSideLightChosen() {
    return NotInThisBuild("lighting: side light chosen");
}

int LightingPage::OnKeysChosen() {
    return NotInThisBuild("lighting: keys chosen on the picture");
}

int LightingPage::OnColourChosen() {
    return NotInThisBuild("lighting: effect colour");
}

int LightingPage::OnMulticolour() {
    return NotInThisBuild("lighting: multicolour");
}

int LightingPage::OnBrightness() {
    return NotInThisBuild("lighting: brightness");
}

int LightingPage::OnSpeed() {
    return NotInThisBuild("lighting: speed");
}

int LightingPage::OnDirection() {
    return NotInThisBuild("lighting: direction");
}

}  // namespace zephyl::window
