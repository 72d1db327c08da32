// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "ui/window/ColourControls.h"
#include "ui/window/Page.h"

#include <cstdint>
#include <mutex>

namespace zephyl::window {

/// The user lighting page: named sets of per-key colours stored on the keyboard, painted on the
/// keyboard picture. The selected set is what colour changes store into and what the worker
/// writes (command 11).
class UserLightPage : public Page {
public:
    static constexpr int kContainer = 54;
    enum Id : int {
        kListPanel = 155,
        kAdd = 156,
        kDelete = 157,
        kRename = 158,
        kImport = 159,
        kExport = 160,
        kSets = 163,
        kKeyboard = 165,
        kSelectionPanel = 164,
        kColourPanel = 213,
        kColourText = 212,
        kWheel = 168,
        kFirstLabel = 169,
        kFirstSlider = 172,
        kFirstField = 175,
        kFirstSwatch = 178,
        kLastSwatch = 186,
        kBrightnessText = 187,
        kBrightness = 188,
        kAllKeys = 189,
        kNumberKeys = 190,
        kWasd = 191,
    };

    explicit UserLightPage(const PageContext& context) : Page(context, kContainer) {}

    void Layout(const QSize& size) override;
    bool AcceptsEvent(int id, int code) const override;
    int OnEvent(int id, int code, int value) override;
    void ApplyLanguageTexts() override;
    void OnFeatureLoaded(int feature) override;

    glint::KeyboardCtrl* KeyView() const { return m_keyboard; }
    glint::MListBox* SetList() const { return m_sets; }

protected:
    void BuildControls() override;

private:
    int OnSetChosen();
    int OnSetRenamed();
    int OnColourChosen(int id, int code);
    int OnKeySelection(int id);
    void OnNewSet();
    void OnDeleteSet();
    void OnImport();
    void OnExport();

    /// Fills the set list from the store and shows its first set; worker or window.
    void LoadSets();
    /// Paints the colours of set `id` on the picture.
    void LoadSet(int id);
    /// The set of the selected entry (0 for none) becomes the one the worker writes.
    int SelectedSet();
    void EnableEditing(bool enabled);
    /// No set left: editing off, selections cleared.
    void ShowNoSet();
    void ApplyColour(std::uint32_t colour);
    /// Queues the write of the selected set behind a wait dialog.
    void WriteSet();

    std::mutex m_mutex;  ///< the list: loaded on the worker, edited on the window thread

    glint::MListBox* m_sets = nullptr;
    glint::KeyboardCtrl* m_keyboard = nullptr;
    ColourControls m_colours;
};

}  // namespace zephyl::window
