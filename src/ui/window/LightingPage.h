// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "store/ProfileRecords.h"
#include "ui/window/ColourControls.h"
#include "ui/window/Page.h"

#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

namespace zephyl::window {

/// The lighting modes page: the built-in effects, the side light, the keyboard's live colours,
/// and the effect's colour, brightness, speed and direction. Every change is stored first and
/// then sent by the worker (command 9 for the effect, 10 for the side light).
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
    void OnFeatureLoaded(int feature) override;

    glint::KeyboardCtrl* KeyView() const { return m_keyboard; }

protected:
    void BuildControls() override;

private:
    int OnEffectChosen();
    int OnSideLightChosen();
    int OnColourChosen(int id);
    int OnMulticolour();
    int OnBrightness();
    int OnSpeed();
    int OnDirection(int id);

    /// Fills the effect list from the store and shows the active effect; worker or window.
    void LoadEffects();
    void LoadSideLight();
    /// Shows the controls the effect offers, filled with its values.
    void ShowEffect(const LightEffect& effect);
    /// Stores the colour in the active effect and sends it, unless the effect only shows it.
    void SetColour(std::uint32_t colour);
    /// Changes the active effect's row, stores it and sends it; false without an active row.
    bool ChangeActive(const std::function<void(LightEffect&)>& change);
    const ColourControlIds& ColourIds() const;

    std::mutex m_mutex;  ///< the list and the controls: loaded on the worker, used by the window
    std::atomic<int> m_configFunc{0};
    glint::CColorButton* m_colour = nullptr;
    glint::CCheckButton* m_multicolour = nullptr;
    std::array<glint::CRadioButton*, 4> m_directions{};

    glint::MListBox* m_effects = nullptr;
    std::vector<int> m_effectTexts;  ///< the text of each item of m_effects; under m_mutex
    glint::MText* m_sideLightText = nullptr;
    glint::MComboBox* m_sideLight = nullptr;
    glint::KeyboardCtrl* m_keyboard = nullptr;
    glint::MSlider* m_brightness = nullptr;
    glint::MSlider* m_speed = nullptr;
    ColourControls m_colours;
};

}  // namespace zephyl::window
