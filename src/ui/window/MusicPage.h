// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "app/ControllerView.h"
#include "ui/window/ConnectionModeView.h"
#include "ui/window/Page.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace zephyl::window {

/// The music lighting page: named layers of colour schemes for the spectrum of what the computer
/// plays, shown live on the keyboard picture. The analyser and the layers come with a later
/// feature; until then every action says so in the trace.
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
    };

    explicit MusicPage(const PageContext& context) : Page(context, kContainer) {}

    void Layout(const QSize& size) override;
    bool AcceptsEvent(int id, int code) const override;
    int OnEvent(int id, int code, int value) override;
    void ApplyLanguageTexts() override;

    /// The fore colour schemes the keyboard can show. Any thread.
    void ShowForeColours(const std::vector<ListItem>& items, bool colourControlsVisible);

    /// Music-reactive lighting runs while the page is open. Any thread.
    void StartMusicLighting();
    void StopMusicLighting();
    bool MusicLightingRunning() const { return m_running.load(); }

    glint::KeyboardCtrl* KeyView() const { return m_keyboard; }
    glint::MComboBox* ForeList() const { return m_fore; }

protected:
    void BuildControls() override;

private:
    int OnLayerTool();
    int OnLayerChosen();
    int OnLayerRenamed();
    int OnSchemeChosen();
    int OnLevelChanged();

    glint::MListBox* m_layers = nullptr;
    glint::KeyboardCtrl* m_keyboard = nullptr;
    glint::MComboBox* m_fore = nullptr;
    glint::MComboBox* m_back = nullptr;

    std::mutex m_foreMutex;
    std::vector<ListItem> m_foreItems;
    std::atomic<bool> m_running{false};
};

}  // namespace zephyl::window
