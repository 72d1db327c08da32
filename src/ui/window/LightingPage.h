// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "ui/window/ColourControls.h"
#include "ui/window/Page.h"

namespace zephyl::window {

/// The lighting modes page: the built-in effects, the side light, the keyboard's live colours,
/// and the effect's colour, brightness, speed and direction. The effects themselves come with
/// a later feature; until then every action says so in the trace.
class LightingPage : public Page {
public:
    static constexpr int kContainer = 52;
    enum Id : int {
        kListPanel = 81,
        kEffects = 82,
        kSideLightText = 83,
        kSideLight = 84,
        kKeyboard = 85,
        kSettingsPanel = 86,
        kColour = 96,
        kMulticolour = 97,
        kColourText = 98,
        kColourPanel = 99,
        kWheel = 100,
        kFirstLabel = 101,
        kFirstSlider = 104,
        kFirstField = 107,
        kFirstSwatch = 110,
        kUserColour = 118,
        kBrightnessText = 87,
        kBrightness = 88,
        kSpeedText = 89,
        kSpeed = 90,
        kDirectionText = 91,
        kFirstDirection = 92,
    };

    explicit LightingPage(const PageContext& context) : Page(context, kContainer) {}

    void Layout(const QSize& size) override;
    bool AcceptsEvent(int id, int code) const override;
    int OnEvent(int id, int code, int value) override;

    /// Re-applies the effect list's selection, as when the page is opened.
    void Refresh();
    /// Any thread.
    void SetSliderMaxima(int brightnessMax, int speedMax);
    void ShowSideLight(bool shown);

    glint::KeyboardCtrl* KeyView() const { return m_keyboard; }

protected:
    void BuildControls() override;

private:
    int OnEffectChosen();
    int OnSideLightChosen();
    int OnKeysChosen();
    int OnColourChosen();
    int OnMulticolour();
    int OnBrightness();
    int OnSpeed();
    int OnDirection();

    glint::MListBox* m_effects = nullptr;
    glint::MText* m_sideLightText = nullptr;
    glint::MComboBox* m_sideLight = nullptr;
    glint::KeyboardCtrl* m_keyboard = nullptr;
    glint::MSlider* m_brightness = nullptr;
    glint::MSlider* m_speed = nullptr;
    ColourControls m_colours;
};

}  // namespace zephyl::window
