// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "catalogue/KeyboardLayout.h"
#include "ui/window/ColourControls.h"
#include "ui/window/Page.h"

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

class QTimer;

namespace zephyl {
class CustomLightEngine;
class CustomLightSets;
}  // namespace zephyl

namespace zephyl::window {

/// The custom (real-time) lighting page: named sets of per-key effects that the program streams
/// to the keyboard, shown on an animated keyboard picture. The animation advances on the window
/// thread while the page is shown; the worker streams its latest frame on its idle passes.
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
    /// The set list's context menu: the same operations as the add, delete, import and export
    /// buttons.
    enum MenuCommand : int {
        kMenuNew = 606,
        kMenuDelete = 607,
        kMenuImport = 608,
        kMenuExport = 609
    };

    /// Animation step, in ms of animation time per tick of the page's timer.
    static constexpr int kAnimationStepMs = 30;

    explicit CustomLightPage(const PageContext& context);
    ~CustomLightPage() override;

    void Layout(const QSize& size) override;
    bool AcceptsEvent(int id, int code) const override;
    int OnEvent(int id, int code, int value) override;
    void ApplyLanguageTexts() override;
    void OnFeatureLoaded(int feature) override;

    /// The page became the shown one (or stopped being it): the animation runs only while it
    /// is shown. Window thread.
    void SetShown(bool shown);
    bool AnimationRunning() const;
    /// One animation step, as the timer runs it. Window thread.
    void AnimationTick();
    CustomLightEngine& Engine() const { return *m_engine; }

    /// Re-applies the effect list's selection, as when the page is opened.
    void Refresh();
    /// Which key sits at each place of the keyboard's matrix, for the animated picture. Any thread.
    void SetKeyMap(const std::array<std::uint8_t, kMatrixSize>& workMap, int rows, int columns);

    glint::MControl* LightModeView() const { return m_lightMode; }
    glint::CustomLightMode* Picture() const { return m_lightMode; }
    glint::MListBox* SetList() const { return m_sets; }
    glint::MListBox* EffectList() const { return m_effects; }

protected:
    void BuildControls() override;

private:
    int OnSetListTool(int id);
    int OnSetListMenu();
    int OnSetChosen();
    int OnSetRenamed();
    int OnEffectChosen();
    int OnKeySelection(int id);
    int OnSpeed();
    int OnMulticolour();
    int OnColourChosen(int id);

    // With m_mutex held.
    void LoadPageLocked();
    void LoadSetLocked(int id);
    int SelectedSetLocked() const;
    int CurrentEffectLocked() const;
    void ShowEffectControlsLocked(int lightMode);
    void ApplyEffectLocked(int lightMode, std::uint32_t colour, int multicolour);
    void ShowColourLocked(std::uint32_t colour, int source);
    void NewSetLocked();
    void DeleteSetLocked();
    void ImportLocked();
    void ExportLocked();
    /// Shows the animation's latest looks in the picture.
    void ShowSnapshot();
    std::vector<int> CheckedKeys() const;

    glint::CArea* m_panels[4] = {};
    glint::MText* m_colourText = nullptr;
    glint::MListBox* m_sets = nullptr;
    glint::MListBox* m_effects = nullptr;
    glint::CustomLightMode* m_lightMode = nullptr;
    glint::MSlider* m_speed = nullptr;
    glint::CColorButton* m_colour = nullptr;
    glint::CCheckButton* m_multicolour = nullptr;
    std::array<glint::CCheckButton*, 3> m_selections{};
    ColourControls m_colours;

    /// The page's operations run on the window thread, its load on the worker.
    mutable std::recursive_mutex m_mutex;
    std::shared_ptr<CustomLightEngine> m_engine;
    bool m_ownEngine = false;  ///< no feature registered one: the page keeps its keys itself
    std::unique_ptr<CustomLightSets> m_model;
    std::unique_ptr<QTimer> m_timer;
    std::uint64_t m_shownSequence = 0;
};

}  // namespace zephyl::window
