// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "app/ControllerView.h"
#include "ui/window/ConnectionModeView.h"
#include "ui/window/Page.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace zephyl {
class MusicLighting;
}

namespace zephyl::window {

/// The music lighting page: named layers of colour schemes for the spectrum of what the computer
/// plays, shown live on the keyboard picture. The analyser runs only while the page is shown.
class MusicPage : public Page {
public:
    static constexpr int kContainer = 58;
    enum Id : int {
        kListPanel = 233,
        kPicturePanel = 237,
        kSettingsPanel = 241,
        kAdd = 234,
        kDelete = 235,
        kRename = 236,
        kLayers = 238,
        kKeyboard = 240,
        kForeText = 242,
        kFore = 243,
        kSensitivityText = 244,
        kSensitivity = 245,
        kBackText = 246,
        kBack = 247,
        kBackBrightnessText = 248,
        kBackBrightness = 249,
        kAudioNotice = 920,   ///< shown when no sound server answers
        kScreenNotice = 921,  ///< shown when screen colours are chosen and cannot be captured
    };

    explicit MusicPage(const PageContext& context);
    ~MusicPage() override;

    void Layout(const QSize& size) override;
    bool AcceptsEvent(int id, int code) const override;
    int OnEvent(int id, int code, int value) override;
    void ApplyLanguageTexts() override;
    void OnFeatureLoaded(int feature) override;

    /// The fore colour schemes the keyboard can show. Any thread.
    void ShowForeColours(const std::vector<ListItem>& items, bool colourControlsVisible);

    /// Music-reactive lighting runs while the page is open. Any thread.
    void StartMusicLighting();
    void StopMusicLighting();
    bool MusicLightingRunning() const { return m_running.load(); }

    glint::KeyboardCtrl* KeyView() const { return m_keyboard; }
    glint::MComboBox* ForeList() const { return m_fore; }
    glint::MComboBox* BackList() const { return m_back; }
    glint::MListBox* LayerList() const { return m_layers; }

    /// Shows or hides the notices after the capture's and the screen's state. Any thread.
    void RefreshNotices();

protected:
    void BuildControls() override;

private:
    int OnLayerTool(int id);
    int OnLayerChosen();
    int OnLayerRenamed();
    int OnSchemeChosen();
    int OnLevelChanged();

    // With m_mutex held.
    void LoadPageLocked();
    void LoadLayerLocked(int id);
    void StoreLayerLocked();
    void ShowLevelControls(bool shown);
    bool PerKeyColour() const;

    glint::MListBox* m_layers = nullptr;
    glint::KeyboardCtrl* m_keyboard = nullptr;
    glint::MComboBox* m_fore = nullptr;
    glint::MComboBox* m_back = nullptr;
    glint::MSlider* m_sensitivity = nullptr;
    glint::MSlider* m_brightness = nullptr;
    glint::MText* m_audioNotice = nullptr;
    glint::MText* m_screenNotice = nullptr;
    std::recursive_mutex m_mutex;
    std::shared_ptr<MusicLighting> m_music;

    std::mutex m_foreMutex;
    std::vector<ListItem> m_foreItems;
    std::atomic<bool> m_running{false};
};

}  // namespace zephyl::window
