// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "catalogue/KeyboardLayout.h"
#include "ui/window/ColourControls.h"
#include "ui/window/Page.h"

#include <array>
#include <cstdint>
#include <mutex>

namespace zephyl::window {

/// The custom (real-time) lighting page: named sets of per-key effects that the program streams
/// to the keyboard, shown on an animated keyboard picture. The sets, the animation and the
/// stream come with a later feature; until then every action says so in the trace.
class CustomLightPage : public Page {
public:
    static constexpr int kContainer = 55;
    enum Id : int {
        kAdd = 192,
        kDelete = 193,
        kRename = 194,
        kImport = 195,
        kExport = 196,
        kListPanel = 197,
        kEffectPanel = 201,
        kSettingsPanel = 207,
        kColourPanel = 213,
        kSets = 199,
        kEffectsText = 200,
        kEffects = 202,
        kAllKeys = 203,
        kNumberKeys = 204,
        kWasd = 205,
        kLightMode = 206,
        kSpeedText = 208,
        kSpeed = 209,
        kColour = 210,
        kMulticolour = 211,
        kColourText = 212,
        kWheel = 214,
        kFirstLabel = 215,
        kFirstSlider = 218,
        kFirstField = 221,
        kFirstSwatch = 224,
        kLastSwatch = 232,
    };

    explicit CustomLightPage(const PageContext& context) : Page(context, kContainer) {}

    void Layout(const QSize& size) override;
    bool AcceptsEvent(int id, int code) const override;
    int OnEvent(int id, int code, int value) override;
    void ApplyLanguageTexts() override;

    /// Re-applies the effect list's selection, as when the page is opened.
    void Refresh();
    /// Which key sits at each place of the keyboard's matrix, for the animated picture. Any thread.
    void SetKeyMap(const std::array<std::uint8_t, kMatrixSize>& workMap, int rows, int columns);

    glint::MControl* LightModeView() const { return m_lightMode; }
    glint::MListBox* SetList() const { return m_sets; }
    glint::MListBox* EffectList() const { return m_effects; }

protected:
    void BuildControls() override;

private:
    int OnSetListTool();
    int OnSetChosen();
    int OnEffectChosen();
    int OnKeySelection();
    int OnSpeed();
    int OnMulticolour();
    int OnColourChosen();

    glint::CArea* m_panels[4] = {};
    glint::MText* m_colourText = nullptr;
    glint::MListBox* m_sets = nullptr;
    glint::MListBox* m_effects = nullptr;
    glint::MControl* m_lightMode = nullptr;  ///< the animated picture; a later feature
    ColourControls m_colours;

    std::mutex m_keyMapMutex;
    std::array<std::uint8_t, kMatrixSize> m_workMap{};
    int m_rows = 0;
    int m_columns = 0;
};

}  // namespace zephyl::window
